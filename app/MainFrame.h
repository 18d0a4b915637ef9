#pragma once
#include <array>
#include <memory>
#include <string>

#include "browser/KestrelviewHHView.h"
#include "platform/FrameWindow.h"

class MenuBar;
class ToolBar;

// The program's frame: the area between the task bar and the menu bar,
// with the "Tools" menu and the mode tool bar below it, switched to cover
// the whole screen while one photo is shown.
class CMainFrame : public FrameWindow, public ModeButtonHost {
public:
    static constexpr Rect NORMAL_RECT{0, 26, 240, 294};
    static constexpr int TOOLTIP_COUNT = 8;

    CMainFrame();
    ~CMainFrame() override;

    bool LoadFrame(UINT resourceId) override;

    // Returns 1 when the window changed, 0 when it already was as asked.
    int SetFullScreen(bool on, bool force);
    bool IsFullScreen() const;
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

// Full screen for the lifetime of the object: entering it changes the
// screen only when it was not so already, and leaving undoes only what
// entering did, unless Keep() made the state stay.
class CFullScreenScope {
public:
    CFullScreenScope(CMainFrame* frame, bool state);
    explicit CFullScreenScope(bool state);
    ~CFullScreenScope();
    CFullScreenScope(const CFullScreenScope&) = delete;
    CFullScreenScope& operator=(const CFullScreenScope&) = delete;

    void Keep();
    bool Changed() const { return m_changed; }

private:
    CMainFrame* m_frame;
    bool m_state;
    bool m_changed = false;
    bool m_keep = false;
};

// The main window of the running program as a CMainFrame, or nullptr.
CMainFrame* GetMainFrame();
