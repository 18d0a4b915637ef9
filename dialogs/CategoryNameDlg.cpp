#include "dialogs/CategoryNameDlg.h"

#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/StringTable.h"
#include "dialogs/AnsiTextGuard.h"
#include "dialogs/DialogIds.h"
#include "platform/controls/ControlMessages.h"
#include "platform/controls/DataExchange.h"
#include "platform/controls/EditControl.h"
#include "platform/shell/MessageBoxWindow.h"
#include "platform/shell/Shell.h"
#include "platform/window/WindowManager.h"

namespace {

constexpr uint32_t STRING_NAME_EXISTS = 137;
constexpr uint32_t STRING_NAME_TOO_LONG = 144;

}  // namespace

CategoryNameDlg::CategoryNameDlg(const CCategoryDB& categories, std::u16string oldName)
    : Dialog(u"Category"), m_categories(categories), m_oldName(std::move(oldName)), m_newName(m_oldName) {
    // All of it stays above the raised input panel (client y 188).
    AddControl(WC_STATIC, IDC_CATEGORY_HEADING, {6, 12, 234, 28}, u"Category Name:", SS_LEFT);
    AddControl(WC_STATIC, IDC_CATEGORY_HINT, {6, 12, 234, 28}, ANSI_HINT, SS_LEFT, false);
    AddControl(WC_EDIT, IDC_CATEGORY_NAME, {6, 32, 234, 54}, u"", ES_AUTOHSCROLL | WS_TABSTOP);
    AddControl(WC_BUTTON, IDOK, {80, 66, 154, 90}, u"OK", BS_DEFPUSHBUTTON | WS_TABSTOP);
    AddControl(WC_BUTTON, IDCANCEL, {160, 66, 234, 90}, u"Cancel", BS_PUSHBUTTON | WS_TABSTOP);
}

bool CategoryNameDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    m_panelWasOn = Shell::Current() && Shell::Current()->IsInputPanelOn();
    SipShowIM(true);
    if (auto* edit = GetControl<EditControl>(IDC_CATEGORY_NAME)) {
        edit->SetSel(m_newName.size(), m_newName.size());
        SetFocus(edit);
        return false;
    }
    return true;
}

void CategoryNameDlg::DoDataExchange(DataExchange& exchange) {
    // No limit on typing: a name over 31 characters is refused with a message.
    DDX_Text(exchange, IDC_CATEGORY_NAME, m_newName);
}

bool CategoryNameDlg::OnCommand(int id, int code, HWND) {
    if (id != IDC_CATEGORY_NAME || code != EN_CHANGE)
        return false;
    if (RefuseNonAnsiCharacters(*this, IDC_CATEGORY_NAME))
        ShowHint(true);
    return true;
}

void CategoryNameDlg::OnOK() {
    if (!UpdateData(true))
        return;
    if (m_newName.empty())
        return EndDialog(IDCANCEL);
    if (!IsAnsiText(m_newName)) {  // put there other than by typing
        MessageBeep();
        return ShowHint(true);
    }
    if (m_newName.size() > CATEGORY_NAME_MAX)
        return Refuse(STRING_NAME_TOO_LONG, false);
    if (!m_oldName.empty()) {
        if (m_newName == m_oldName)
            return EndDialog(IDCANCEL);
        if (CCategoryDB::CompareNames(m_newName, m_oldName) == 0)
            return EndDialog(IDOK);  // letter case only
    }
    if (IsTaken(m_newName))
        return Refuse(STRING_NAME_EXISTS, true);
    EndDialog(IDOK);
}

// "All" and "Unfiled" stand beside the categories in every list, so a
// category of either name could not be told from them.
bool CategoryNameDlg::IsTaken(const std::u16string& name) const {
    if (CCategoryDB::CompareNames(name, STRING_ALL) == 0 || CCategoryDB::CompareNames(name, STRING_UNFILED) == 0)
        return true;
    return m_categories.FindByName(name) != CATEGORY_ID_UNFILED;
}

void CategoryNameDlg::Refuse(uint32_t stringId, bool emptyField) {
    MessageBoxW(this, LoadString(stringId), GetWindowText(), MB_OK);
    if (emptyField)
        SetDlgItemText(IDC_CATEGORY_NAME, u"");
    if (Window* edit = GetDlgItem(IDC_CATEGORY_NAME))
        SetFocus(edit);
}

void CategoryNameDlg::ShowHint(bool show) {
    if (Window* heading = GetDlgItem(IDC_CATEGORY_HEADING))
        heading->ShowWindow(!show);
    if (Window* hint = GetDlgItem(IDC_CATEGORY_HINT))
        hint->ShowWindow(show);
}

LRESULT CategoryNameDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // However the dialog ends, the panel goes back down when it was down.
    if (message == WM_DESTROY && !m_panelWasOn)
        SipShowIM(false);
    return Dialog::WindowProc(message, wParam, lParam);
}
