#include "browser/DoubleTapGuard.h"

#include <cstdlib>

#include "platform/window/Window.h"
#include "platform/window/WindowManager.h"

void DoubleTapGuard::Arm(HWND owner, Point screen) {
    m_armed = true;
    m_dropRelease = false;
    m_at = screen;
    SetCapture(owner);
    SetTimer(owner, TIMER_ID, GetDoubleClickTime());
}

void DoubleTapGuard::Disarm(HWND owner) {
    m_armed = false;
    KillTimer(owner, TIMER_ID);
    if (GetCapture() == owner)
        ReleaseCapture();
}

bool DoubleTapGuard::Filter(HWND owner, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == TIMER_ID) {
        if (!m_dropRelease)
            Disarm(owner);
        return true;
    }
    if (m_dropRelease && message == WM_LBUTTONUP) {
        m_dropRelease = false;
        Disarm(owner);
        return true;
    }
    if (!m_armed || (message != WM_LBUTTONDOWN && message != WM_LBUTTONDBLCLK))
        return false;
    const Point screen = ClientToScreen(owner, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    if (std::abs(screen.x - m_at.x) <= DOUBLE_TAP_DISTANCE &&
        std::abs(screen.y - m_at.y) <= DOUBLE_TAP_DISTANCE) {
        m_dropRelease = true;
        return true;
    }
    Disarm(owner);
    return Forward(owner, message, wParam, lParam);
}

// A press that is no double tap goes where it would have gone.
bool DoubleTapGuard::Forward(HWND owner, UINT message, WPARAM wParam, LPARAM lParam) {
    const Point screen = ClientToScreen(owner, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    WindowManager* manager = WindowManager::Current();
    HWND target = manager ? manager->WindowFromPoint(screen) : nullptr;
    if (!target || target == owner)
        return false;
    const Point client = ScreenToClient(target, screen);
    SendMessage(target, message == WM_LBUTTONDBLCLK ? WM_LBUTTONDOWN : message, wParam,
                MAKELPARAM(client.x, client.y));
    return true;
}
