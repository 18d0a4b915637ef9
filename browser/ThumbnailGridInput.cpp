// The grid's stylus and keys.
#include "browser/ThumbnailGrid.h"

#include <algorithm>

#include "handheld/RegisteredMessages.h"
#include "platform/window/WindowManager.h"

void CThumbnailGrid::SelectionChanged() {
    if (onSelectionChanged)
        onSelectionChanged();
}

void CThumbnailGrid::ClearSelection() {
    if (m_list)
        m_list->ClearSelection();
}

void CThumbnailGrid::OpenImage(int index) {
    if (index >= 0 && index < Count())
        ::SendMessage(GetParent(), ImageSelectedMessage(), 0, LPARAM(index));
}

// Ctrl toggles one photo, Shift selects the run from the anchor, a plain
// tap selects the photo alone; holding it opens its menu instead.
bool CThumbnailGrid::TakeOpeningTap(Point& screen) {
    const bool tap = m_openingTap;
    m_openingTap = false;
    screen = m_openingTapAt;
    return tap;
}

void CThumbnailGrid::OnStylusDown(Point p, WPARAM keys) {
    const int index = m_layout.HitTest(m_top, p);
    m_pressed = -1;
    m_openedOnRelease = -1;
    CImageItem* record = RecordAt(index);
    if (!record) {
        ClearSelection();
        Invalidate();
    } else if (keys & MK_CONTROL) {
        record->SetSelected(!record->IsSelected());
        Invalidate();
    } else if (keys & MK_SHIFT) {
        const int from = std::max(m_anchor, 0);
        for (int i = std::min(from, index); i <= std::max(from, index); ++i)
            if (CImageItem* r = RecordAt(i))
                r->SetSelected(true);
        Invalidate();
    } else {
        ClearSelection();
        record->SetSelected(true);
        Invalidate();
        m_pressed = index;
    }
    m_anchor = index;
    SelectionChanged();
    if (!record || (keys & (MK_CONTROL | MK_SHIFT)))
        return;
    if (m_layout.Layout() == GRID_DETAIL && OnDetailPopup(index, p)) {
        m_pressed = -1;
        return;
    }
    // The selection shows before the hold is decided.
    UpdateWindow(this);
    if (RecognizeHold(this, p) == GN_CONTEXTMENU) {
        m_pressed = -1;
        if (onContextMenu)
            onContextMenu(record, ClientToScreen(p));
    }
}

bool CThumbnailGrid::OnDetailPopup(int index, Point p) {
    const Rect cell = m_layout.CellOfIndex(m_top, index);
    const Size size{cell.Width(), cell.Height()};
    const int32_t x = p.x - cell.left, y = p.y - cell.top;
    CImageItem* record = RecordAt(index);
    if (!record)
        return false;
    if (GridCellPainter::CategoryLine(size, m_context.lineHeight).Contains(x, y)) {
        UpdateWindow(this);
        CategoryPopup(*record, ClientToScreen(p));
        return true;
    }
    if (GridCellPainter::LocationLine(size, m_context.lineHeight).Contains(x, y)) {
        UpdateWindow(this);
        LocationPopup(*record, ClientToScreen(p));
        return true;
    }
    return false;
}

// The photo opens when the stylus is lifted over the cell it went down on.
void CThumbnailGrid::OnStylusUp(Point p) {
    const int pressed = m_pressed;
    m_pressed = -1;
    const int index = m_layout.HitTest(m_top, p);
    if (index >= 0 && index == pressed && index == m_anchor) {
        m_openedOnRelease = index;
        m_openingTap = true;
        m_openingTapAt = ClientToScreen(p);
        OpenImage(index);
        m_openingTap = false;
    }
}

// The release of the first tap has opened the photo already; the second
// tap of a double tap must not open it again. It opens only what the first
// release did not (a Ctrl or Shift tap, for instance).
void CThumbnailGrid::OnDoubleTap(Point p) {
    const int index = m_layout.HitTest(m_top, p);
    const bool openedByRelease = index >= 0 && index == m_openedOnRelease;
    m_pressed = -1;
    m_openedOnRelease = -1;
    if (index >= 0 && !openedByRelease)
        OpenImage(index);
}

void CThumbnailGrid::OnKeyDown(UINT key) {
    const bool selection = m_list && m_list->AnySelected();
    const int columns = m_layout.Columns();
    if (!selection || key == VK_NEXT || key == VK_PRIOR) {
        const int page = m_layout.FullRows();
        if (key == VK_DOWN || key == VK_NEXT)
            ScrollTo(m_top + page);
        else if (key == VK_UP || key == VK_PRIOR)
            ScrollTo(m_top - page);
        return;
    }
    switch (key) {
    case VK_LEFT: if (m_anchor >= 0) MoveTo(m_anchor - 1, false); break;
    case VK_UP: if (m_anchor >= 0) MoveTo(m_anchor - columns, false); break;
    case VK_RIGHT: MoveTo(m_anchor < 0 ? 0 : m_anchor + 1, true); break;
    case VK_DOWN: MoveTo(m_anchor < 0 ? 0 : m_anchor + columns, true); break;
    case VK_HOME: MoveTo(0, false); ScrollTo(0); break;
    case VK_END: MoveTo(Count() - 1, true); ScrollTo(m_layout.LargestTopRow()); break;
    default: break;
    }
}

void CThumbnailGrid::MoveTo(int target, bool forward) {
    CImageItem* record = target >= 0 && target < Count() ? RecordAt(target) : nullptr;
    if (!record)
        return;
    m_anchor = target;
    ClearSelection();
    record->SetSelected(true);
    if (!m_layout.IsWhollyVisible(m_top, target)) {
        const int row = target / m_layout.Columns();
        ScrollTo(forward ? row - m_layout.FullRows() + 1 : row);
    }
    Invalidate();
    SelectionChanged();
}

void CThumbnailGrid::OnEnterUp() {
    if (m_list && m_list->AnySelected()) {
        OpenImage(m_anchor >= 0 ? m_anchor : m_list->FirstSelectedIndex(m_filter));
        return;
    }
    const int first = m_top * m_layout.Columns();
    if (CImageItem* record = RecordAt(first)) {
        record->SetSelected(true);
        m_anchor = first;
        Invalidate();
        SelectionChanged();
    }
}
