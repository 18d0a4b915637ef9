#include "dialogs/CategorizeAllDlg.h"

#include "catalogue/CategoryDB.h"
#include "dialogs/BrowserServices.h"
#include "dialogs/ChoiceDialogLayout.h"
#include "dialogs/DialogIds.h"
#include "platform/controls/ComboBoxControl.h"
#include "platform/controls/ControlMessages.h"

CategorizeAllDlg::CategorizeAllDlg(BrowserServices& view) : Dialog(u"Categorize All"), m_view(view) {
    AddChoiceControls(*this, u"Categorize all images currently", u"being displayed as:", IDC_CATEGORIZE_CATEGORY);
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
