#include "platform/shell/Shell.h"

#include <algorithm>

#include "platform/shell/InputPanelWindow.h"
#include "platform/shell/ShellChangeNotifier.h"
#include "platform/shell/TaskBar.h"
#include "platform/window/WindowManager.h"

namespace {
Shell* g_shell = nullptr;

Rect PanelRect() {
    const int32_t bottom = SCREEN_HEIGHT - MENU_BAR_HEIGHT;
    return {0, bottom - INPUT_PANEL_HEIGHT, SCREEN_WIDTH, bottom};
}
}  // namespace

Shell::Shell()
    : m_previous(g_shell), m_taskBar(std::make_unique<TaskBar>()),
      m_inputPanel(std::make_unique<InputPanelWindow>()),
      m_changeNotifier(std::make_unique<ShellChangeNotifier>(*WindowManager::Current())) {
    g_shell = this;
    m_taskBar->Create({0, 0, SCREEN_WIDTH, TASK_BAR_HEIGHT});
    m_inputPanel->Create(PanelRect());
}

Shell::~Shell() {
    // The windows go before the shell stops being current, so that nothing
    // they send on the way finds a half-destroyed shell.
    m_changeNotifier.reset();
    m_inputPanel->Destroy();
    m_taskBar->Destroy();
    g_shell = m_previous;
}

Shell* Shell::Current() { return g_shell; }

bool Shell::FullScreen(HWND window, uint32_t flags) {
    WindowManager* manager = WindowManager::Current();
    if (!manager || !manager->IsWindow(window))
        return false;
    if (flags & SHFS_HIDETASKBAR)
        m_taskBar->ShowWindow(false);
    if (flags & SHFS_SHOWTASKBAR) {
        m_taskBar->ShowWindow(true);
        m_taskBar->BringToTop();
    }
    const bool before = m_panelButtonVisible;
    if (flags & SHFS_HIDESIPBUTTON)
        m_panelButtonVisible = false;
    if (flags & SHFS_SHOWSIPBUTTON)
        m_panelButtonVisible = true;
    if (before != m_panelButtonVisible)
        for (HWND host : m_panelButtonHosts)
            manager->InvalidateRect(host, nullptr, true);
    return true;
}

bool Shell::IsTaskBarVisible() const { return m_taskBar->IsVisibleFlag(); }

void Shell::AddPanelButtonHost(HWND host) {
    if (std::find(m_panelButtonHosts.begin(), m_panelButtonHosts.end(), host) ==
        m_panelButtonHosts.end())
        m_panelButtonHosts.push_back(host);
}

void Shell::RemovePanelButtonHost(HWND host) {
    std::erase(m_panelButtonHosts, host);
}

bool Shell::ShowInputPanel(bool on) {
    WindowManager* manager = WindowManager::Current();
    if (!manager)
        return false;
    if (on == m_panelOn)
        return true;
    m_panelOn = on;
    m_inputPanel->ShowWindow(on);
    if (on)
        m_inputPanel->BringToTop();
    manager->BroadcastMessage(WM_SETTINGCHANGE, SPI_SETSIPINFO, 0);
    return true;
}

SIPINFO Shell::GetInputPanelInfo() const {
    SIPINFO info;
    info.fdwFlags = m_panelOn ? SIPF_ON : 0;
    info.rcSipRect = PanelRect();
    const int32_t top = IsTaskBarVisible() ? TASK_BAR_HEIGHT : 0;
    const int32_t bottom = m_panelOn ? info.rcSipRect.top : SCREEN_HEIGHT - MENU_BAR_HEIGHT;
    info.rcVisibleDesktop = {0, top, SCREEN_WIDTH, bottom};
    return info;
}

void Shell::BeginWaitCursor() {
    ++m_waitDepth;
    if (WindowManager* manager = WindowManager::Current())
        manager->BeginBusy();
}

void Shell::EndWaitCursor() {
    if (m_waitDepth == 0)
        return;
    --m_waitDepth;
    if (WindowManager* manager = WindowManager::Current())
        manager->EndBusy();
}

bool SHFullScreen(HWND window, uint32_t flags) {
    return g_shell && g_shell->FullScreen(window, flags);
}

bool SipShowIM(bool on) { return g_shell && g_shell->ShowInputPanel(on); }

bool SipGetInfo(SIPINFO& info) {
    if (!g_shell || info.cbSize != SIPINFO().cbSize)
        return false;
    info = g_shell->GetInputPanelInfo();
    return true;
}

void MessageBeep() {
    if (g_shell)
        g_shell->Beep();
}

WaitCursor::WaitCursor() : m_shell(g_shell) {
    if (m_shell)
        m_shell->BeginWaitCursor();
}

WaitCursor::~WaitCursor() {
    if (m_shell && m_shell == g_shell)
        m_shell->EndWaitCursor();
}
