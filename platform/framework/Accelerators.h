#pragma once
#include <vector>

#include "platform/window/WindowMessages.h"

// A key that stands for a command.
struct Accelerator {
    UINT key = 0;  // virtual key
    bool control = false;
    bool shift = false;
    UINT command = 0;
};

// When `msg` is a key-down matching an entry (with exactly its Ctrl and
// Shift state), sends WM_COMMAND(MAKEWPARAM(command, 1), 0) to `target` and
// returns true; the key is then not dispatched.
bool TranslateAccelerator(HWND target, const std::vector<Accelerator>& table, const MSG& msg);
