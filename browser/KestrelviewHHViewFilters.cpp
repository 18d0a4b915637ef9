// The location and category selectors: their popups built from the
// locations and categories, their texts, and the filters they set; and
// the dialogs' lists of the same choices.
#include "browser/KestrelviewHHView.h"

#include "browser/FlatComboBox.h"
#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/FolderList.h"
#include "handheld/Preferences.h"
#include "handheld/Strings.h"
#include "platform/base/Text.h"
#include "platform/controls/ControlMessages.h"
#include "platform/shell/Menu.h"
#include "platform/window/WindowManager.h"

namespace {

// The popup a selector opens: the first submenu of its menu.
Menu* PopupOf(CFlatComboBox* selector) {
    Menu* bar = selector ? selector->GetMenu() : nullptr;
    return bar ? bar->GetSubMenu(0) : nullptr;
}

// Selector ids: "All" stands at position 0, so the first choice is first + 1.
constexpr UINT SELECTOR_LOCATION_FIRST = ID_LOCATION_FIRST + 1;
constexpr UINT SELECTOR_CATEGORY_FIRST = ID_CATEGORY_FIRST + 1;

}  // namespace

void CKestrelviewHHView::AddFilterCommands() {
    OnCommand(ID_LOCATION_ALL, [this] { ChooseLocation(u""); });
    OnCommandRange(SELECTOR_LOCATION_FIRST, ID_LOCATION_LAST, [this](UINT id) {
        if (const std::u16string* path = m_locationChoices.PathOf(id))
            ChooseLocation(std::u16string(*path));
    });
    OnCommand(ID_CATEGORY_ALL, [this] { ChooseCategory(CATEGORY_ID_ALL); });
    OnCommand(ID_CATEGORY_UNFILED, [this] { ChooseCategory(CATEGORY_ID_UNFILED); });
    OnCommandRange(SELECTOR_CATEGORY_FIRST, ID_CATEGORY_LAST, [this](UINT id) {
        RecordId category;
        if (m_categoryChoices.IdOf(id, category))
            ChooseCategory(category);
    });
    OnCommand(ID_EDIT_CATEGORIES, [this] { OnEditCategories(); });
}

void CKestrelviewHHView::BuildFilterMenus() {
    BuildLocationMenu();
    BuildCategoryMenu();
    UpdateSelectorTexts();
    FillList(Filter().location, Filter().category);
}

// "All", then the locations.
void CKestrelviewHHView::BuildLocationMenu() {
    Menu* popup = PopupOf(m_location.get());
    if (!popup)
        return;
    popup->RemoveAll();
    popup->AppendItem(MF_STRING, ID_LOCATION_ALL, STRING_ALL);
    m_locationChoices.Fill(*popup, -1, SELECTOR_LOCATION_FIRST, Locations());
}

// "All", the categories, "Unfiled", "Edit Categories...".
void CKestrelviewHHView::BuildCategoryMenu() {
    Menu* popup = PopupOf(m_category.get());
    if (!popup)
        return;
    popup->RemoveAll();
    popup->AppendItem(MF_STRING, ID_CATEGORY_ALL, STRING_ALL);
    m_categoryChoices.Fill(*popup, -1, SELECTOR_CATEGORY_FIRST, Categories());
    popup->AppendItem(MF_STRING, ID_CATEGORY_UNFILED, STRING_UNFILED);
    popup->AppendItem(MF_STRING, ID_EDIT_CATEGORIES, u"Edit Categories...");
}

// A location or category the lists no longer hold shows as "All".
void CKestrelviewHHView::UpdateSelectorTexts() {
    if (m_location) {
        const CFolderItem* location = Filter().location.empty() ? nullptr : Locations().Find(Filter().location);
        m_location->SetText(location ? std::u16string(location->GetName()) : std::u16string(STRING_ALL));
    }
    if (m_category) {
        const RecordId& category = Filter().category;
        std::u16string text(STRING_ALL);
        if (category == CATEGORY_ID_UNFILED)
            text = STRING_UNFILED;
        else if (std::u16string name; category != CATEGORY_ID_ALL && Categories().NameOf(category, name))
            text = CategoryShownName(name);
        m_category->SetText(text);
    }
}

// The same location again changes nothing and writes nothing.
void CKestrelviewHHView::ChooseLocation(std::u16string_view path) {
    if (EqualsNoCase(path, Filter().location))
        return;
    SetLastViewedLocation(std::u16string(path));
    FillList(path, Filter().category);
    UpdateSelectorTexts();
    Grid().SetLocationFilter(path);
}

void CKestrelviewHHView::ChooseCategory(const RecordId& category) {
    if (category == Filter().category)
        return;
    SetLastViewedCategory(category);
    FillList(Filter().location, category);
    UpdateSelectorTexts();
    Grid().SetCategoryFilter(category);
}

// ---- the dialogs' lists ------------------------------------------------------

void CKestrelviewHHView::FillLocationCombo(HWND combo, std::u16string_view path) {
    SendMessage(combo, CB_RESETCONTENT, 0, 0);
    for (const auto& item : Locations().GetItems()) {
        const LRESULT index = SendMessage(combo, CB_ADDSTRING, 0, LPARAM(item->GetName().c_str()));
        if (index < 0)
            continue;
        SendMessage(combo, CB_SETITEMDATA, WPARAM(index), LPARAM(item.get()));
        if (!path.empty() && StartsWithNoCase(path, item->GetPath()))
            SendMessage(combo, CB_SETCURSEL, WPARAM(index), 0);
    }
}

void CKestrelviewHHView::FillCategoryCombo(HWND combo, bool withAll, const RecordId& category) {
    SendMessage(combo, CB_RESETCONTENT, 0, 0);
    LRESULT selected = -1;
    if (withAll) {
        SendMessage(combo, CB_INSERTSTRING, 0, LPARAM(STRING_ALL.data()));
        SendMessage(combo, CB_SETITEMDATA, 0, LPARAM(&CATEGORY_ID_ALL));
        if (category == CATEGORY_ID_ALL)
            selected = 0;
    }
    for (size_t i = 0; i < Categories().Count(); ++i) {
        const CategoryRecord record = Categories().RecordAt(i);
        if (!record.IsLive())
            continue;
        const std::u16string name = CategoryShownName(record.Name());
        const LRESULT index = SendMessage(combo, CB_INSERTSTRING, WPARAM(-1), LPARAM(name.c_str()));
        SendMessage(combo, CB_SETITEMDATA, WPARAM(index), 0);
        if (record.id == category)
            selected = index;
    }
    const LRESULT unfiled = SendMessage(combo, CB_INSERTSTRING, WPARAM(-1), LPARAM(STRING_UNFILED.data()));
    SendMessage(combo, CB_SETITEMDATA, WPARAM(unfiled), LPARAM(&CATEGORY_ID_UNFILED));
    SendMessage(combo, CB_SETCURSEL, WPARAM(selected >= 0 ? selected : unfiled), 0);
}

void CKestrelviewHHView::FillCategoryListBox(HWND listBox) {
    SendMessage(listBox, LB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < Categories().Count(); ++i) {
        const CategoryRecord record = Categories().RecordAt(i);
        if (!record.IsLive())
            continue;
        const std::u16string name = CategoryShownName(record.Name());
        const LRESULT index = SendMessage(listBox, LB_INSERTSTRING, WPARAM(-1), LPARAM(name.c_str()));
        SendMessage(listBox, LB_SETITEMDATA, WPARAM(index), 0);
    }
}

// ---- category edits -------------------------------------------------------------

void CKestrelviewHHView::OnCategoryCreated(const RecordId&) {
    Catalogue().InvalidateDisplay();
    BuildCategoryMenu();
    UpdateSelectorTexts();
    RefreshFully();
}

// A category going away files its photos as unfiled and, as the filter,
// gives way to "All". One that only changes its name (it comes back with
// the same id) keeps its photos and stays the filter.
void CKestrelviewHHView::OnCategoryRemoved(const RecordId& id, bool keepImages) {
    if (!keepImages)
        Catalogue().UncategorizeAll(id);
    if (Filter().category == id && !keepImages) {
        SetLastViewedCategory(CATEGORY_ID_ALL);
        SetFilter(Filter().location, CATEGORY_ID_ALL);
        Grid().SetCategoryFilter(CATEGORY_ID_ALL);
    }
    Catalogue().InvalidateDisplay();
    BuildCategoryMenu();
    UpdateSelectorTexts();
    RefreshFully();
}

void CKestrelviewHHView::RepaintView() {
    InvalidateRect(this, nullptr, true);
    RefreshFully();
}
