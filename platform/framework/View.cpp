#include "platform/framework/View.h"

#include "platform/window/WindowManager.h"

void View::OnInitialUpdate() { InvalidateRect(this, nullptr, true); }

LRESULT View::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (lParam && HIWORD(wParam) != 0) {
            OnControlNotify(LOWORD(wParam), HIWORD(wParam), HWND::FromParam(lParam));
            return 0;
        }
        // Clicks and menu commands go round the frame's route, which
        // starts with this view.
        if (HWND parent = GetParent())
            return SendMessage(parent, message, wParam, lParam);
        OnCmdMsg(LOWORD(wParam), CN_COMMAND, nullptr);
        return 0;
    default:
        return DefWindowProc(message, wParam, lParam);
    }
}
