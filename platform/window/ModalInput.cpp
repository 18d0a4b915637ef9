#include "platform/window/ModalInput.h"

#include "platform/window/Window.h"
#include "platform/window/WindowManager.h"

ModalScreen::ModalScreen() : m_manager(WindowManager::Current()) {
    if (m_manager)
        m_manager->EnterModal();
}

ModalScreen::~ModalScreen() {
    // The manager that was current when the screen opened, if it still is.
    if (m_manager && m_manager == WindowManager::Current())
        m_manager->LeaveModal();
}

bool IsStylusMessage(UINT message) { return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST; }

bool IsKeyMessage(UINT message) { return message >= WM_KEYFIRST && message <= WM_KEYLAST; }

int RunModalInput(const std::function<void(const MSG&)>& input, const std::function<bool()>& done) {
    WindowManager* manager = WindowManager::Current();
    if (manager == nullptr) return -1;
    const ModalScreen screen;
    MSG msg;
    while (!done()) {
        if (!manager->GetMessage(msg)) {
            manager->PostQuitMessage(int(msg.wParam));
            return -1;
        }
        if (IsStylusMessage(msg.message)) {
            // A posted stylus message carries its point only in lParam.
            if (const Window* target = manager->FromHandle(msg.hwnd))
                msg.pt = target->ClientToScreen({GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)});
            input(msg);
        } else if (IsKeyMessage(msg.message)) {
            input(msg);
        } else {
            manager->TranslateMessage(msg);
            manager->DispatchMessage(msg);
        }
    }
    return 0;
}

bool ReleaseSwallower::Take(const MSG& msg) {
    if (m_stylus && msg.message == WM_LBUTTONUP) {
        m_stylus = false;
        return true;
    }
    if (m_key != 0 && msg.message == WM_KEYUP && msg.wParam == m_key) {
        m_key = 0;
        return true;
    }
    return false;
}
