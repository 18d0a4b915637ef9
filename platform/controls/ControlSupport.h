#pragma once
#include <cstdint>

#include "platform/controls/ControlMessages.h"
#include "platform/fonts/SystemFont.h"
#include "platform/window/Window.h"
#include "platform/window/WindowManager.h"

// Small pieces the standard controls share.

// WM_COMMAND(MAKEWPARAM(id, code), control) to the control's parent.
inline void NotifyParent(Window& control, uint16_t code) {
    if (HWND parent = control.GetParent())
        SendMessage(parent, WM_COMMAND, MAKEWPARAM(uint16_t(control.GetId()), code),
                    LPARAM(HWND(&control)));
}

// The font set with WM_SETFONT (wParam: const Font*, nullptr = back to the
// default; lParam non-zero: repaint), else the normal UI font (nullptr
// only when the font files are missing).
inline const Font* ControlFont(const Font* chosen) {
    return chosen ? chosen : GetUiFont(UiFont::Normal);
}

inline void RepaintControl(Window& control) { InvalidateRect(&control, nullptr, true); }
