#include "platform/window/InputCancel.h"

#include "platform/window/WindowManager.h"

namespace {

bool IsArrow(WPARAM key) { return key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN; }

}  // namespace

bool InputCancel::ShouldCancel() {
    MSG msg;
    if (PeekMessage(msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE)) {
        if (msg.message == WM_KEYDOWN && IsArrow(msg.wParam))
            return true;
        while (PeekMessage(msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        }
    }
    return PeekMessage(msg, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE);
}
