// The browser view follows the device's files as they change: cards come
// and go, photos are copied in, deleted and renamed, the category database
// is replaced. The shell tells the view by a notification per change.
#include "browser/KestrelviewHHView.h"

#include <string>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/ImageItem.h"
#include "handheld/ViewModes.h"
#include "platform/base/Text.h"
#include "platform/shell/Shell.h"
#include "platform/shell/ShellChangeNotifier.h"
#include "platform/window/WindowManager.h"

namespace {

// The size of a change record the view reads; others are not looked at.
constexpr uint32_t CHANGE_RECORD_SIZE = 36;

constexpr uint32_t WATCHED_EVENTS =
    SHCNE_RENAMEITEM | SHCNE_CREATE | SHCNE_DELETE | SHCNE_DRIVEREMOVED | SHCNE_DRIVEADD;

}  // namespace

// The whole file system, every card included. A change that comes while a
// menu, message box or dialog is open waits until it has closed: the open
// screen may hold the very record or location the change would free.
void CKestrelviewHHView::RegisterForChanges() {
    SHCHANGENOTIFYENTRY entry;
    entry.dwEventMask = WATCHED_EVENTS;
    entry.pszWatchDir = nullptr;
    entry.fRecursive = true;
    m_changesRegistered = SHChangeNotifyRegister(this, entry);
    if (WindowManager* manager = WindowManager::Current())
        manager->HoldWhileModal(this, WM_FILECHANGEINFO);
}

void CKestrelviewHHView::DeregisterForChanges() {
    if (m_changesRegistered)
        SHChangeNotifyDeregister(this);
    m_changesRegistered = false;
}

CImageScanner CKestrelviewHHView::Scanner() {
    return CImageScanner(Catalogue(), Locations(), Categories(), std::u16string(CATEGORY_DB_PATH));
}

// The first of the events in this order that the record names is handled.
LRESULT CKestrelviewHHView::OnFileChange(LPARAM lParam) {
    auto* record = reinterpret_cast<FILECHANGENOTIFY*>(lParam);
    if (!record)
        return 0;
    const FILECHANGEINFO& info = record->fci;
    const uint32_t event = info.wEventId;
    const bool readable = info.cbSize == CHANGE_RECORD_SIZE;
    const std::u16string path1 = info.dwItem1 ? info.dwItem1 : u"";
    const std::u16string path2 = info.dwItem2 ? info.dwItem2 : u"";
    SHChangeNotifyFree(record);
    if (!readable || path1.empty())
        return 0;
    if (event & SHCNE_DRIVEADD)
        OnDriveAdded(path1);
    else if (event & SHCNE_DRIVEREMOVED)
        OnDriveRemoved(path1);
    else if (event & SHCNE_CREATE)
        OnItemCreated(path1);
    else if (event & SHCNE_DELETE)
        OnItemDeleted(path1);
    else if ((event & SHCNE_RENAMEITEM) && !path2.empty())
        OnItemRenamed(path1, path2);
    return 0;
}

void CKestrelviewHHView::OnDriveAdded(std::u16string_view card) {
    WaitCursor wait;
    const bool added = Scanner().OnCardAdded(card);
    BuildLocationMenu();
    UpdateSelectorTexts();
    if (added)
        RefreshFully();
}

// The card's location stays listed, empty, as it would after a restart
// with the card out. The photo shown alone from the card goes first, as a
// deleted one does.
void CKestrelviewHHView::OnDriveRemoved(std::u16string_view card) {
    WaitCursor wait;
    const CImageItem* shown = m_mode == VIEW_SINGLE ? ShownRecord() : nullptr;
    if (shown && shown->IsOnCard(std::u16string(card)))
        LeaveSingle();
    if (Scanner().OnCardRemoved(card))
        RefreshFully();
}

// A record passing the filter gets its row where the catalogue put it,
// so that the rows after it, and the selection, move along with their
// photos.
void CKestrelviewHHView::OnItemCreated(std::u16string_view path) {
    // The same file written again: its old record goes as if deleted.
    if (Catalogue().Find(path))
        OnItemDeleted(path);
    if (!Scanner().OnFileCreated(path))
        return;
    Grid().ForgetThumbnail(path);
    CImageItem* record = Catalogue().Find(path);
    const int position = record ? DisplayedIndexOf(record) : -1;
    if (position < 0)
        return;
    InsertRow(record, position, false);
    Grid().Refresh();
}

void CKestrelviewHHView::OnItemDeleted(std::u16string_view path) {
    CImageItem* record = Catalogue().Find(path);
    if (!record)
        return;
    if (m_mode == VIEW_SINGLE && ShownRecord() == record)
        LeaveSingle();
    const bool hadRow = RemoveRow(record) >= 0;
    const bool removed = Scanner().OnFileDeleted(path);
    Grid().ForgetThumbnail(path);
    // A record outside every location stays; its row comes back.
    if (hadRow && !removed)
        RefreshFully();
    else
        Grid().Refresh();
}

// A file written whole under a temporary name and renamed into place is
// the usual way the category database is replaced.
void CKestrelviewHHView::OnItemRenamed(std::u16string_view oldPath, std::u16string_view newPath) {
    if (!EqualsNoCase(newPath, CATEGORY_DB_PATH)) {
        OnItemDeleted(oldPath);
        OnItemCreated(newPath);
        return;
    }
    Scanner().OnFileRenamed(oldPath, newPath);
    // A filter on a category the new database lacks would show nothing
    // under a selector saying "All".
    const RecordId& category = Filter().category;
    if (category != CATEGORY_ID_ALL && category != CATEGORY_ID_UNFILED && !Categories().Exists(category)) {
        SetFilter(Filter().location, CATEGORY_ID_ALL);
        Grid().SetCategoryFilter(CATEGORY_ID_ALL);
    }
    BuildCategoryMenu();
    UpdateSelectorTexts();
    RefreshFully();
}
