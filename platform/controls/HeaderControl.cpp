#include "platform/controls/HeaderControl.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gdi/DeviceContext.h"
#include "platform/fonts/DrawText.h"
#include "platform/gdi/ImageStrip.h"
#include "platform/window/WindowManager.h"

namespace {

uint32_t TextFlags(int format) {
    switch (format & HDF_JUSTIFYMASK) {
    case HDF_RIGHT: return DT_RIGHT;
    case HDF_CENTER: return DT_CENTER;
    default: return DT_LEFT;
    }
}

void CopyFields(const HDITEM& from, HDITEM& to, UINT mask) {
    if (mask & HDI_WIDTH)
        to.cxy = std::max(0, from.cxy);
    if (mask & HDI_TEXT)
        to.text = from.text;
    if (mask & HDI_FORMAT)
        to.fmt = from.fmt;
    if (mask & HDI_LPARAM)
        to.lParam = from.lParam;
    if (mask & HDI_IMAGE)
        to.iImage = from.iImage;
}

}  // namespace

int HeaderControl::InsertItem(int index, const HDITEM& item) {
    if (index < 0)
        return -1;
    HDITEM stored;
    stored.mask = HDI_ALL;
    CopyFields(item, stored, item.mask);
    const size_t at = std::min(size_t(index), m_items.size());
    m_items.insert(m_items.begin() + ptrdiff_t(at), stored);
    if (m_redraw)
        InvalidateRect(this, nullptr, true);
    return int(at);
}

bool HeaderControl::DeleteItem(int index) {
    if (index < 0 || index >= GetItemCount())
        return false;
    m_items.erase(m_items.begin() + index);
    EndPress();
    if (m_redraw)
        InvalidateRect(this, nullptr, true);
    return true;
}

bool HeaderControl::GetItem(int index, HDITEM& item) const {
    if (index < 0 || index >= GetItemCount())
        return false;
    CopyFields(m_items[size_t(index)], item, item.mask);
    return true;
}

bool HeaderControl::SetItem(int index, const HDITEM& item) {
    if (index < 0 || index >= GetItemCount())
        return false;
    CopyFields(item, m_items[size_t(index)], item.mask);
    if (m_redraw)
        InvalidateRect(this, nullptr, true);
    Notify(HDN_ITEMCHANGED, index);
    return true;
}

bool HeaderControl::GetItemRect(int index, Rect& rect) const {
    if (index < 0 || index >= GetItemCount())
        return false;
    int32_t left = 0;
    for (int i = 0; i < index; ++i)
        left += m_items[size_t(i)].cxy;
    rect = {left, 0, left + m_items[size_t(index)].cxy, GetClientRect().bottom};
    return true;
}

int32_t HeaderControl::TotalWidth() const {
    int32_t total = 0;
    for (const HDITEM& item : m_items)
        total += item.cxy;
    return total;
}

const ImageStrip* HeaderControl::SetImageList(const ImageStrip* images) {
    const ImageStrip* previous = m_images;
    m_images = images;
    if (m_redraw)
        InvalidateRect(this, nullptr, true);
    return previous;
}

LRESULT HeaderControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers the whole client
    case WM_SETREDRAW:
        m_redraw = wParam != 0;
        if (m_redraw)
            InvalidateRect(this, nullptr, true);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnStylusDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_MOUSEMOVE:
        OnStylusMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONUP:
        OnStylusUp({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_CAPTURECHANGED:
        if (m_press != Press::None && HWND::FromParam(lParam) != this)
            EndPress();
        return 0;
    default:
        if (message >= HDM_GETITEMCOUNT && message <= HDM_SETITEM)
            return HandleItemMessage(message, wParam, lParam);
        return DefWindowProc(message, wParam, lParam);
    }
}

LRESULT HeaderControl::HandleItemMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const int index = int(intptr_t(wParam));
    switch (message) {
    case HDM_GETITEMCOUNT:
        return GetItemCount();
    case HDM_DELETEITEM:
        return DeleteItem(index) ? 1 : 0;
    case HDM_GETITEMRECT:
        return lParam && GetItemRect(index, *reinterpret_cast<Rect*>(lParam)) ? 1 : 0;
    case HDM_SETIMAGELIST:
        return reinterpret_cast<LRESULT>(SetImageList(reinterpret_cast<const ImageStrip*>(lParam)));
    case HDM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(GetImageList());
    case HDM_INSERTITEM:
        return lParam ? InsertItem(index, *reinterpret_cast<const HDITEM*>(lParam)) : -1;
    case HDM_GETITEM:
        return lParam && GetItem(index, *reinterpret_cast<HDITEM*>(lParam)) ? 1 : 0;
    case HDM_SETITEM:
        return lParam && SetItem(index, *reinterpret_cast<const HDITEM*>(lParam)) ? 1 : 0;
    default:
        return 0;
    }
}

void HeaderControl::Paint() {
    PAINTSTRUCT ps;
    DeviceContext* dc = BeginPaint(this, ps);
    if (dc && m_redraw) {
        const Rect client = GetClientRect();
        dc->FillSolidRect(client, GetSysColor(COLOR_BTNFACE));
        int32_t left = 0;
        for (size_t i = 0; i < m_items.size(); ++i) {
            const Rect rect{left, 0, left + m_items[i].cxy, client.bottom};
            if (!rect.IsEmpty())
                PaintItem(*dc, m_items[i], rect, m_press == Press::Item && m_pressItem == int(i));
            left = rect.right;
        }
        dc->FillSolidRect({0, client.bottom - 1, client.right, client.bottom},
                          GetSysColor(COLOR_BTNSHADOW));
    }
    EndPaint(this, ps);
}

// A raised tile: light top-left edge, shadow on the right; pressed tiles
// show their contents one pixel down and right.
void HeaderControl::PaintItem(DeviceContext& dc, const HDITEM& item, const Rect& rect,
                              bool pressed) const {
    const int32_t shift = pressed ? 1 : 0;
    dc.FillSolidRect({rect.left, rect.top, rect.right, rect.top + 1},
                     GetSysColor(pressed ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT));
    dc.FillSolidRect({rect.right - 1, rect.top, rect.right, rect.bottom},
                     GetSysColor(COLOR_BTNSHADOW));
    Rect inside{rect.left + 4 + shift, rect.top + shift, rect.right - 4 + shift,
                rect.bottom - 1 + shift};
    if ((item.fmt & HDF_IMAGE) && m_images && item.iImage >= 0) {
        const Rect cell = m_images->CellRect(item.iImage);
        int32_t x = inside.left;
        if ((item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER && item.text.empty())
            x = rect.left + (rect.Width() - cell.Width()) / 2 + shift;
        const int32_t y = rect.top + (rect.Height() - cell.Height()) / 2 + shift;
        dc.IntersectClipRect(rect.left, rect.top, rect.right - 1, rect.bottom - 1);
        m_images->Draw(dc, item.iImage, x, y);
        dc.SelectClipRgn(nullptr);
        inside.left = x + cell.Width() + 3;
    }
    const Font* font = GetUiFont(UiFont::Normal);
    if (!font || item.text.empty() || inside.IsEmpty())
        return;
    const int oldMode = dc.SetBkMode(TRANSPARENT);
    const COLORREF oldColour = dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
    DrawText(dc, *font, item.text, inside,
             TextFlags(item.fmt) | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    dc.SetTextColor(oldColour);
    dc.SetBkMode(oldMode);
}

int HeaderControl::ItemAt(int32_t x) const {
    int32_t left = 0;
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (x >= left && x < left + m_items[i].cxy)
            return int(i);
        left += m_items[i].cxy;
    }
    return -1;
}

// The nearest right edge within reach. Items of width 0 cannot be grabbed,
// so that a column hidden by making it 0 wide (a list's empty first
// column) stays hidden instead of opening under the stylus.
int HeaderControl::DividerAt(int32_t x) const {
    int found = -1;
    int32_t best = DIVIDER_REACH + 1;
    int32_t right = 0;
    for (size_t i = 0; i < m_items.size(); ++i) {
        right += m_items[i].cxy;
        const int32_t distance = std::abs(x - right);
        if (m_items[i].cxy > 0 && distance <= best) {
            best = distance;
            found = int(i);
        }
    }
    return found;
}

void HeaderControl::OnStylusDown(Point p) {
    EndPress();
    const int divider = DividerAt(p.x);
    if (divider >= 0) {
        if (Notify(HDN_BEGINTRACK, divider) != 0 || divider >= GetItemCount())
            return;
        m_press = Press::Divider;
        m_pressItem = divider;
        m_pressWidth = m_items[size_t(divider)].cxy;
    } else {
        m_pressItem = ItemAt(p.x);
        if (m_pressItem < 0)
            return;
        m_press = Press::Item;
        if (m_redraw)
            InvalidateRect(this, nullptr, false);
    }
    m_pressX = p.x;
    SetCapture(this);
}

void HeaderControl::OnStylusMove(Point p) {
    if (m_press != Press::Divider || m_pressItem >= GetItemCount())
        return;
    const int width = std::max(0, m_pressWidth + (p.x - m_pressX));
    if (width == m_items[size_t(m_pressItem)].cxy)
        return;
    m_items[size_t(m_pressItem)].cxy = width;
    if (m_redraw)
        InvalidateRect(this, nullptr, false);
    Notify(HDN_TRACK, m_pressItem);
    Notify(HDN_ITEMCHANGED, m_pressItem);
}

void HeaderControl::OnStylusUp(Point p) {
    const Press press = m_press;
    const int item = m_pressItem;
    EndPress();
    if (press == Press::Divider && item < GetItemCount()) {
        Notify(HDN_ENDTRACK, item);
    } else if (press == Press::Item && GetClientRect().Contains(p.x, p.y) && ItemAt(p.x) == item) {
        Notify(HDN_ITEMCLICK, item);
    }
}

void HeaderControl::EndPress() {
    if (m_press == Press::None)
        return;
    const bool repaint = m_press == Press::Item;
    m_press = Press::None;
    if (GetCapture() == this)
        ReleaseCapture();
    if (repaint && m_redraw)
        InvalidateRect(this, nullptr, false);
}

LRESULT HeaderControl::Notify(int code, int index) {
    HWND parent = GetParent();
    if (!parent || index < 0 || index >= GetItemCount())
        return 0;
    const HDITEM item = m_items[size_t(index)];
    NMHEADER nm;
    nm.hdr.hwndFrom = this;
    nm.hdr.idFrom = uintptr_t(GetId());
    nm.hdr.code = code;
    nm.iItem = index;
    nm.pitem = &item;
    return SendMessage(parent, WM_NOTIFY, WPARAM(GetId()), reinterpret_cast<LPARAM>(&nm));
}
