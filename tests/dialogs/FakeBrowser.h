#pragma once
#include <string>
#include <vector>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/FolderList.h"
#include "dialogs/BrowserServices.h"
#include "platform/base/Text.h"
#include "platform/controls/ComboBoxControl.h"
#include "platform/controls/ListBoxControl.h"
#include "platform/window/WindowManager.h"

// The browser view as the dialogs see it: its category database (bound to
// the device's database file), its locations, the fill services as the
// view does them, and a log of the callbacks with the database as each
// callback found it.
class FakeBrowser : public BrowserServices {
public:
    struct Call {
        std::string what;  // "created", "removed", "removed keeping images", "repaint"
        std::u16string name;  // the category's name then ("" for a repaint)
        bool live = false;    // whether it was a live category then
    };

    CCategoryDB db;
    CFolderList locations;
    std::vector<Call> calls;

    CCategoryDB& Categories() override { return db; }
    CFolderList& Locations() override { return locations; }

    void FillLocationCombo(HWND combo, std::u16string_view path) override {
        auto* box = dynamic_cast<ComboBoxControl*>(WindowManager::Current()->FromHandle(combo));
        box->ResetContent();
        for (const auto& location : locations.GetItems()) {
            const int at = box->AddString(location->GetName());
            box->SetItemData(at, reinterpret_cast<LPARAM>(location.get()));
            if (StartsWithNoCase(path, location->GetPath()))
                box->SetCurSel(at);
        }
    }
    void FillCategoryCombo(HWND combo, bool withAll, const RecordId& category) override {
        auto* box = dynamic_cast<ComboBoxControl*>(WindowManager::Current()->FromHandle(combo));
        box->ResetContent();
        size_t cursor = 0;
        CategoryRecord record;
        std::u16string name;
        int chosen = -1;
        if (withAll)
            box->SetItemData(box->AddString(STRING_ALL), 0);
        while (db.NextLive(cursor, record, name)) {
            const int at = box->AddString(name);
            if (record.id == category)
                chosen = at;
        }
        const int unfiled = box->AddString(STRING_UNFILED);
        box->SetCurSel(chosen >= 0 ? chosen : unfiled);
    }
    void FillCategoryListBox(HWND listBox) override {
        auto* box = dynamic_cast<ListBoxControl*>(WindowManager::Current()->FromHandle(listBox));
        size_t cursor = 0;
        CategoryRecord record;
        std::u16string name;
        while (db.NextLive(cursor, record, name))
            box->AddString(name);
    }

    void OnCategoryCreated(const RecordId& id) override { Log("created", id); }
    void OnCategoryRemoved(const RecordId& id, bool keepImages) override {
        Log(keepImages ? "removed keeping images" : "removed", id);
    }
    void RepaintView() override { calls.push_back({"repaint", u"", false}); }
    bool HoldsRecord(const CImageItem*) const override { return true; }

private:
    static bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
        return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
    }
    void Log(const char* what, const RecordId& id) {
        CategoryRecord record;
        const bool found = db.Get(id, record);
        calls.push_back({what, found ? record.Name() : u"", found && record.IsLive()});
    }
};
