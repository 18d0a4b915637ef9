#include "dialogs/CategorizeAllDlg.h"

#include "catalogue/CategoryDB.h"
#include "dialogs/BrowserServices.h"
#include "dialogs/DialogIds.h"
#include "platform/controls/ComboBoxControl.h"
#include "platform/controls/ControlMessages.h"

CategorizeAllDlg::CategorizeAllDlg(BrowserServices& view) : Dialog(u"Categorize All"), m_view(view) {
    // The label's two lines.
    AddControl(WC_STATIC, IDC_STATIC_TEXT, {6, 8, 234, 24}, u"Categorize all images currently", SS_LEFT);
    AddControl(WC_STATIC, IDC_STATIC_TEXT, {6, 24, 234, 40}, u"being displayed as:", SS_LEFT);
    AddControl(WC_COMBOBOX, IDC_CATEGORIZE_CATEGORY, {6, 46, 234, 160}, u"",
               CBS_DROPDOWNLIST | CBS_SORT | WS_TABSTOP);
    AddControl(WC_BUTTON, IDOK, {80, 84, 154, 108}, u"OK", BS_DEFPUSHBUTTON | WS_TABSTOP);
    AddControl(WC_BUTTON, IDCANCEL, {160, 84, 234, 108}, u"Cancel", BS_PUSHBUTTON | WS_TABSTOP);
}

bool CategorizeAllDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    if (auto* combo = GetControl<ComboBoxControl>(IDC_CATEGORIZE_CATEGORY))
        m_view.FillCategoryCombo(combo, false, m_chosen);
    return true;
}

// The entry's name is looked up again: "Unfiled", and a category deleted
// meanwhile, give CATEGORY_ID_UNFILED.
void CategorizeAllDlg::OnOK() {
    auto* combo = GetControl<ComboBoxControl>(IDC_CATEGORIZE_CATEGORY);
    const int selected = combo ? combo->GetCurSel() : -1;
    if (selected < 0)
        return;
    m_chosen = m_view.Categories().FindByName(combo->GetLBText(selected));
    EndDialog(IDOK);
}
