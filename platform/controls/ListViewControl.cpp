#include "platform/controls/ListViewControl.h"

#include <algorithm>
#include <memory>

#include "platform/gdi/DeviceContext.h"
#include "platform/window/WindowClass.h"
#include "platform/window/WindowManager.h"

ListViewControl::~ListViewControl() {
    // The header goes first; then the base destroys the list itself.
    m_header.Destroy();
}

// ---- columns ----------------------------------------------------------------

int ListViewControl::InsertColumn(int index, std::u16string_view heading, int format, int width) {
    if (!IsAlive())
        return -1;
    HDITEM item;
    item.mask = HDI_TEXT | HDI_FORMAT | HDI_WIDTH;
    item.text = heading;
    item.fmt = format | (heading.empty() ? 0 : HDF_STRING);
    item.cxy = width < 0 ? 50 : width;
    const int at = m_header.InsertItem(index, item);
    Relayout();
    return at;
}

bool ListViewControl::DeleteColumn(int index) {
    if (!m_header.DeleteItem(index))
        return false;
    Relayout();
    return true;
}

int ListViewControl::GetColumnWidth(int index) const {
    HDITEM item;
    item.mask = HDI_WIDTH;
    return m_header.GetItem(index, item) ? item.cxy : 0;
}

bool ListViewControl::SetColumnWidth(int index, int width) {
    HDITEM item;
    item.mask = HDI_WIDTH;
    item.cxy = width;
    return m_header.SetItem(index, item);  // HDN_ITEMCHANGED lays the list out again
}

// ---- rows -------------------------------------------------------------------

int ListViewControl::InsertItem(int index, std::u16string_view text) {
    const size_t at = index < 0 ? m_rows.size() : std::min(size_t(index), m_rows.size());
    Row row;
    row.text = text;
    m_rows.insert(m_rows.begin() + ptrdiff_t(at), row);
    if (m_anchor >= int(at))
        ++m_anchor;
    InvalidateRows();
    return int(at);
}

bool ListViewControl::DeleteItem(int index) {
    if (index < 0 || index >= GetItemCount())
        return false;
    m_rows.erase(m_rows.begin() + index);
    if (m_anchor == index)
        m_anchor = -1;
    else if (m_anchor > index)
        --m_anchor;
    if (m_press.row == index)
        m_press.row = -1;
    else if (m_press.row > index)
        --m_press.row;
    ClampTop();
    InvalidateRows();
    return true;
}

bool ListViewControl::DeleteAllItems() {
    m_rows.clear();
    m_anchor = -1;
    m_press.row = -1;
    m_top = 0;
    InvalidateRows();
    return true;
}

UINT ListViewControl::GetItemState(int index, UINT mask) const {
    if (index < 0 || index >= GetItemCount())
        return 0;
    return m_rows[size_t(index)].state & mask;
}

bool ListViewControl::SetItemState(int index, UINT state, UINT mask) {
    if (index == -1) {
        UINT allMask = mask;
        if (state & LVIS_FOCUSED)
            allMask &= ~LVIS_FOCUSED;
        if ((state & LVIS_SELECTED) && IsSingleSelection())
            allMask &= ~LVIS_SELECTED;
        // A notified parent may delete rows: the count is read each time.
        for (int i = 0; i < GetItemCount(); ++i)
            ChangeState(i, state, allMask);
        return true;
    }
    if (index < 0 || index >= GetItemCount())
        return false;
    if ((mask & state & LVIS_FOCUSED) != 0) {
        const int focused = GetNextItem(-1, LVNI_FOCUSED);
        if (focused >= 0 && focused != index)
            ChangeState(focused, 0, LVIS_FOCUSED);
    }
    if ((mask & state & LVIS_SELECTED) != 0 && IsSingleSelection()) {
        for (int i = GetNextItem(-1, LVNI_SELECTED); i >= 0; i = GetNextItem(i, LVNI_SELECTED))
            if (i != index)
                ChangeState(i, 0, LVIS_SELECTED);
    }
    if (index < GetItemCount())
        ChangeState(index, state, mask);
    return true;
}

void ListViewControl::ChangeState(int index, UINT state, UINT mask) {
    Row& row = m_rows[size_t(index)];
    const UINT old = row.state;
    const UINT now = (old & ~mask) | (state & mask);
    if (now == old)
        return;
    row.state = now;
    InvalidateRow(index);
    NMLISTVIEW nm;
    nm.hdr.code = LVN_ITEMCHANGED;
    nm.iItem = index;
    nm.uNewState = now;
    nm.uOldState = old;
    nm.uChanged = LVIF_STATE;
    nm.lParam = row.data;
    SendNotify(nm.hdr);
}

LPARAM ListViewControl::GetItemData(int index) const {
    return index >= 0 && index < GetItemCount() ? m_rows[size_t(index)].data : 0;
}

bool ListViewControl::SetItemData(int index, LPARAM data) {
    if (index < 0 || index >= GetItemCount())
        return false;
    m_rows[size_t(index)].data = data;
    return true;
}

int ListViewControl::GetNextItem(int start, int flags) const {
    const UINT wanted = UINT(flags) & (LVIS_SELECTED | LVIS_FOCUSED);
    for (int i = std::max(start + 1, 0); i < GetItemCount(); ++i)
        if ((m_rows[size_t(i)].state & wanted) == wanted)
            return i;
    return -1;
}

int ListViewControl::GetSelectedCount() const {
    return int(std::count_if(m_rows.begin(), m_rows.end(),
                             [](const Row& r) { return (r.state & LVIS_SELECTED) != 0; }));
}

void ListViewControl::SelectOnly(int index) {
    for (int i = GetNextItem(-1, LVNI_SELECTED); i >= 0; i = GetNextItem(i, LVNI_SELECTED))
        if (i != index)
            ChangeState(i, 0, LVIS_SELECTED);
    if (index >= 0 && index < GetItemCount())
        SetItemState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void ListViewControl::SelectRange(int from, int to) {
    const int low = std::min(from, to), high = std::max(from, to);
    for (int i = 0; i < GetItemCount(); ++i)
        ChangeState(i, (i >= low && i <= high) ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void ListViewControl::FocusRow(int index) {
    if (index >= 0 && index < GetItemCount())
        SetItemState(index, LVIS_FOCUSED, LVIS_FOCUSED);
}

// ---- geometry and scrolling -------------------------------------------------

int ListViewControl::GetCountPerPage() const {
    return std::max(0, (GetClientRect().Height() - GetHeaderHeight()) / m_rowHeight);
}

int32_t ListViewControl::RowWidth() const {
    return std::max(m_header.TotalWidth(), GetClientRect().Width());
}

Rect ListViewControl::RowsArea() const {
    Rect area = GetClientRect();
    area.top = std::min(area.bottom, GetHeaderHeight());
    return area;
}

bool ListViewControl::GetItemRect(int index, Rect& rect, int) const {
    if (index < 0 || index >= GetItemCount())
        return false;
    const int32_t top = GetHeaderHeight() + (index - m_top) * m_rowHeight;
    rect = {-m_scrollX, top, RowWidth() - m_scrollX, top + m_rowHeight};
    return true;
}

bool ListViewControl::GetItemPosition(int index, Point& point) const {
    Rect rect;
    if (!GetItemRect(index, rect))
        return false;
    point = {rect.left, rect.top};
    return true;
}

int ListViewControl::HitTest(Point point) const {
    if (!RowsArea().Contains(point.x, point.y))
        return -1;
    const int row = m_top + (point.y - GetHeaderHeight()) / m_rowHeight;
    return row < GetItemCount() ? row : -1;
}

bool ListViewControl::EnsureVisible(int index, bool partialOk) {
    if (index < 0 || index >= GetItemCount())
        return false;
    const int perPage = std::max(1, GetCountPerPage());
    const bool partlyShown = index == m_top + perPage &&
                             GetHeaderHeight() + perPage * m_rowHeight < GetClientRect().Height();
    if (index < m_top)
        SetTop(index);
    else if (index >= m_top + perPage && !(partialOk && partlyShown))
        SetTop(index - perPage + 1);
    return true;
}

bool ListViewControl::Scroll(int32_t dx, int32_t dy) {
    const int32_t half = m_rowHeight / 2;
    const int rows = (dy >= 0 ? dy + half : dy - half) / m_rowHeight;
    const int32_t maxX = std::max(0, m_header.TotalWidth() - GetClientRect().Width());
    const int32_t x = std::clamp(m_scrollX + dx, 0, maxX);
    if (x != m_scrollX) {
        m_scrollX = x;
        Relayout();
    }
    SetTop(m_top + rows);
    return true;
}

void ListViewControl::SetTop(int top) {
    const int before = m_top;
    m_top = top;
    ClampTop();
    if (m_top != before)
        InvalidateRows();
}

void ListViewControl::ClampTop() {
    const int maxTop = std::max(0, GetItemCount() - GetCountPerPage());
    m_top = std::clamp(m_top, 0, maxTop);
}

// The header lies over the columns: it is moved left by the sideways
// scroll and is as wide as the rows.
void ListViewControl::Relayout() {
    if (!IsAlive())
        return;
    const int32_t maxX = std::max(0, m_header.TotalWidth() - GetClientRect().Width());
    m_scrollX = std::clamp(m_scrollX, 0, maxX);
    m_header.MoveWindow({-m_scrollX, 0, RowWidth() - m_scrollX, GetHeaderHeight()}, m_redraw);
    ClampTop();
    InvalidateRows();
}

void ListViewControl::InvalidateRow(int index) {
    Rect rect;
    if (m_redraw && GetItemRect(index, rect))
        InvalidateRect(this, &rect, false);
}

void ListViewControl::InvalidateRows() {
    if (!m_redraw || !IsAlive())
        return;
    const Rect area = RowsArea();
    InvalidateRect(this, &area, false);
}

// ---- painting ---------------------------------------------------------------

bool ListViewControl::HasKeyboardFocus() const {
    WindowManager* manager = WindowManager::Current();
    return manager && manager->GetFocus() == this;
}

void ListViewControl::Paint() {
    PAINTSTRUCT ps;
    DeviceContext* dc = BeginPaint(this, ps);
    if (dc && m_redraw) {
        const Rect area = RowsArea();
        int32_t bottom = area.top;
        for (int row = m_top; row < GetItemCount() && bottom < area.bottom; ++row) {
            Rect rect;
            GetItemRect(row, rect);
            if (!rect.Intersect(ps.rcPaint).IsEmpty())
                PaintRow(*dc, row, rect, ODA_DRAWENTIRE);
            bottom = rect.bottom;
        }
        if (bottom < area.bottom)
            dc->FillSolidRect({0, bottom, area.right, area.bottom}, GetSysColor(COLOR_WINDOW));
        // An empty list still shows that it has the focus.
        if (GetItemCount() == 0 && HasKeyboardFocus())
            PaintRow(*dc, -1, {0, area.top, area.right, area.top + m_rowHeight}, ODA_FOCUS);
    }
    EndPaint(this, ps);
}

// Whatever the owner does to the context's colours and objects is undone
// before the next row.
void ListViewControl::PaintRow(DeviceContext& dc, int row, const Rect& rect, UINT action) {
    DRAWITEMSTRUCT draw;
    draw.CtlType = ODT_LISTVIEW;
    draw.CtlID = UINT(GetId());
    draw.itemID = row;
    draw.itemAction = action;
    const UINT state = GetItemState(row, LVIS_SELECTED | LVIS_FOCUSED);
    draw.itemState = ((state & LVIS_SELECTED) ? ODS_SELECTED : 0) |
                     ((row < 0 || (state & LVIS_FOCUSED)) && HasKeyboardFocus() ? ODS_FOCUS : 0);
    draw.hwndItem = this;
    draw.hDC = &dc;
    draw.rcItem = rect;
    draw.itemData = uintptr_t(GetItemData(row));
    const COLORREF text = dc.GetTextColor(), back = dc.GetBkColor();
    const int mode = dc.GetBkMode();
    const Pen* pen = dc.GetCurrentPen();
    const Brush* brush = dc.GetCurrentBrush();
    DrawItem(draw);
    dc.SetTextColor(text);
    dc.SetBkColor(back);
    dc.SetBkMode(mode);
    dc.SelectObject(pen);
    dc.SelectObject(brush);
}

void ListViewControl::MeasureItem(MEASUREITEMSTRUCT& measure) {
    if (GetParent())
        SendMessage(GetParent(), WM_MEASUREITEM, WPARAM(GetId()), reinterpret_cast<LPARAM>(&measure));
}

void ListViewControl::DrawItem(const DRAWITEMSTRUCT& draw) {
    if (GetParent())
        SendMessage(GetParent(), WM_DRAWITEM, WPARAM(GetId()), reinterpret_cast<LPARAM>(&draw));
}

// ---- messages ---------------------------------------------------------------

bool ListViewControl::ReflectNotify(NMHDR&, LRESULT&) { return false; }

LRESULT ListViewControl::SendNotify(NMHDR& header) {
    header.hwndFrom = this;
    header.idFrom = uintptr_t(GetId());
    LRESULT result = 0;
    if (ReflectNotify(header, result))
        return result;
    if (!GetParent())
        return 0;
    return SendMessage(GetParent(), WM_NOTIFY, WPARAM(GetId()), reinterpret_cast<LPARAM>(&header));
}

LRESULT ListViewControl::OnCreate() {
    SetClassStyle(GetClassStyle() | CS_DBLCLKS);
    MEASUREITEMSTRUCT measure;
    measure.CtlType = ODT_LISTVIEW;
    measure.CtlID = UINT(GetId());
    MeasureItem(measure);
    m_rowHeight = measure.itemHeight > 0 ? int32_t(measure.itemHeight) : DEFAULT_ROW_HEIGHT;
    const Rect client = GetClientRect();
    if (!m_header.Create(this, {0, 0, client.Width(), GetHeaderHeight()}, HEADER_ID, u"",
                         WS_CHILD | WS_VISIBLE))
        return -1;
    return 0;
}

// The header's notifications go on to the list's parent, which answers them.
LRESULT ListViewControl::OnNotify(WPARAM wParam, LPARAM lParam) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header || header->hwndFrom != &m_header)
        return 0;
    if (header->code == HDN_ITEMCHANGED)
        Relayout();
    return GetParent() ? SendMessage(GetParent(), WM_NOTIFY, wParam, lParam) : 0;
}

LRESULT ListViewControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const Point point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_CREATE:
        return OnCreate();
    case WM_SIZE:
        Relayout();
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // rows and the area below them are painted whole
    case WM_SETREDRAW:
        m_redraw = wParam != 0;
        SendMessage(&m_header, WM_SETREDRAW, wParam, 0);
        if (m_redraw) {
            Relayout();
            InvalidateRect(this, nullptr, true);
        }
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (GetItemCount() == 0)
            InvalidateRows();
        else
            InvalidateRow(GetNextItem(-1, LVNI_FOCUSED));
        return 0;
    case WM_NOTIFY:
        return OnNotify(wParam, lParam);
    case WM_KEYDOWN:
        return DefaultKeyDown(UINT(wParam));
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnStylusDown(point, wParam, message == WM_LBUTTONDBLCLK);
        return 0;
    case WM_MOUSEMOVE:
        OnStylusMove(point);
        return 0;
    case WM_LBUTTONUP:
        OnStylusUp(point);
        return 0;
    case WM_CAPTURECHANGED:
        if (HWND::FromParam(lParam) != this)
            m_press.active = false;
        return 0;
    default:
        return DefWindowProc(message, wParam, lParam);
    }
}

void RegisterListViewClasses() {
    RegisterWindowClass(WC_LISTVIEW, CS_DBLCLKS, [] { return std::make_unique<ListViewControl>(); });
    RegisterWindowClass(WC_HEADER, CS_DBLCLKS, [] { return std::make_unique<HeaderControl>(); });
}
