#pragma once
#include <string_view>

#include "catalogue/CatalogueTypes.h"
#include "platform/window/WindowMessages.h"

class CCategoryDB;
class CFolderList;
class CImageItem;

// What the dialogs ask of the browser view that opened them: its locations
// and categories in the order it shows them, and the callbacks that keep its
// category popup and filter in step with edits of the category database.
class BrowserServices {
public:
    virtual ~BrowserServices() = default;

    virtual CCategoryDB& Categories() = 0;
    virtual CFolderList& Locations() = 0;

    // One entry per location in location order; the entry whose location
    // contains `path` is selected.
    virtual void FillLocationCombo(HWND combo, std::u16string_view path) = 0;
    // "All" first when `withAll`, the categories, then "Unfiled"; the entry
    // equal to `category` is selected, else "Unfiled".
    virtual void FillCategoryCombo(HWND combo, bool withAll, const RecordId& category) = 0;
    // One entry per category name in category order.
    virtual void FillCategoryListBox(HWND listBox) = 0;

    // A category was added to the database (or came back under a new name).
    virtual void OnCategoryCreated(const RecordId& id) = 0;
    // A category is going away (or being renamed, `keepImages`); when it is
    // the current filter the filter becomes "All".
    virtual void OnCategoryRemoved(const RecordId& id, bool keepImages) = 0;
    virtual void RepaintView() = 0;

    // Whether the record is still in the catalogue: a dialog that keeps a
    // record asks before using it after a modal step.
    virtual bool HoldsRecord(const CImageItem* record) const = 0;
};
