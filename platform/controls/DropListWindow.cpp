#include "platform/controls/DropListWindow.h"

#include <algorithm>

#include "platform/gdi/DeviceContext.h"
#include "platform/controls/ListRows.h"
#include "platform/window/ModalInput.h"
#include "platform/window/WindowManager.h"

namespace {
constexpr int32_t FRAME = 1;
}

Rect DropListWindow::PlaceFor(const Rect& anchor, int itemCount) {
    const int32_t rowHeight = ListRowHeight();
    const int rows = std::clamp(itemCount, 1, MAX_VISIBLE_ROWS);
    int32_t height = rows * rowHeight + 2 * FRAME;
    const int32_t below = SCREEN_HEIGHT - anchor.bottom;
    const int32_t above = anchor.top;
    bool down = height <= below || (height > above && below >= above);
    if (height > (down ? below : above))
        height =
            std::max(1, ((down ? below : above) - 2 * FRAME) / rowHeight) * rowHeight + 2 * FRAME;
    return down ? Rect{anchor.left, anchor.bottom, anchor.right, anchor.bottom + height}
                : Rect{anchor.left, anchor.top - height, anchor.right, anchor.top};
}

int DropListWindow::Track(const Rect& rect) {
    if (!Create(nullptr, rect, 0, u"", WS_VISIBLE))
        return -1;
    if (!m_scrollBar.Create(this, {}, 0, u"", WS_CHILD | SBS_VERT)) {
        Destroy();
        return -1;
    }
    m_hot = m_items.Selection();
    UpdateScrollBar();
    if (m_hot >= VisibleRows())
        SetTop(m_hot - VisibleRows() + 1);
    SetCapture(this);
    const ModalScreen screen;
    // The scroll bar takes the stylus while it is pressed; the list takes
    // it back afterwards so that a tap anywhere else still reaches it.
    WindowManager::Current()->RunModalLoop([this] {
        if (!m_done && IsAlive() && !GetCapture())
            SetCapture(this);
        return m_done || !IsAlive();
    });
    if (GetCapture() == this)
        ReleaseCapture();
    Destroy();
    return m_done ? m_choice : -1;
}

void DropListWindow::Close(int choice) {
    m_done = true;
    m_choice = m_items.IsValid(choice) ? choice : -1;
}

// ---- geometry ----------------------------------------------------------------

Rect DropListWindow::RowsRect() const {
    const Rect client = GetClientRect();
    Rect rows{client.left + FRAME, client.top + FRAME, client.right - FRAME, client.bottom - FRAME};
    if (m_scrollBar.IsVisibleFlag())
        rows.right = std::max(rows.left, rows.right - GetSystemMetrics(SM_CXVSCROLL));
    return rows;
}

int DropListWindow::VisibleRows() const {
    return std::max(1, (GetClientRect().Height() - 2 * FRAME) / ListRowHeight());
}

int DropListWindow::RowAt(Point client) const {
    const Rect rows = RowsRect();
    if (!rows.Contains(client.x, client.y))
        return -1;
    const int index = m_top + (client.y - rows.top) / ListRowHeight();
    return m_items.IsValid(index) ? index : -1;
}

void DropListWindow::UpdateScrollBar() {
    const Rect client = GetClientRect();
    const int32_t width = GetSystemMetrics(SM_CXVSCROLL);
    m_scrollBar.MoveWindow(
        {client.right - FRAME - width, FRAME, client.right - FRAME, client.bottom - FRAME});
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = std::max(0, m_items.Count() - 1);
    info.nPage = UINT(VisibleRows());
    info.nPos = m_top;
    m_scrollBar.SetScrollInfo(info, true);
    m_scrollBar.ShowWindow(m_items.Count() > VisibleRows());
}

void DropListWindow::SetTop(int top) {
    top = std::clamp(top, 0, std::max(0, m_items.Count() - VisibleRows()));
    if (top == m_top)
        return;
    m_top = top;
    m_scrollBar.SetScrollPos(m_top);
    InvalidateRect(this, nullptr, false);
}

void DropListWindow::SetHot(int index) {
    if (!m_items.IsValid(index) || index == m_hot)
        return;
    m_hot = index;
    if (index < m_top)
        SetTop(index);
    else if (index >= m_top + VisibleRows())
        SetTop(index - VisibleRows() + 1);
    InvalidateRect(this, nullptr, false);
}

// ---- input ---------------------------------------------------------------------

bool DropListWindow::OnKey(UINT key) {
    switch (key) {
    case VK_UP: SetHot(m_hot < 0 ? 0 : m_hot - 1); return true;
    case VK_DOWN: SetHot(m_hot < 0 ? 0 : m_hot + 1); return true;
    case VK_RETURN: Close(m_hot); return true;
    case VK_ESCAPE: Close(-1); return true;
    default: return false;
    }
}

void DropListWindow::OnStylusDown(WPARAM keys, Point p) {
    if (!GetClientRect().Contains(p.x, p.y)) {
        Close(-1);
        return;
    }
    const Rect bar = m_scrollBar.GetRect();
    if (m_scrollBar.IsVisibleFlag() && bar.Contains(p.x, p.y)) {
        ::SendMessage(&m_scrollBar, WM_LBUTTONDOWN, keys,
                      MAKELPARAM(p.x - bar.left, p.y - bar.top));
        return;
    }
    SetHot(RowAt(p));
}

void DropListWindow::OnStylusMove(WPARAM keys, Point p) {
    if (keys & MK_LBUTTON)
        SetHot(RowAt(p));
}

// A release over a row chooses it, also at the end of a drag that began on
// the box; elsewhere (the end of the tap that dropped the list) it does not.
void DropListWindow::OnStylusUp(Point p) {
    const int row = RowAt(p);
    if (row >= 0)
        Close(row);
}

void DropListWindow::OnScroll(uint16_t code, int thumbPos) {
    SetTop(TopForScroll(code, thumbPos, m_top, VisibleRows(), std::max(0, m_items.Count() - VisibleRows())));
}

// ---- painting and messages -------------------------------------------------------

void DropListWindow::Paint() {
    PAINTSTRUCT ps;
    DeviceContext* dc = BeginPaint(this, ps);
    if (!dc)
        return;
    DrawFrame(*dc, GetClientRect(), GetSysColor(COLOR_WINDOWFRAME));
    const Rect rows = RowsRect();
    dc->IntersectClipRect(rows.left, rows.top, rows.right, rows.bottom);
    dc->FillSolidRect(rows, GetSysColor(COLOR_WINDOW));
    const int32_t height = ListRowHeight();
    for (int i = m_top; i < m_items.Count(); ++i) {
        const int32_t top = rows.top + (i - m_top) * height;
        if (top >= rows.bottom)
            break;
        DrawListRow(*dc, {rows.left, top, rows.right, top + height}, m_items.Text(i), i == m_hot,
                    true);
    }
    EndPaint(this, ps);
}

LRESULT DropListWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const Point p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnStylusDown(wParam, p); return 0;
    case WM_MOUSEMOVE: OnStylusMove(wParam, p); return 0;
    case WM_LBUTTONUP: OnStylusUp(p); return 0;
    case WM_KEYDOWN: return OnKey(UINT(wParam)) ? 0 : DefWindowProc(message, wParam, lParam);
    case WM_VSCROLL:
        if (HWND::FromParam(lParam) == &m_scrollBar)
            OnScroll(LOWORD(wParam), HIWORD(wParam));
        return 0;
    default: return DefWindowProc(message, wParam, lParam);
    }
}
