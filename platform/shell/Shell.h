#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/Geometry.h"
#include "platform/window/WindowMessages.h"

class TaskBar;
class InputPanelWindow;
class ShellChangeNotifier;

// The handheld screen's fixed bands.
constexpr int32_t TASK_BAR_HEIGHT = 26;
constexpr int32_t MENU_BAR_HEIGHT = 26;
constexpr int32_t INPUT_PANEL_HEIGHT = 80;

// Full-screen flags of SHFullScreen.
constexpr uint32_t SHFS_SHOWTASKBAR = 0x1;
constexpr uint32_t SHFS_HIDETASKBAR = 0x2;
constexpr uint32_t SHFS_SHOWSIPBUTTON = 0x4;
constexpr uint32_t SHFS_HIDESIPBUTTON = 0x8;

// WM_SETTINGCHANGE wParam sent to every top-level window when the input
// panel goes up or down.
constexpr WPARAM SPI_SETSIPINFO = 224;

constexpr uint32_t SIPF_ON = 0x1;
// What the input panel query answers. `cbSize` is the size of the record
// on the handheld (48), which callers check.
struct SIPINFO {
    uint32_t cbSize = 48;
    uint32_t fdwFlags = 0;
    Rect rcVisibleDesktop;  // the screen between the task bar and the panel or menu bar
    Rect rcSipRect;         // where the panel is (or would be)
    uint32_t dwImDataSize = 0;
    void* pvImData = nullptr;
};

// The handheld shell over the current window manager: the task bar at the
// top, the input panel above the menu bar, the panel button's visibility,
// the wait cursor and beeps. Constructing one makes it current; it must
// live inside the window manager it was made in.
class Shell {
public:
    Shell();
    ~Shell();
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

    static Shell* Current();

    // SHFullScreen: hides or shows the task bar and the panel button.
    bool FullScreen(HWND window, uint32_t flags);
    bool IsTaskBarVisible() const;
    bool IsPanelButtonVisible() const { return m_panelButtonVisible; }
    // Windows repainted when the panel button's visibility changes (the
    // menu bar draws it).
    void AddPanelButtonHost(HWND host);
    void RemovePanelButtonHost(HWND host);

    // Raises or lowers the input panel; every change sends
    // WM_SETTINGCHANGE(SPI_SETSIPINFO) to the top-level windows.
    bool ShowInputPanel(bool on);
    bool IsInputPanelOn() const { return m_panelOn; }
    SIPINFO GetInputPanelInfo() const;

    // Nestable; the backend shows a busy cursor while the depth is above 0.
    void BeginWaitCursor();
    void EndWaitCursor();
    int WaitCursorDepth() const { return m_waitDepth; }

    void Beep() { ++m_beeps; }
    int BeepCount() const { return m_beeps; }

    TaskBar& GetTaskBar() { return *m_taskBar; }
    // Change notifications of the device folder for registered windows.
    ShellChangeNotifier& ChangeNotifier() { return *m_changeNotifier; }
    InputPanelWindow& GetInputPanel() { return *m_inputPanel; }

private:
    Shell* m_previous;
    std::unique_ptr<TaskBar> m_taskBar;
    std::unique_ptr<InputPanelWindow> m_inputPanel;
    std::unique_ptr<ShellChangeNotifier> m_changeNotifier;
    std::vector<HWND> m_panelButtonHosts;
    bool m_panelButtonVisible = true;
    bool m_panelOn = false;
    int m_waitDepth = 0;
    int m_beeps = 0;
};

// The same services on the current shell; without one they do nothing and
// fail.
bool SHFullScreen(HWND window, uint32_t flags);
bool SipShowIM(bool on);
bool SipGetInfo(SIPINFO& info);
void MessageBeep();

// Shows the wait cursor for its lifetime.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    Shell* m_shell;
};
