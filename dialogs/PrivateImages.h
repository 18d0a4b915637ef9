#pragma once
#include <string_view>

#include "platform/window/WindowMessages.h"

// The commands of the Tools menu around private photos and their password.
// The password lives only in the preferences ("Image Heuristics"), as a
// hash; the dialogs keep copies only while they are open.

// Stores the hash of `password` (empty removes the protection). 0, or a
// negative number when it could not be hashed (then nothing is written).
int StorePrivatePassword(std::u16string_view password);

// Whether `typed` is the stored password. A plain text found there (from an
// older store) that matches is replaced by its hash.
bool CheckPrivatePassword(std::u16string_view typed);

// "Set Password...": runs the dialog over the stored password and stores the
// new one on OK. The dialog's result (IDOK, IDCANCEL), or a negative number
// when the new password could not be stored.
int RunSetPasswordCommand(HWND owner);

// "Show/Hide Private Images": hiding never asks; showing asks for the
// password when one is set and says "Incorrect password." when it is wrong.
// On success `shown` flips and is written to "Show Private"; true then, so
// that the caller refills its list and grid.
bool RunTogglePrivateCommand(HWND owner, bool& shown);
