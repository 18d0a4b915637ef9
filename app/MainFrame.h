#pragma once
#include <array>
#include <memory>
#include <string>

#include "browser/KestrelviewHHView.h"
#include "handheld/FullScreen.h"
#include "platform/framework/FrameWindow.h"

class MenuBar;
class ToolBar;

// The program's frame: the area between the task bar and the menu bar,
// with the "Tools" menu and the mode tool bar below it, switched to cover
// the whole screen while one photo is shown.
class CMainFrame : public FrameWindow, public ModeButtonHost, public CFullScreenSwitch {
public:
    static constexpr Rect NORMAL_RECT{0, 26, 240, 294};
    static constexpr int TOOLTIP_COUNT = 8;

    CMainFrame();
    ~CMainFrame() override;

    bool LoadFrame(UINT resourceId) override;

    // Returns 1 when the window changed, 0 when it already was as asked.
    int SetFullScreen(bool on, bool force) override;
    bool IsFullScreen() const override;
    // Shows `command` as the one pressed mode button.
    void PressModeButton(UINT command) override;
    UINT PressedModeButton() const { return m_pressedButton; }

    MenuBar* GetMenuBar() const { return m_menuBar.get(); }
    ToolBar* GetToolBar() const;
    const std::array<std::u16string, TOOLTIP_COUNT + 1>& ToolTips() const { return m_toolTips; }

    // Puts the frame and its bars in front of every other window.
    void BringToFront();
    void OnIdle() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    int OnCreate() override;
    void OnClose() override;

private:
    bool CreateBars();
    void OnCopyData(const COPYDATASTRUCT* data);

    std::unique_ptr<MenuBar> m_menuBar;
    // Entry 0 stays empty; 1..8 are the bar's tooltips in order.
    std::array<std::u16string, TOOLTIP_COUNT + 1> m_toolTips;
    UINT m_pressedButton = UINT(-1);
};

// The main window of the running program as a CMainFrame, or nullptr.
CMainFrame* GetMainFrame();
