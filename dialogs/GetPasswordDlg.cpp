#include "dialogs/GetPasswordDlg.h"

#include "dialogs/DialogIds.h"
#include "platform/controls/DataExchange.h"
#include "platform/shell/Shell.h"
#include "platform/controls/ControlMessages.h"

GetPasswordDlg::GetPasswordDlg() : Dialog(u"Get Password") {
    AddControl(WC_STATIC, IDC_STATIC_TEXT, {6, 12, 76, 30}, u"Password:", SS_LEFT);
    AddControl(WC_EDIT, IDC_PASSWORD, {80, 8, 234, 30}, u"", WS_TABSTOP);
    AddControl(WC_BUTTON, IDOK, {80, 42, 154, 66}, u"OK", BS_DEFPUSHBUTTON | WS_TABSTOP);
    AddControl(WC_BUTTON, IDCANCEL, {160, 42, 234, 66}, u"Cancel", BS_PUSHBUTTON | WS_TABSTOP);
}

bool GetPasswordDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    SipShowIM(true);
    return true;
}

void GetPasswordDlg::DoDataExchange(DataExchange& exchange) {
    DDX_Text(exchange, IDC_PASSWORD, m_entered, PASSWORD_MAX_CHARS);
}
