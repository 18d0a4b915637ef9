#include "platform/controls/ScrollBarControl.h"

#include <algorithm>
#include <memory>

#include "platform/gdi/DeviceContext.h"
#include "platform/controls/ListRows.h"
#include "platform/window/WindowClass.h"
#include "platform/window/WindowManager.h"

namespace {

constexpr int32_t ARROW_WIDTH = 7;  // base of the arrow triangles

}  // namespace

// ---- state -------------------------------------------------------------------

int ScrollBarControl::MaxPos() const {
    const int64_t last = int64_t(m_max) - std::max<int64_t>(int64_t(m_page) - 1, 0);
    return int(std::max<int64_t>(last, m_min));
}

int ScrollBarControl::Clamp(int pos) const { return std::clamp(pos, m_min, MaxPos()); }

int ScrollBarControl::SetScrollInfo(const SCROLLINFO& info, bool redraw) {
    if (info.fMask & SIF_RANGE) {
        m_min = info.nMin;
        m_max = std::max(info.nMax, info.nMin);
    }
    if (info.fMask & SIF_PAGE)
        m_page = info.nPage;
    const int64_t range = int64_t(m_max) - m_min + 1;
    m_page = UINT(std::min<int64_t>(m_page, range));
    if (info.fMask & SIF_POS)
        m_pos = info.nPos;
    m_pos = Clamp(m_pos);
    Changed(redraw);
    return m_pos;
}

void ScrollBarControl::GetScrollInfo(SCROLLINFO& info) const {
    if (info.fMask & SIF_RANGE) {
        info.nMin = m_min;
        info.nMax = m_max;
    }
    if (info.fMask & SIF_PAGE)
        info.nPage = m_page;
    if (info.fMask & SIF_POS)
        info.nPos = m_pos;
    if (info.fMask & SIF_TRACKPOS)
        info.nTrackPos = m_pressed == Part::Thumb ? m_trackPos : m_pos;
}

int ScrollBarControl::SetScrollPos(int pos, bool redraw) {
    const int previous = m_pos;
    SCROLLINFO info;
    info.fMask = SIF_POS;
    info.nPos = pos;
    SetScrollInfo(info, redraw);
    return previous;
}

void ScrollBarControl::SetScrollRange(int min, int max, bool redraw) {
    SCROLLINFO info;
    info.fMask = SIF_RANGE;
    info.nMin = min;
    info.nMax = max;
    SetScrollInfo(info, redraw);
}

void ScrollBarControl::Changed(bool redraw) {
    if (redraw && IsAlive())
        InvalidateRect(this, nullptr, false);
}

// ---- geometry ----------------------------------------------------------------

int32_t ScrollBarControl::Length() const {
    return IsVertical() ? GetRect().Height() : GetRect().Width();
}

ScrollBarControl::Layout ScrollBarControl::ComputeLayout(int pos) const {
    const int32_t length = Length();
    const int32_t thickness = IsVertical() ? GetRect().Width() : GetRect().Height();
    Layout layout;
    layout.arrow = std::min(thickness, length / 2);
    layout.trackStart = layout.arrow;
    layout.trackEnd = length - layout.arrow;
    const int32_t track = layout.trackEnd - layout.trackStart;
    const int maxPos = MaxPos();
    int32_t thumb = thickness;
    if (m_page > 0)
        thumb = int32_t(int64_t(track) * m_page / (int64_t(m_max) - m_min + 1));
    thumb = std::max(thumb, MIN_THUMB);
    layout.thumbStart = layout.thumbEnd = layout.trackStart;
    if (maxPos <= m_min || thumb >= track || !IsWindowEnabled())
        return layout;
    const int64_t travel = track - thumb;
    layout.thumbStart =
        layout.trackStart + int32_t(travel * (int64_t(pos) - m_min) / (int64_t(maxPos) - m_min));
    layout.thumbEnd = layout.thumbStart + thumb;
    return layout;
}

int ScrollBarControl::PosFromThumbStart(const Layout& layout, int32_t thumbStart) const {
    const int64_t travel =
        (layout.trackEnd - layout.trackStart) - (layout.thumbEnd - layout.thumbStart);
    if (travel <= 0)
        return m_min;
    const int64_t span = int64_t(MaxPos()) - m_min;
    const int64_t moved = thumbStart - layout.trackStart;
    return m_min + int((moved * span + travel / 2) / travel);
}

Rect ScrollBarControl::SpanRect(int32_t start, int32_t end) const {
    const Rect client = GetClientRect();
    return IsVertical() ? Rect{0, start, client.right, end} : Rect{start, 0, end, client.bottom};
}

ScrollBarControl::Part ScrollBarControl::HitTest(Point client) const {
    if (!GetClientRect().Contains(client.x, client.y))
        return Part::None;
    const Layout layout = ComputeLayout(m_pos);
    const int32_t at = Along(client);
    if (at < layout.trackStart)
        return Part::LineUp;
    if (at >= layout.trackEnd)
        return Part::LineDown;
    if (layout.thumbEnd == layout.thumbStart)
        return Part::None;
    if (at < layout.thumbStart)
        return Part::PageUp;
    return at < layout.thumbEnd ? Part::Thumb : Part::PageDown;
}

// ---- painting ----------------------------------------------------------------

void ScrollBarControl::Paint() {
    PAINTSTRUCT ps;
    DeviceContext* dc = BeginPaint(this, ps);
    if (!dc)
        return;
    const Rect client = GetClientRect();
    dc->FillSolidRect(client, GetSysColor(COLOR_SCROLLBAR));
    Layout layout = ComputeLayout(m_pos);
    if (m_pressed == Part::Thumb) {
        const int32_t size = layout.thumbEnd - layout.thumbStart;
        layout.thumbStart = m_dragThumbStart;
        layout.thumbEnd = m_dragThumbStart + size;
    }
    PaintArrow(*dc, SpanRect(0, layout.arrow), true, m_pressed == Part::LineUp);
    PaintArrow(*dc, SpanRect(Length() - layout.arrow, Length()), false,
               m_pressed == Part::LineDown);
    if (layout.thumbEnd > layout.thumbStart) {
        const Rect thumb = SpanRect(layout.thumbStart, layout.thumbEnd);
        dc->FillSolidRect(thumb, GetSysColor(COLOR_BTNFACE));
        DrawFrame(*dc, thumb, GetSysColor(COLOR_BTNSHADOW));
    }
    EndPaint(this, ps);
}

void ScrollBarControl::PaintArrow(DeviceContext& dc, const Rect& box, bool first, bool pressed) {
    if (box.IsEmpty())
        return;
    dc.FillSolidRect(box, GetSysColor(pressed ? COLOR_BTNSHADOW : COLOR_BTNFACE));
    DrawFrame(dc, box, GetSysColor(COLOR_BTNSHADOW));
    const bool active = IsWindowEnabled() && MaxPos() > m_min;
    const int colour = pressed ? COLOR_BTNHIGHLIGHT : active ? COLOR_BTNTEXT : COLOR_GRAYTEXT;
    const ArrowDirection direction = IsVertical()
        ? (first ? ArrowDirection::Up : ArrowDirection::Down)
        : (first ? ArrowDirection::Left : ArrowDirection::Right);
    const int32_t width = std::min<int32_t>(ARROW_WIDTH, std::min(box.Width(), box.Height()) - 4);
    if (width > 0)
        DrawArrowTriangle(dc, box, direction, width | 1, GetSysColor(colour));
}

// ---- stylus --------------------------------------------------------------------

uint16_t ScrollBarControl::CodeFor(Part part) const {
    switch (part) {
    case Part::LineUp: return SB_LINEUP;
    case Part::LineDown: return SB_LINEDOWN;
    case Part::PageUp: return SB_PAGEUP;
    case Part::PageDown: return SB_PAGEDOWN;
    default: return SB_ENDSCROLL;
    }
}

void ScrollBarControl::Notify(uint16_t code, int pos) {
    HWND parent = GetParent();
    if (!parent)
        return;
    ::SendMessage(parent, IsVertical() ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, uint16_t(pos)),
                  LPARAM(HWND(this)));
}

void ScrollBarControl::OnStylusDown(Point p) {
    const Part part = HitTest(p);
    if (part == Part::None)
        return;
    SetCapture(this);
    m_pressed = part;
    m_stylus = p;
    InvalidateRect(this, nullptr, false);
    if (part == Part::Thumb) {
        const Layout layout = ComputeLayout(m_pos);
        m_grabOffset = Along(p) - layout.thumbStart;
        m_dragThumbStart = layout.thumbStart;
        m_trackPos = m_pos;
        return;
    }
    WindowManager::Current()->SetTimer(this, REPEAT_TIMER, REPEAT_DELAY_MS);
    Notify(CodeFor(part));
}

void ScrollBarControl::OnStylusMove(Point p) {
    if (m_pressed == Part::None)
        return;
    m_stylus = p;
    if (m_pressed != Part::Thumb)
        return;
    const Layout layout = ComputeLayout(m_pos);
    const int32_t size = layout.thumbEnd - layout.thumbStart;
    const int32_t start =
        std::clamp(Along(p) - m_grabOffset, layout.trackStart, layout.trackEnd - size);
    if (start != m_dragThumbStart) {
        m_dragThumbStart = start;
        InvalidateRect(this, nullptr, false);
    }
    const int pos = Clamp(PosFromThumbStart(layout, start));
    if (pos != m_trackPos) {
        m_trackPos = pos;
        Notify(SB_THUMBTRACK, pos);
    }
}

void ScrollBarControl::OnStylusUp() {
    if (m_pressed == Part::None)
        return;
    const Part part = m_pressed;
    m_pressed = Part::None;
    KillTimer(this, REPEAT_TIMER);
    ReleaseCapture();
    InvalidateRect(this, nullptr, false);
    if (part == Part::Thumb)
        Notify(SB_THUMBPOSITION, m_trackPos);
    Notify(SB_ENDSCROLL);
}

void ScrollBarControl::OnRepeat() {
    if (m_pressed == Part::None || m_pressed == Part::Thumb) {
        KillTimer(this, REPEAT_TIMER);
        return;
    }
    WindowManager::Current()->SetTimer(this, REPEAT_TIMER, REPEAT_INTERVAL_MS);
    // A page press stops once the thumb has reached the stylus.
    if (HitTest(m_stylus) == m_pressed)
        Notify(CodeFor(m_pressed));
}

LRESULT ScrollBarControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const Point p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnStylusDown(p); return 0;
    case WM_MOUSEMOVE: OnStylusMove(p); return 0;
    case WM_LBUTTONUP: OnStylusUp(); return 0;
    case WM_CAPTURECHANGED:
        if (HWND::FromParam(lParam) != this)
            OnStylusUp();
        return 0;
    case WM_TIMER:
        if (wParam == REPEAT_TIMER)
            OnRepeat();
        return 0;
    case WM_SIZE:
    case WM_ENABLE: InvalidateRect(this, nullptr, false); return 0;
    case SBM_SETPOS: return SetScrollPos(int(intptr_t(wParam)), lParam != 0);
    case SBM_GETPOS: return m_pos;
    case SBM_SETRANGE: {
        const int previous = m_pos;
        SetScrollRange(int(intptr_t(wParam)), int(lParam), false);
        return previous;
    }
    case SBM_GETRANGE:
        if (auto* min = reinterpret_cast<int*>(wParam))
            *min = m_min;
        if (auto* max = reinterpret_cast<int*>(lParam))
            *max = m_max;
        return 0;
    case SBM_SETSCROLLINFO:
        if (!lParam)
            return m_pos;
        return SetScrollInfo(*reinterpret_cast<const SCROLLINFO*>(lParam), wParam != 0);
    case SBM_GETSCROLLINFO:
        if (!lParam)
            return 0;
        GetScrollInfo(*reinterpret_cast<SCROLLINFO*>(lParam));
        return 1;
    default: return DefWindowProc(message, wParam, lParam);
    }
}

void RegisterScrollBarClass() {
    RegisterWindowClass(WC_SCROLLBAR, 0, [] { return std::make_unique<ScrollBarControl>(); });
}
