#include "dialogs/AnsiTextGuard.h"

#include <string>

#include "platform/base/Text.h"
#include "platform/controls/EditControl.h"
#include "platform/shell/Dialog.h"
#include "platform/shell/Shell.h"
#include "platform/window/WindowManager.h"

namespace {

bool IsAnsiCharacter(char16_t c) {
    const std::u16string one(1, c);
    return AnsiToUtf16(Utf16ToAnsi(one)) == one;
}

}  // namespace

bool IsAnsiText(std::u16string_view text) {
    for (const char16_t c : text)
        if (!IsAnsiCharacter(c))
            return false;
    return true;
}

bool RefuseNonAnsiCharacters(Dialog& dialog, int editId) {
    auto* edit = dialog.GetControl<EditControl>(editId);
    if (!edit)
        return false;
    const std::u16string text = edit->GetWindowText();
    if (IsAnsiText(text))
        return false;
    size_t start = 0, end = 0;
    edit->GetSel(start, end);
    std::u16string kept;
    size_t caret = end;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsAnsiCharacter(text[i]))
            kept += text[i];
        else if (i < end)
            --caret;
    }
    // Setting the text of a single-line edit reports a change again; the
    // kept text passes the test above, so it ends there.
    SendMessage(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kept.c_str()));
    edit->SetSel(caret, caret);
    MessageBeep();
    return true;
}
