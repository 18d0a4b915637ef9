#pragma once
#include <string_view>

class Dialog;

// Names, notes and category names are stored in Windows-1252, where a
// character outside it would silently turn into '?'.

// Whether every character of the text has a Windows-1252 form.
bool IsAnsiText(std::u16string_view text);

// Called when an edit of the dialog changed: takes characters without a
// Windows-1252 form back out as they are typed, keeps the caret where it
// was among the others, and beeps. True when it took any, so that the
// dialog can show its hint.
bool RefuseNonAnsiCharacters(Dialog& dialog, int editId);

// The one-line hint the dialogs show then.
constexpr char16_t ANSI_HINT[] = u"That character cannot be stored.";
