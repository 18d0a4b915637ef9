#include "dialogs/MoveAllDlg.h"

#include "catalogue/CatalogueStrings.h"
#include "catalogue/StringTable.h"
#include "dialogs/BrowserServices.h"
#include "dialogs/ChoiceDialogLayout.h"
#include "dialogs/DialogIds.h"
#include "platform/controls/ComboBoxControl.h"
#include "platform/controls/ControlMessages.h"
#include "platform/shell/MessageBoxWindow.h"

namespace {

constexpr uint32_t STRING_LOCATION_GONE = 146;

}  // namespace

MoveAllDlg::MoveAllDlg(BrowserServices& view) : Dialog(u"Move All"), m_view(view) {
    AddChoiceControls(*this, u"Move all images currently being", u"displayed to:", IDC_MOVE_LOCATION);
}

bool MoveAllDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    FillLocations();
    return true;
}

// The item data the view gives each entry is its location, which lives only
// as long as the location does; the paths are kept instead.
void MoveAllDlg::FillLocations() {
    auto* combo = GetControl<ComboBoxControl>(IDC_MOVE_LOCATION);
    m_entryPaths.clear();
    if (!combo)
        return;
    m_view.FillLocationCombo(combo, MAIN_PHOTO_FOLDER);
    for (int i = 0; i < combo->GetCount(); ++i) {
        const auto* location = reinterpret_cast<const CFolderItem*>(combo->GetItemData(i));
        m_entryPaths.push_back(location ? location->GetPath() : std::u16string());
    }
}

void MoveAllDlg::OnOK() {
    auto* combo = GetControl<ComboBoxControl>(IDC_MOVE_LOCATION);
    const int selected = combo ? combo->GetCurSel() : -1;
    if (selected < 0 || static_cast<size_t>(selected) >= m_entryPaths.size())
        return;
    const CFolderItem* location = m_view.Locations().Find(m_entryPaths[selected]);
    if (!location || m_entryPaths[selected].empty()) {
        MessageBoxW(this, LoadString(STRING_LOCATION_GONE), GetWindowText(), MB_OK);
        FillLocations();
        return;
    }
    m_chosen.emplace(*location);
    EndDialog(IDOK);
}
