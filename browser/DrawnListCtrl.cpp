#include "browser/DrawnListCtrl.h"

#include <string>

#include "catalogue/ImageItem.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/fonts/DrawText.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/ImageStrip.h"
#include "platform/base/OsVersion.h"
#include "platform/base/Text.h"
#include "platform/base/Time.h"
#include "platform/window/WindowManager.h"

namespace {

// Type-ahead is shared by every list: what was typed and when the last
// character came.
std::u16string g_typed;
uint32_t g_lastTyped = 0;

// Cell icons sit 3 pixels in, 6 on a system reporting version 5.1.
int32_t CellImageInset() {
    const OsVersion version = GetOsVersion();
    return version.major == 5 && version.minor == 1 ? 6 : 3;
}

// Header formats and text flags code right and centre differently.
uint32_t TextAlignment(int format) {
    switch (format & HDF_JUSTIFYMASK) {
    case HDF_RIGHT: return DT_RIGHT;
    case HDF_CENTER: return DT_CENTER;
    default: return DT_LEFT;
    }
}

}  // namespace

// ---- the default operations -------------------------------------------------

int CDrawnListCtrl::GetSortColumn() const { return -1; }
void CDrawnListCtrl::DrawCell(DeviceContext&, int32_t, int32_t, int32_t, int32_t, int, int,
                              CImageItem*) {}
CImageItem* CDrawnListCtrl::RecordAt(int) { return nullptr; }
void CDrawnListCtrl::OnRowSelectionChanged(int, bool) {}
bool CDrawnListCtrl::IsRowSelected(UINT itemState, CImageItem*) {
    return (itemState & ODS_SELECTED) != 0;
}
std::u16string CDrawnListCtrl::RowText(CImageItem*, int) { return {}; }
void CDrawnListCtrl::OnRowActivated(int) {}
void CDrawnListCtrl::OnContextMenu(CImageItem*, Point) {}
void CDrawnListCtrl::OnBeginDrag(const NMLISTVIEW&) {}

// ---- cell helpers -----------------------------------------------------------

// The cell's background is already painted, so the text is drawn without
// one; a cut text stays inside its cell.
void CDrawnListCtrl::DrawCellText(DeviceContext& dc, int32_t left, int32_t top, int32_t right,
                                  int32_t bottom, std::u16string_view text, int format) {
    const Font* font = GetUiFont(UiFont::Normal);
    Rect rect{left + 3, top, right - 3, bottom};
    if (!font || text.empty() || rect.IsEmpty())
        return;
    const std::u16string cut = CutWithEllipsis(*font, text, rect.Width());
    const int mode = dc.SetBkMode(TRANSPARENT);
    DrawText(dc, *font, cut, rect, TextAlignment(format) | DT_SINGLELINE | DT_NOPREFIX);
    dc.SetBkMode(mode);
}

void CDrawnListCtrl::DrawCellImage(DeviceContext& dc, int32_t left, int32_t top,
                                   const ImageStrip& images, int index) {
    images.Draw(dc, index, left + CellImageInset(), top + 1);
}

// ---- drawing ----------------------------------------------------------------

void CDrawnListCtrl::DrawItem(const DRAWITEMSTRUCT& draw) {
    if (!draw.hDC || draw.itemAction == ODA_SELECT)
        return;  // a full redraw of the row follows
    DeviceContext& dc = *draw.hDC;
    if (draw.itemID < 0) {
        if (draw.itemAction & ODA_FOCUS)
            dc.DrawFocusRect(draw.rcItem);
        return;
    }
    if (draw.itemAction & ODA_DRAWENTIRE) {
        DrawRow(dc, draw.itemID, draw.rcItem, draw.itemState);
        if (draw.itemState & ODS_FOCUS)
            dc.DrawFocusRect(draw.rcItem);
    } else if (draw.itemAction & ODA_FOCUS) {
        dc.DrawFocusRect(draw.rcItem);
    }
}

// A row without a record is left blank rather than showing what was there.
void CDrawnListCtrl::DrawRow(DeviceContext& dc, int row, const Rect& rect, UINT itemState) {
    CImageItem* record = RecordAt(row);
    if (!record || !IsRowSelected(itemState, record)) {
        dc.FillSolidRect(rect, GetSysColor(COLOR_WINDOW));
        if (record)
            DrawCells(dc, rect, record, false);
        return;
    }
    dc.FillSolidRect(rect, GetSysColor(COLOR_HIGHLIGHT));
    const COLORREF text = dc.SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
    const COLORREF back = dc.SetBkColor(GetSysColor(COLOR_HIGHLIGHT));
    DrawCells(dc, rect, record, true);
    dc.SetTextColor(text);
    dc.SetBkColor(back);
}

// Cells follow the header's columns from the row's left edge. The sorted
// column is shaded over exactly its cell: the layer's null-pen rectangle
// covers right and bottom exclusive, so no extra row is added below.
void CDrawnListCtrl::DrawCells(DeviceContext& dc, const Rect& rect, CImageItem* record,
                               bool selected) {
    HeaderControl* header = GetHeaderCtrl();
    if (!header)
        return;
    const int sortColumn = GetSortColumn();
    const Pen* nullPen = GetStockPen(NULL_PEN);
    const Brush shade(SORTED_COLUMN_SHADE);
    int32_t left = rect.left;
    for (int i = 0; i < header->GetItemCount(); ++i) {
        HDITEM item;
        item.mask = HDI_FORMAT | HDI_WIDTH | HDI_LPARAM;
        header->GetItem(i, item);
        const int32_t right = left + item.cxy;
        if (!selected && item.lParam == sortColumn && item.cxy > 0) {
            const Pen* oldPen = dc.SelectObject(nullPen);
            const Brush* oldBrush = dc.SelectObject(&shade);
            dc.Rectangle(left, rect.top, right, rect.bottom);
            dc.SelectObject(oldPen);
            dc.SelectObject(oldBrush);
        }
        DrawCell(dc, left, rect.top, right, rect.bottom, int(item.lParam), item.fmt, record);
        left = right;
    }
}

// ---- keys -------------------------------------------------------------------

void CDrawnListCtrl::ResetTypeAhead() {
    g_typed.clear();
    g_lastTyped = 0;
}

// The first row whose text in the sorted column starts with what was typed
// becomes the only selected (and the focused) row.
bool CDrawnListCtrl::TypeAhead(char16_t ch) {
    const uint32_t now = GetTickCount();
    if (now - g_lastTyped > 2 * GetDoubleClickTime())
        g_typed.clear();
    g_typed += ch;
    g_lastTyped = now;
    const int column = GetSortColumn();
    for (int row = 0; row < GetItemCount(); ++row) {
        const std::u16string text = RowText(RecordAt(row), column);
        if (!text.empty() && StartsWithNoCase(text, g_typed)) {
            SelectOnly(row);
            EnsureVisible(row);
            return true;
        }
    }
    return false;
}

// Without a selection the rocker pages through the list instead of
// starting one. A page is the rows that fit whole below the header.
LRESULT CDrawnListCtrl::OnKeyDown(UINT key) {
    if (key != VK_DOWN && key != VK_UP && key != VK_RETURN)
        return DefaultKeyDown(key);
    if (GetSelectedCount() > 0)
        return key == VK_RETURN ? 0 : DefaultKeyDown(key);
    const int page = GetCountPerPage();
    if (key != VK_RETURN && GetItemCount() > page) {
        const int32_t distance = page * GetRowHeight();
        Scroll(0, key == VK_DOWN ? distance : -distance);
    }
    return 0;
}

void CDrawnListCtrl::OnEnterReleased() {
    const int selected = GetNextItem(-1, LVNI_SELECTED);
    if (selected >= 0) {
        OnRowActivated(selected);
        return;
    }
    if (GetItemCount() > 0)
        SetItemState(GetTopIndex(), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

// ---- notifications ----------------------------------------------------------

void CDrawnListCtrl::OnGesture(const NMRGINFO& info) {
    const int row = HitTest(ScreenToClient(info.ptAction));
    if (row < 0)
        return;
    if (CImageItem* record = RecordAt(row))
        OnContextMenu(record, info.ptAction);
}

bool CDrawnListCtrl::ReflectNotify(NMHDR& header, LRESULT& result) {
    switch (header.code) {
    case NM_RECOGNIZEGESTURE:
        OnGesture(reinterpret_cast<const NMRGINFO&>(header));
        result = 1;
        return true;
    case LVN_ITEMCHANGED: {
        const auto& nm = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((nm.uOldState ^ nm.uNewState) & LVIS_SELECTED)
            OnRowSelectionChanged(nm.iItem, GetItemState(nm.iItem, LVIS_SELECTED) != 0);
        return false;
    }
    case LVN_BEGINDRAG:
        OnBeginDrag(reinterpret_cast<const NMLISTVIEW&>(header));
        return false;
    default:
        return false;
    }
}

LRESULT CDrawnListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        return OnKeyDown(UINT(wParam));
    case WM_KEYUP:
        if (wParam == VK_RETURN)
            OnEnterReleased();
        return 0;
    case WM_CHAR:
        // Control characters (Enter, Backspace, Escape) are no search text.
        if (wParam >= 0x20 && TypeAhead(char16_t(wParam)))
            return 0;
        return ListViewControl::WindowProc(message, wParam, lParam);
    default:
        return ListViewControl::WindowProc(message, wParam, lParam);
    }
}
