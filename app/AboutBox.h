#pragma once
#include "platform/window/WindowMessages.h"

// The About box: the program's icon and "Kestrelview Version <version>".
// Returns the dialog's result.
int ShowAboutBox(HWND owner);
