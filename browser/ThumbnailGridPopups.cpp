// The detail layout's pop-ups: a photo's category and location changed
// from its own cell.
#include "browser/ThumbnailGrid.h"

#include <memory>

#include "browser/ChoiceMenus.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/FileOperations.h"
#include "catalogue/FolderList.h"
#include "catalogue/HeldRecord.h"
#include "catalogue/StringTable.h"
#include "platform/shell/Menu.h"
#include "platform/shell/MessageBoxWindow.h"
#include "resources/ResourceMenus.h"

namespace {

// Popup 0 of a menu resource, owned by the loaded bar.
Menu* PopupOf(const std::unique_ptr<Menu>& bar) { return bar ? bar->GetSubMenu(0) : nullptr; }

constexpr uint32_t STRING_IMAGE_DELETED = 136;

// The record as it is after the menu closed, or nullptr (and the user told)
// when it went away while a command was being chosen.
CImageItem* AfterMenu(const CHeldRecord& held, UINT command, HWND owner) {
    if (command != 0 && !held.Get())
        MessageBoxW(owner, LoadString(STRING_IMAGE_DELETED), u"Kestrelview", MB_OK);
    return command != 0 ? held.Get() : nullptr;
}

}  // namespace

// Menu 154: the categories go in before its "Unfiled" (as many as its ids
// hold), the photo's own checked.
void CThumbnailGrid::CategoryPopup(CImageItem& record, Point screen) {
    const std::unique_ptr<Menu> bar = LoadMenuResource(IDM_GRID_CATEGORY);
    Menu* menu = PopupOf(bar);
    const CCategoryDB* db = m_context.categories;
    if (!menu)
        return;
    CategoryChoices choices;
    const RecordId own = record.GetCategory();
    if (db)
        choices.Fill(*menu, 0, ID_CATEGORY_FIRST, *db, &own);
    if (!choices.CheckedListed())
        menu->CheckMenuItem(ID_UNFILED, MF_BYCOMMAND | MF_CHECKED);
    UINT command = 0;
    CImageItem* kept = nullptr;
    if (m_list) {
        const CHeldRecord held(*m_list, &record);
        command = TrackPopupMenu(*menu, TPM_RETURNCMD, screen.x, screen.y, this);
        kept = AfterMenu(held, command, GetParent());
    }
    if (!kept)
        return;
    RecordId category;
    if (command == ID_UNFILED)
        ApplyCategory(*kept, CATEGORY_ID_UNFILED);
    else if (choices.IdOf(command, category))
        ApplyCategory(*kept, category);
}

// The file is written first; a photo that leaves the filter leaves the grid.
void CThumbnailGrid::ApplyCategory(CImageItem& record, const RecordId& category) {
    const RecordId old = record.GetCategory();
    if (old == category || !m_list)
        return;
    if (m_list->SetCategory(record, category) != 0)
        return;
    if (m_list->Passes(m_filter, record)) {
        if (onCategoryChanged)
            onCategoryChanged(old, &record);
        Invalidate();
    } else {
        Refresh();
    }
}

// Menu 156 without its "All" (a photo is moved to a location, not to all of
// them): one item per location, 5000 + its position (as many as the ids
// hold), the photo's own checked.
void CThumbnailGrid::LocationPopup(CImageItem& record, Point screen) {
    const std::unique_ptr<Menu> bar = LoadMenuResource(IDM_LOCATION);
    Menu* menu = PopupOf(bar);
    if (!m_context.locations || !menu)
        return;
    menu->RemoveAll();
    LocationChoices choices;
    choices.Fill(*menu, -1, ID_LOCATION_FIRST, *m_context.locations, &record);
    UINT command = 0;
    CImageItem* kept = nullptr;
    if (m_list) {
        const CHeldRecord held(*m_list, &record);
        command = TrackPopupMenu(*menu, TPM_RETURNCMD, screen.x, screen.y, this);
        kept = AfterMenu(held, command, GetParent());
    }
    const std::u16string* path = kept ? choices.PathOf(command) : nullptr;
    // A card may have gone with its location while the menu was open.
    if (const CFolderItem* location = path ? m_context.locations->Find(*path) : nullptr)
        ApplyLocation(*kept, *location);
}

// The move's outcome reaches the catalogue through the shell's change
// notifications; here only a failure is told.
void CThumbnailGrid::ApplyLocation(CImageItem& record, const CFolderItem& location) {
    if (GridCellPainter::LocationName(record, m_context.locations) == location.GetName() &&
        record.IsUnder(location.GetPath()))
        return;
    const uint32_t result = MoveImageToLocation(record, location);
    if (result != 0) {
        MessageBoxW(GetParent(), MoveImageFailureText(result).text, u"Kestrelview", MB_OK);
        return;
    }
    if (m_list && !m_list->Passes(m_filter, record))
        Refresh();
    else
        Invalidate();
}
