#pragma once
#include <cstdint>

#include "platform/gdi/Geometry.h"

// Raw input as a backend reports it, before the window manager turns it
// into messages for the focused, capturing or hit window.
enum class InputKind { StylusDown, StylusMove, StylusUp, KeyDown, KeyUp, Char };

struct InputEvent {
    InputKind kind = InputKind::StylusDown;
    Point point;        // stylus events: screen coordinates
    uint32_t key = 0;   // key events: virtual key
    char16_t ch = 0;    // Char: one UTF-16 unit
};
