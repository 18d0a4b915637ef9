#include "platform/shell/PopupMenuWindow.h"

#include <algorithm>

#include "platform/fonts/DrawText.h"
#include "platform/fonts/SystemFont.h"
#include "platform/window/WindowManager.h"

namespace {

bool IsSeparator(const Menu::Item& item) { return (item.state & MF_SEPARATOR) != 0; }
bool IsGreyed(const Menu::Item& item) { return (item.state & (MF_GRAYED | MF_DISABLED)) != 0; }

// A tick two pixels thick with its short leg starting at (x, cy).
void DrawCheckMark(DeviceContext& dc, int32_t x, int32_t cy, COLORREF colour) {
    const Pen pen(PS_SOLID, 1, colour);
    const Pen* old = dc.SelectObject(&pen);
    for (int32_t dy = 0; dy < 2; ++dy) {
        dc.MoveTo(x, cy - 1 + dy);
        dc.LineTo(x + 3, cy + 2 + dy);
        dc.LineTo(x + 10, cy - 5 + dy);
    }
    dc.SelectObject(old);
}

// Columns of 7, 5, 3 and 1 pixels centred on cy; `vertical` turns the
// triangle to point up (direction -1) or down (+1) instead of right.
void DrawTriangle(DeviceContext& dc, int32_t x, int32_t cy, COLORREF colour, bool vertical,
                  int direction) {
    const Pen pen(PS_SOLID, 1, colour);
    const Pen* old = dc.SelectObject(&pen);
    for (int32_t i = 0; i < 4; ++i) {
        if (!vertical) {
            dc.MoveTo(x + i, cy - 3 + i);
            dc.LineTo(x + i, cy + 4 - i);
        } else {
            const int32_t y = cy + direction * (i - 1);
            dc.MoveTo(x - 3 + i, y);
            dc.LineTo(x + 4 - i, y);
        }
    }
    dc.SelectObject(old);
}

int32_t Clamp(int32_t value, int32_t low, int32_t high) { return std::max(low, std::min(value, high)); }

}  // namespace

Size PopupMenuWindow::Measure() {
    const Font* font = GetUiFont(UiFont::Normal);
    int32_t textWidth = 0;
    int32_t height = 2;
    const auto& items = m_menu.Items();
    for (size_t i = 0; i < items.size(); ++i) {
        if (font != nullptr && !IsSeparator(items[i]))
            textWidth = std::max(textWidth, font->MeasureWidth(items[i].text));
        height += ItemHeight(int(i));
    }
    if (items.empty()) height += SEPARATOR_HEIGHT;
    m_scrollable = height > SCREEN_HEIGHT;
    const int32_t width = 1 + CHECK_AREA + textWidth + ARROW_AREA + 1;
    return {Clamp(width, MIN_WIDTH, SCREEN_WIDTH), std::min(height, SCREEN_HEIGHT)};
}

bool PopupMenuWindow::OpenAt(Point anchor, bool bottomAlign) {
    const Size size = Measure();
    const int32_t left = Clamp(anchor.x, 0, SCREEN_WIDTH - size.cx);
    const int32_t top = Clamp(bottomAlign ? anchor.y - size.cy : anchor.y, 0, SCREEN_HEIGHT - size.cy);
    return Create(nullptr, {left, top, left + size.cx, top + size.cy}, 0, u"", WS_VISIBLE);
}

bool PopupMenuWindow::OpenBeside(const Rect& parentWindow, const Rect& item) {
    const Size size = Measure();
    int32_t left = parentWindow.right - 3;
    if (left + size.cx > SCREEN_WIDTH) left = parentWindow.left - size.cx + 3;
    left = Clamp(left, 0, SCREEN_WIDTH - size.cx);
    const int32_t top = Clamp(item.top - 1, 0, SCREEN_HEIGHT - size.cy);
    return Create(nullptr, {left, top, left + size.cx, top + size.cy}, 0, u"", WS_VISIBLE);
}

int32_t PopupMenuWindow::ItemHeight(int index) const {
    const auto& items = m_menu.Items();
    if (index < 0 || size_t(index) >= items.size()) return 0;
    return IsSeparator(items[size_t(index)]) ? SEPARATOR_HEIGHT : ITEM_HEIGHT;
}

int32_t PopupMenuWindow::ListBottom() const {
    return GetClientRect().bottom - 1 - (m_scrollable ? SCROLL_STRIP : 0);
}

Rect PopupMenuWindow::ItemRect(int index) const {
    if (index < m_first || index >= m_menu.GetItemCount()) return {};
    int32_t y = ListTop();
    for (int i = m_first; i < index; ++i) y += ItemHeight(i);
    const int32_t bottom = y + ItemHeight(index);
    if (bottom > ListBottom()) return {};
    return {1, y, GetClientRect().right - 1, bottom};
}

int PopupMenuWindow::LastVisible() const {
    int last = m_first - 1;
    while (last + 1 < m_menu.GetItemCount() && !ItemRect(last + 1).IsEmpty()) ++last;
    return last;
}

int PopupMenuWindow::ItemFromPoint(Point screen) const {
    const Point p = ScreenToClient(screen);
    if (!GetClientRect().Contains(p.x, p.y)) return NO_ITEM;
    if (m_scrollable && p.y < ListTop()) return SCROLL_UP;
    if (m_scrollable && p.y >= ListBottom()) return SCROLL_DOWN;
    for (int i = m_first, last = LastVisible(); i <= last; ++i)
        if (ItemRect(i).Contains(p.x, p.y)) return i;
    return NO_ITEM;
}

Rect PopupMenuWindow::GetItemScreenRect(int index) const {
    const Rect r = ItemRect(index);
    const Point origin = ClientToScreen({0, 0});
    return r.IsEmpty() ? Rect{} : r.Offset(origin.x, origin.y);
}

bool PopupMenuWindow::IsSelectable(int index) const {
    const auto& items = m_menu.Items();
    if (index < 0 || size_t(index) >= items.size()) return false;
    const Menu::Item& item = items[size_t(index)];
    return !IsSeparator(item) && !IsGreyed(item);
}

int PopupMenuWindow::NextSelectable(int from, int step) const {
    const int count = m_menu.GetItemCount();
    if (count == 0) return NO_ITEM;
    int index = from < 0 ? (step > 0 ? -1 : count) : from;
    for (int n = 0; n < count; ++n) {
        index = (index + step + count) % count;
        if (IsSelectable(index)) return index;
    }
    return NO_ITEM;
}

void PopupMenuWindow::SetHighlight(int index) {
    if (index >= m_menu.GetItemCount()) index = NO_ITEM;
    if (index == m_highlight) return;
    m_highlight = index;
    if (index != NO_ITEM) ScrollIntoView(index);
    Repaint();
}

void PopupMenuWindow::ScrollIntoView(int index) {
    if (index < m_first) m_first = index;
    while (m_first < index && ItemRect(index).IsEmpty()) ++m_first;
}

void PopupMenuWindow::ScrollPage(int direction) {
    if (!m_scrollable) return;
    const int page = std::max(1, LastVisible() - m_first);
    const int count = m_menu.GetItemCount();
    // The last first item that still fills the list area to its end.
    int maxFirst = count - 1;
    int32_t used = ItemHeight(maxFirst);
    while (maxFirst > 0 && used + ItemHeight(maxFirst - 1) <= ListBottom() - ListTop())
        used += ItemHeight(--maxFirst);
    m_first = Clamp(m_first + direction * page, 0, std::max(0, maxFirst));
    Repaint();
}

void PopupMenuWindow::Repaint() {
    InvalidateRect(this, nullptr, false);
    UpdateWindow(this);
}

void PopupMenuWindow::Paint(DeviceContext& dc) {
    const Rect client = GetClientRect();
    const Pen frame(PS_SOLID, 1, GetSysColor(COLOR_WINDOWFRAME));
    const Brush fill(GetSysColor(COLOR_MENU));
    const Pen* oldPen = dc.SelectObject(&frame);
    const Brush* oldBrush = dc.SelectObject(&fill);
    dc.Rectangle(client.left, client.top, client.right, client.bottom);
    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);
    for (int i = m_first, last = LastVisible(); i <= last; ++i) PaintItem(dc, i, ItemRect(i));
    if (m_scrollable) PaintScrollStrips(dc);
}

void PopupMenuWindow::PaintItem(DeviceContext& dc, int index, const Rect& rect) {
    const Menu::Item& item = m_menu.Items()[size_t(index)];
    const int32_t cy = rect.top + rect.Height() / 2;
    if (IsSeparator(item)) {
        const Pen pen(PS_SOLID, 1, GetSysColor(COLOR_GRAYTEXT));
        const Pen* old = dc.SelectObject(&pen);
        dc.MoveTo(rect.left + 2, cy);
        dc.LineTo(rect.right - 2, cy);
        dc.SelectObject(old);
        return;
    }
    const bool highlighted = index == m_highlight;
    const COLORREF colour = highlighted   ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                            : IsGreyed(item) ? GetSysColor(COLOR_GRAYTEXT)
                                             : GetSysColor(COLOR_MENUTEXT);
    if (highlighted) dc.FillSolidRect(rect, GetSysColor(COLOR_HIGHLIGHT));
    if ((item.state & MF_CHECKED) != 0) DrawCheckMark(dc, rect.left + 3, cy, colour);
    if ((item.state & MF_POPUP) != 0)
        DrawTriangle(dc, rect.right - ARROW_AREA / 2 - 2, cy, colour, false, 0);
    const Font* font = GetUiFont(UiFont::Normal);
    if (font == nullptr) return;
    const int32_t textLeft = rect.left + CHECK_AREA;
    const std::u16string text = CutWithEllipsis(*font, item.text, rect.right - ARROW_AREA - textLeft);
    font->DrawLine(dc, textLeft, rect.top + (rect.Height() - font->Metrics().height) / 2, text,
                   colour, &rect);
}

void PopupMenuWindow::PaintScrollStrips(DeviceContext& dc) {
    const Rect client = GetClientRect();
    const int32_t cx = client.Width() / 2;
    const bool canUp = m_first > 0;
    const bool canDown = LastVisible() < m_menu.GetItemCount() - 1;
    const COLORREF on = GetSysColor(COLOR_MENUTEXT);
    const COLORREF off = GetSysColor(COLOR_GRAYTEXT);
    DrawTriangle(dc, cx, 1 + SCROLL_STRIP / 2, canUp ? on : off, true, -1);
    DrawTriangle(dc, cx, client.bottom - 1 - SCROLL_STRIP / 2, canDown ? on : off, true, 1);
}
