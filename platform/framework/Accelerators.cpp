#include "platform/framework/Accelerators.h"

#include "platform/window/WindowManager.h"

bool TranslateAccelerator(HWND target, const std::vector<Accelerator>& table, const MSG& msg) {
    if (msg.message != WM_KEYDOWN || !target)
        return false;
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    for (const Accelerator& a : table) {
        if (a.key == msg.wParam && a.control == control && a.shift == shift) {
            SendMessage(target, WM_COMMAND, WPARAM(a.command) | (WPARAM(1) << 16), 0);
            return true;
        }
    }
    return false;
}
