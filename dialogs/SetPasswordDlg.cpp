#include "dialogs/SetPasswordDlg.h"

#include "catalogue/StringTable.h"
#include "dialogs/DialogIds.h"
#include "dialogs/PasswordHash.h"
#include "platform/controls/DataExchange.h"
#include "platform/shell/MessageBoxWindow.h"
#include "platform/shell/Shell.h"
#include "platform/controls/ControlMessages.h"

namespace {

constexpr uint32_t STRING_WRONG_CURRENT_PASSWORD = 142;
constexpr uint32_t STRING_CONFIRM_MISMATCH = 143;

}  // namespace

SetPasswordDlg::SetPasswordDlg(std::u16string stored)
    : Dialog(u"Set Password"), m_stored(std::move(stored)) {
    // Everything stays above the raised input panel (client y 188).
    AddControl(WC_STATIC, IDC_STATIC_TEXT, {6, 12, 76, 30}, u"Current:", SS_LEFT);
    AddControl(WC_EDIT, IDC_CURRENT_PASSWORD, {80, 8, 234, 30}, u"", ES_PASSWORD | WS_TABSTOP);
    AddControl(WC_STATIC, IDC_STATIC_TEXT, {6, 42, 76, 60}, u"New:", SS_LEFT);
    AddControl(WC_EDIT, IDC_NEW_PASSWORD, {80, 38, 234, 60}, u"", ES_PASSWORD | WS_TABSTOP);
    AddControl(WC_STATIC, IDC_STATIC_TEXT, {6, 72, 76, 90}, u"Confirm:", SS_LEFT);
    AddControl(WC_EDIT, IDC_CONFIRM_PASSWORD, {80, 68, 234, 90}, u"", ES_PASSWORD | WS_TABSTOP);
    AddControl(WC_BUTTON, IDOK, {80, 102, 154, 126}, u"OK", BS_DEFPUSHBUTTON | WS_TABSTOP);
    AddControl(WC_BUTTON, IDCANCEL, {160, 102, 234, 126}, u"Cancel", BS_PUSHBUTTON | WS_TABSTOP);
}

bool SetPasswordDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    SipShowIM(true);
    return true;
}

void SetPasswordDlg::DoDataExchange(DataExchange& exchange) {
    DDX_Text(exchange, IDC_CURRENT_PASSWORD, m_current);
    DDX_Text(exchange, IDC_NEW_PASSWORD, m_new, PASSWORD_MAX_CHARS);
    DDX_Text(exchange, IDC_CONFIRM_PASSWORD, m_confirm, PASSWORD_MAX_CHARS);
}

void SetPasswordDlg::OnOK() {
    if (!UpdateData(true))
        return;
    if (!PasswordMatches(m_stored, m_current)) {
        MessageBoxW(this, LoadString(STRING_WRONG_CURRENT_PASSWORD), GetWindowText(), MB_OK);
        return;
    }
    if (m_new != m_confirm) {
        MessageBoxW(this, LoadString(STRING_CONFIRM_MISMATCH), GetWindowText(), MB_OK);
        return;
    }
    EndDialog(IDOK);
}
