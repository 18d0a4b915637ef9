#pragma once
#include <optional>
#include <string>
#include <vector>

#include "catalogue/FolderList.h"
#include "platform/shell/Dialog.h"

class BrowserServices;

// "Move All": asks for the location to move every displayed photo to, from
// a sorted list of the locations with internal storage chosen at first.
// The entries stand for locations by path: a card taken out while the
// dialog is open is found missing at OK, which then says so and offers the
// locations there are now.
class MoveAllDlg : public Dialog {
public:
    explicit MoveAllDlg(BrowserServices& view);

    // After OK: a copy of the location chosen.
    const std::optional<CFolderItem>& Chosen() const { return m_chosen; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    void FillLocations();

    BrowserServices& m_view;
    // The path of each entry's location, by index, taken while it was there.
    std::vector<std::u16string> m_entryPaths;
    std::optional<CFolderItem> m_chosen;
};
