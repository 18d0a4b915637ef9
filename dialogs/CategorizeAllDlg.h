#pragma once
#include "catalogue/CatalogueTypes.h"
#include "platform/shell/Dialog.h"

class BrowserServices;

// "Categorize All": asks for the category to give every displayed photo,
// from a sorted list of the categories and "Unfiled" (chosen at first).
class CategorizeAllDlg : public Dialog {
public:
    explicit CategorizeAllDlg(BrowserServices& view);

    // After OK: the category chosen; CATEGORY_ID_UNFILED for "Unfiled".
    const RecordId& Chosen() const { return m_chosen; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    BrowserServices& m_view;
    RecordId m_chosen = CATEGORY_ID_UNFILED;
};
