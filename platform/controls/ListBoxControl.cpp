#include "platform/controls/ListBoxControl.h"

#include <algorithm>
#include <memory>

#include "platform/gdi/DeviceContext.h"
#include "platform/controls/ListRows.h"
#include "platform/window/WindowClass.h"
#include "platform/window/WindowManager.h"

// ---- geometry ----------------------------------------------------------------

Rect ListBoxControl::InnerRect() const {
    const Rect client = GetClientRect();
    if (!(GetStyle() & WS_BORDER))
        return client;
    return {client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
}

Rect ListBoxControl::RowsRect() const {
    Rect rows = InnerRect();
    if (m_scrollBar.IsVisibleFlag())
        rows.right = std::max(rows.left, rows.right - GetSystemMetrics(SM_CXVSCROLL));
    return rows;
}

int ListBoxControl::VisibleRows() const {
    return std::max(1, InnerRect().Height() / ListRowHeight());
}

int ListBoxControl::MaxTop() const { return std::max(0, GetCount() - VisibleRows()); }

int ListBoxControl::RowAt(Point client) const {
    const Rect rows = RowsRect();
    if (!rows.Contains(client.x, client.y))
        return -1;
    const int index = m_top + (client.y - rows.top) / ListRowHeight();
    return m_items.IsValid(index) ? index : -1;
}

void ListBoxControl::SetTop(int top) {
    top = std::clamp(top, 0, MaxTop());
    if (top == m_top)
        return;
    m_top = top;
    if (IsRedrawOn())
        m_scrollBar.SetScrollPos(m_top);
    Invalidate();
}

void ListBoxControl::EnsureVisible(int index) {
    if (index < m_top)
        SetTop(index);
    else if (index >= m_top + VisibleRows())
        SetTop(index - VisibleRows() + 1);
}

// Shows the bar when the rows overflow and brings its range up to date.
// Skipped while redrawing is off; turning it on catches up.
void ListBoxControl::UpdateScrollBar() {
    if (!IsRedrawOn() || !m_scrollBar.IsAlive())
        return;
    const bool needed = GetCount() > VisibleRows();
    const Rect inner = InnerRect();
    const int32_t width = GetSystemMetrics(SM_CXVSCROLL);
    m_scrollBar.MoveWindow({inner.right - width, inner.top, inner.right, inner.bottom});
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = std::max(0, GetCount() - 1);
    info.nPage = UINT(VisibleRows());
    info.nPos = m_top;
    m_scrollBar.SetScrollInfo(info, true);
    if (needed != m_scrollBar.IsVisibleFlag()) {
        m_scrollBar.ShowWindow(needed);
        Invalidate();
    }
}

// After items came or went: the top row stays in range.
void ListBoxControl::OnItemsChanged() {
    m_top = std::clamp(m_top, 0, MaxTop());
    UpdateScrollBar();
    Invalidate();
}

// ---- user actions --------------------------------------------------------------

bool ListBoxControl::SelectByUser(int index) {
    if (!m_items.IsValid(index) || index == GetCurSel())
        return false;
    m_items.Select(index);
    EnsureVisible(index);
    Invalidate();
    return true;
}

void ListBoxControl::Notify(uint16_t code) {
    if ((GetStyle() & LBS_NOTIFY) && GetParent())
        ::SendMessage(GetParent(), WM_COMMAND, MAKEWPARAM(uint16_t(GetId()), code),
                      LPARAM(HWND(this)));
}

bool ListBoxControl::OnKey(UINT key) {
    const int count = GetCount();
    const int current = GetCurSel();
    const int page = std::max(1, VisibleRows() - 1);
    int target;
    switch (key) {
    case VK_UP: target = current < 0 ? 0 : current - 1; break;
    case VK_DOWN: target = current < 0 ? 0 : current + 1; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = count - 1; break;
    case VK_PRIOR: target = std::max(0, (current < 0 ? 0 : current) - page); break;
    case VK_NEXT: target = std::min(count - 1, (current < 0 ? 0 : current) + page); break;
    default: return false;
    }
    if (SelectByUser(target))
        Notify(LBN_SELCHANGE);
    return true;
}

void ListBoxControl::OnStylusDown(Point p, bool doubleTap) {
    if (GetFocus() != this)
        SetFocus(this);
    m_tracking = true;
    m_selectionAtPress = GetCurSel();
    SetCapture(this);
    const int row = RowAt(p);
    SelectByUser(row);
    if (doubleTap && row >= 0)
        Notify(LBN_DBLCLK);
}

void ListBoxControl::OnStylusMove(Point p) {
    if (!m_tracking)
        return;
    // Dragging keeps choosing the row under the stylus, within the rows shown.
    const Rect rows = RowsRect();
    const Point inside{std::clamp(p.x, rows.left, rows.right - 1),
                       std::clamp(p.y, rows.top, rows.bottom - 1)};
    SelectByUser(RowAt(inside));
}

void ListBoxControl::OnStylusUp() {
    if (!m_tracking)
        return;
    m_tracking = false;
    ReleaseCapture();
    if (GetCurSel() != m_selectionAtPress)
        Notify(LBN_SELCHANGE);
}

void ListBoxControl::OnScroll(uint16_t code, int thumbPos) {
    SetTop(TopForScroll(code, thumbPos, m_top, VisibleRows(), MaxTop()));
}

// ---- painting ------------------------------------------------------------------

void ListBoxControl::Paint() {
    PAINTSTRUCT ps;
    DeviceContext* dc = BeginPaint(this, ps);
    if (!dc)
        return;
    // With redrawing off the area is only validated; turning it on repaints all.
    if (IsRedrawOn()) {
        if (GetStyle() & WS_BORDER)
            DrawFrame(*dc, GetClientRect(), GetSysColor(COLOR_WINDOWFRAME));
        const Rect rows = RowsRect();
        dc->IntersectClipRect(rows.left, rows.top, rows.right, rows.bottom);
        dc->FillSolidRect(rows, GetSysColor(COLOR_WINDOW));
        const int32_t height = ListRowHeight();
        for (int i = m_top; i < GetCount(); ++i) {
            const int32_t top = rows.top + (i - m_top) * height;
            if (top >= rows.bottom)
                break;
            const Rect row{rows.left, top, rows.right, top + height};
            DrawListRow(*dc, row, m_items.Text(i), i == GetCurSel(), IsWindowEnabled());
            if (i == GetCurSel() && GetFocus() == this)
                dc->DrawFocusRect(row);
        }
    }
    EndPaint(this, ps);
}

// ---- messages ------------------------------------------------------------------

LRESULT ListBoxControl::OnListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const int index = IndexFromWParam(wParam);
    switch (message) {
    case LB_ADDSTRING: return AddString(TextFromLParam(lParam));
    case LB_INSERTSTRING: return InsertString(index, TextFromLParam(lParam));
    case LB_DELETESTRING: return DeleteString(index);
    case LB_RESETCONTENT: ResetContent(); return 0;
    case LB_SETCURSEL: return SetCurSel(index);
    case LB_GETCURSEL: return GetCurSel();
    case LB_GETTEXT: return m_items.CopyText(index, reinterpret_cast<char16_t*>(lParam));
    case LB_GETTEXTLEN: return GetTextLen(index);
    case LB_GETCOUNT: return GetCount();
    case LB_GETTOPINDEX: return GetTopIndex();
    case LB_GETITEMDATA: return GetItemData(index);
    case LB_SETITEMDATA: return SetItemData(index, lParam);
    case LB_FINDSTRINGEXACT: return FindStringExact(index, TextFromLParam(lParam));
    default: return DefWindowProc(message, wParam, lParam);
    }
}

LRESULT ListBoxControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const Point p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_CREATE:
        // The bar's own position and range are set by UpdateScrollBar.
        if (!m_scrollBar.Create(this, {}, 0, u"", WS_CHILD | SBS_VERT))
            return -1;
        OnItemsChanged();
        return 0;
    case WM_SIZE: OnItemsChanged(); return 0;
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETREDRAW: SetRedraw(wParam != 0); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: Invalidate(); return 0;
    case WM_KEYDOWN: return OnKey(UINT(wParam)) ? 0 : DefWindowProc(message, wParam, lParam);
    case WM_LBUTTONDOWN: OnStylusDown(p, false); return 0;
    case WM_LBUTTONDBLCLK: OnStylusDown(p, true); return 0;
    case WM_MOUSEMOVE: OnStylusMove(p); return 0;
    case WM_LBUTTONUP: OnStylusUp(); return 0;
    case WM_CAPTURECHANGED:
        if (HWND::FromParam(lParam) != this)
            OnStylusUp();
        return 0;
    case WM_VSCROLL:
        if (HWND::FromParam(lParam) == &m_scrollBar)
            OnScroll(LOWORD(wParam), HIWORD(wParam));
        return 0;
    default: return OnListMessage(message, wParam, lParam);
    }
}

void RegisterListBoxClass() {
    RegisterWindowClass(WC_LISTBOX, CS_DBLCLKS, [] { return std::make_unique<ListBoxControl>(); });
}
