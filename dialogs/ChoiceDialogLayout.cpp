#include "dialogs/ChoiceDialogLayout.h"

#include "dialogs/DialogIds.h"
#include "platform/controls/ControlMessages.h"
#include "platform/shell/Dialog.h"

void AddChoiceControls(Dialog& dialog, std::u16string_view firstLine, std::u16string_view secondLine,
                       int listId) {
    dialog.AddControl(WC_STATIC, IDC_STATIC_TEXT, {6, 8, 234, 24}, firstLine, SS_LEFT);
    dialog.AddControl(WC_STATIC, IDC_STATIC_TEXT, {6, 24, 234, 40}, secondLine, SS_LEFT);
    dialog.AddControl(WC_COMBOBOX, listId, {6, 46, 234, 160}, u"", CBS_DROPDOWNLIST | CBS_SORT | WS_TABSTOP);
    dialog.AddControl(WC_BUTTON, IDOK, {80, 84, 154, 108}, u"OK", BS_DEFPUSHBUTTON | WS_TABSTOP);
    dialog.AddControl(WC_BUTTON, IDCANCEL, {160, 84, 234, 108}, u"Cancel", BS_PUSHBUTTON | WS_TABSTOP);
}
