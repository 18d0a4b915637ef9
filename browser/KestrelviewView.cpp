#include "browser/KestrelviewView.h"

#include <algorithm>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/ImageScanner.h"
#include "catalogue/StringTable.h"
#include "handheld/RegisteredMessages.h"
#include "platform/window/WindowManager.h"

namespace {

struct ColumnInfo {
    uint32_t id;
    const char16_t* heading;
};
constexpr ColumnInfo COLUMNS[COLUMN_COUNT] = {
    {COLUMN_LOCATION, u"Location"}, {COLUMN_NAME, u"Name"},       {COLUMN_CATEGORY, u"Category"},
    {COLUMN_SIZE, u"Size"},         {COLUMN_DIMENSIONS, u"Dimensions"}, {COLUMN_DATE, u"Date"},
    {COLUMN_NOTE, u""},
};

bool IsShown(uint32_t id) { return id == COLUMN_NAME || GetShowColumn(id); }

}  // namespace

CKestrelviewView::CKestrelviewView() : m_catalogue(&m_categories), m_list(*this) {}

CKestrelviewView::~CKestrelviewView() {
    m_grid.Destroy();
    m_list.Destroy();
}

bool CKestrelviewView::CreateBrowserControls(const Rect& area) {
    RegisterListViewClasses();
    if (!m_list.Create(this, area, LIST_ID, u"", WS_CHILD | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                                                      LVS_OWNERDRAWFIXED))
        return false;
    m_list.SetSortColumn(m_sortColumn);
    if (!m_grid.Create(this, area, GRID_ID))
        return false;
    BuildColumns();
    m_grid.SetCatalogue(&m_categories, &m_locations);
    m_grid.SetImageList(&m_catalogue);
    // A category changed in a detail cell can change which rows the list has.
    m_grid.onCategoryChanged = [this](const RecordId&, CImageItem*) {
        FillList(m_filter.location, m_filter.category);
    };
    return true;
}

void CKestrelviewView::ReadSortPreferences() {
    m_sortColumn = std::min<int>(GetSortColumn(), SORT_KEY_COUNT - 1);
    m_sortAscending = GetSortAscending();
    m_catalogue.SetShowPrivate(GetShowPrivate());
    m_catalogue.Resort(uint16_t(m_sortColumn), m_sortAscending);
    m_list.SetSortColumn(m_sortColumn);
}

void CKestrelviewView::SetFilter(std::u16string_view location, const RecordId& category) {
    m_filter.location = location;
    m_filter.category = category;
}

void CKestrelviewView::ForgetRecord(const CImageItem* record) {
    if (record == m_openedByClick)
        m_openedByClick = nullptr;
}

void CKestrelviewView::SaveOnExit() {
    if (m_saved)
        return;
    m_saved = true;
    SaveColumnWidths();
    CImageScanner(m_catalogue, m_locations, m_categories, std::u16string(CATEGORY_DB_PATH)).SaveCaches();
}

// ---- columns ----------------------------------------------------------------

void CKestrelviewView::BuildColumns() {
    HeaderControl* header = m_list.GetHeaderCtrl();
    if (!header)
        return;
    if (m_firstBuild) {
        m_list.InsertColumn(0, u"", LVCFMT_LEFT, 0);
        header->SetImageList(&m_list.Symbols());
        m_firstBuild = false;
    }
    while (header->GetItemCount() > 0)
        m_list.DeleteColumn(0);
    const ColumnWidths widths = GetColumnWidths();
    int position = 0;
    for (const ColumnInfo& column : COLUMNS) {
        if (!IsShown(column.id))
            continue;
        const int width = std::clamp<int>(widths[column.id], MIN_COLUMN_WIDTH, MAX_COLUMN_WIDTH);
        m_list.InsertColumn(position, column.heading, LVCFMT_LEFT, width);
        HDITEM item;
        item.mask = HDI_LPARAM;
        item.lParam = LPARAM(column.id);
        if (column.id == COLUMN_NOTE) {
            item.mask |= HDI_FORMAT | HDI_IMAGE;
            item.fmt = HDF_IMAGE | HDF_CENTER;
            item.iImage = 0;
        }
        header->SetItem(position, item);
        ++position;
    }
}

// Hidden columns keep what is stored for them.
void CKestrelviewView::SaveColumnWidths() {
    HeaderControl* header = m_list.GetHeaderCtrl();
    if (!header)
        return;
    ColumnWidths widths = GetColumnWidths();
    int position = 0;
    for (const ColumnInfo& column : COLUMNS) {
        if (!IsShown(column.id) || position >= header->GetItemCount())
            continue;
        widths[column.id] = uint16_t(m_list.GetColumnWidth(position++));
    }
    SetColumnWidths(widths);
}

bool CKestrelviewView::IsNoteColumn(int position) {
    HeaderControl* header = m_list.GetHeaderCtrl();
    HDITEM item;
    item.mask = HDI_LPARAM;
    return header && header->GetItem(position, item) && item.lParam == LPARAM(COLUMN_NOTE);
}

// ---- rows -------------------------------------------------------------------

void CKestrelviewView::FillList(std::u16string_view location, const RecordId& category) {
    SetFilter(location, category);
    m_list.DeleteAllItems();
    const int count = m_catalogue.Count(m_filter);
    for (int i = 0; i < count; ++i)
        InsertRow(m_catalogue.Nth(m_filter, i), -1, false);
}

void CKestrelviewView::InsertRow(CImageItem* record, int position, bool selected) {
    if (!record)
        return;
    const int row = m_list.InsertItem(position < 0 ? m_list.GetItemCount() : position);
    if (row < 0)
        return;
    m_list.SetItemState(row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
    record->SetSelected(selected);
}

// The whole filter decides, location and privacy too: rows are drawn from
// the displayed records, so a row for a record that is not displayed would
// show another one.
void CKestrelviewView::AddRecord(CImageItem* record) {
    if (!record || !m_catalogue.Passes(m_filter, *record))
        return;
    InsertRow(record, -1, false);
    m_grid.Refresh();
}

// Rows are drawn from the displayed records, so removing a row only has to
// keep the count right; the row the record had is reported for the caller.
int CKestrelviewView::RemoveRow(const CImageItem* record) {
    const int row = m_catalogue.IndexOf(m_filter, record);
    if (row < 0 || row >= m_list.GetItemCount())
        return -1;
    SendMessage(&m_list, WM_SETREDRAW, 0, 0);
    m_list.DeleteItem(row);
    SendMessage(&m_list, WM_SETREDRAW, 1, 0);
    return row;
}

void CKestrelviewView::UpdateRow(const CImageItem* record) {
    const int row = m_catalogue.IndexOf(m_filter, record);
    if (row < 0 || row >= m_list.GetItemCount())
        return;
    const bool selected = m_list.GetItemState(row, LVIS_SELECTED) != 0;
    SendMessage(&m_list, WM_SETREDRAW, 0, 0);
    m_list.DeleteItem(row);
    InsertRow(const_cast<CImageItem*>(record), row, selected);
    SendMessage(&m_list, WM_SETREDRAW, 1, 0);
}

void CKestrelviewView::SortByColumn(int column) {
    if (column < 0 || column >= int(SORT_KEY_COUNT))
        return;
    m_sortAscending = column == int(GetSortColumn()) ? !GetSortAscending() : true;
    m_sortColumn = column;
    SetSortAscending(m_sortAscending);
    ::SetSortColumn(uint8_t(column));
    m_list.SetSortColumn(column);
    m_catalogue.Resort(uint16_t(column), m_sortAscending);
    FillList(m_filter.location, m_filter.category);
    m_grid.Refresh();
}

// ---- notifications ----------------------------------------------------------

// A double tap opens the photo once: its first release (the click) opens
// it, and the second tap is kept from the photo by the double-tap guard
// (or, when it still reaches the list, by remembering what the click opened).
void CKestrelviewView::OnRowTapped(const NMITEMACTIVATE& tap, bool doubleTap) {
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    CImageItem* record = row >= 0 ? m_catalogue.Nth(m_filter, row) : nullptr;
    if (!record)
        return;
    if (doubleTap) {
        const bool opened = record == m_openedByClick;
        m_openedByClick = nullptr;
        if (!opened)
            ShowImage(record, false);
        return;
    }
    m_openedByClick = record;
    m_doubleTap.Arm(this, m_list.ClientToScreen(tap.ptAction));
    ShowImage(record, true);
}

// A photo picked in the grid; when a tap picked it, the second tap of a
// double tap must not reach the photo.
void CKestrelviewView::OnImageSelected(int position) {
    CImageItem* record = m_catalogue.Nth(m_filter, position);
    if (!record)
        return;
    Point tap;
    if (m_grid.TakeOpeningTap(tap))
        m_doubleTap.Arm(this, tap);
    ShowImage(record, false);
}

LRESULT CKestrelviewView::OnListNotify(NMHDR& header) {
    switch (header.code) {
    case NM_CLICK:
        OnRowTapped(reinterpret_cast<const NMITEMACTIVATE&>(header), false);
        return 0;
    case NM_DBLCLK:
        OnRowTapped(reinterpret_cast<const NMITEMACTIVATE&>(header), true);
        return 0;
    case HDN_ITEMCLICK: {
        const auto& nm = reinterpret_cast<const NMHEADER&>(header);
        if (nm.pitem)
            SortByColumn(int(nm.pitem->lParam));
        return 0;
    }
    case HDN_BEGINTRACK:
        return IsNoteColumn(reinterpret_cast<const NMHEADER&>(header).iItem) ? 1 : 0;
    default:
        return 0;
    }
}

LRESULT CKestrelviewView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_doubleTap.Filter(this, message, wParam, lParam))
        return 0;
    if (message == WM_NOTIFY && lParam) {
        // The list passes its header's notifications on as they are.
        NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
        if (header.hwndFrom == &m_list || header.hwndFrom == m_list.GetHeaderCtrl())
            return OnListNotify(header);
    }
    if (message == ImageSelectedMessage() && wParam == 0) {
        OnImageSelected(int(LOWORD(uintptr_t(lParam))));
        return 0;
    }
    return View::WindowProc(message, wParam, lParam);
}
