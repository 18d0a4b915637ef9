#pragma once
#include <string>

#include "catalogue/CategoryDB.h"
#include "catalogue/CatalogueStrings.h"
#include "catalogue/FolderList.h"
#include "catalogue/ImageItem.h"
#include "dialogs/BrowserServices.h"
#include "platform/base/Text.h"
#include "platform/controls/ComboBoxControl.h"
#include "platform/controls/ListBoxControl.h"
#include "platform/window/WindowManager.h"

// The browser's side of the dialogs, as the browser fills its lists: the
// internal location and a card, categories "Beach" and "Family", and one
// record it holds until a test lets it go.
class FakeBrowserServices : public BrowserServices {
public:
    static constexpr char16_t CARD[] = u"\\Storage Card";

    FakeBrowserServices() {
        m_locations.Add(MAIN_PHOTO_FOLDER, STRING_INTERNAL, false);
        m_locations.Add(CARD, u"Storage Card", true);
        m_categories.Add(u"Beach", beach);
        m_categories.Add(u"Family", family);
    }

    RecordId beach{}, family{};
    const CImageItem* held = nullptr;

    CCategoryDB& Categories() override { return m_categories; }
    CFolderList& Locations() override { return m_locations; }

    void FillLocationCombo(HWND combo, std::u16string_view path) override {
        auto* box = dynamic_cast<ComboBoxControl*>(WindowManager::Current()->FromHandle(combo));
        box->ResetContent();
        for (const auto& location : m_locations.GetItems()) {
            const int index = box->AddString(location->GetName());
            box->SetItemData(index, reinterpret_cast<LPARAM>(location.get()));
            if (StartsWithNoCase(path, location->GetPath()))
                box->SetCurSel(index);
        }
    }

    void FillCategoryCombo(HWND combo, bool withAll, const RecordId& category) override {
        auto* box = dynamic_cast<ComboBoxControl*>(WindowManager::Current()->FromHandle(combo));
        box->ResetContent();
        if (withAll)
            box->AddString(u"All");
        int selected = -1;
        size_t cursor = 0;
        CategoryRecord record;
        std::u16string name;
        while (m_categories.NextLive(cursor, record, name)) {
            const int index = box->AddString(name);
            if (record.id == category)
                selected = index;
        }
        const int unfiled = box->AddString(STRING_UNFILED);
        box->SetCurSel(selected >= 0 ? selected : unfiled);
    }

    void FillCategoryListBox(HWND) override {}
    void OnCategoryCreated(const RecordId&) override {}
    void OnCategoryRemoved(const RecordId&, bool) override {}
    void RepaintView() override {}
    bool HoldsRecord(const CImageItem* record) const override { return record && record == held; }

    // The card goes, and the browser's location object with it.
    void RemoveCard() { m_locations.Remove(CARD); }

private:
    static bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
        return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
    }

    CCategoryDB m_categories;
    CFolderList m_locations;
};
