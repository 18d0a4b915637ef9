// Keys and stylus of the report list.
#include <algorithm>
#include <cstdlib>

#include "platform/controls/ListViewControl.h"
#include "platform/window/WindowManager.h"

// The row a movement key leads to from the focused row (or the first
// selected one); -1 when the key moves nothing.
int ListViewControl::KeyTarget(UINT key) const {
    const int count = GetItemCount();
    if (count == 0)
        return -1;
    int current = GetNextItem(-1, LVNI_FOCUSED);
    if (current < 0)
        current = GetNextItem(-1, LVNI_SELECTED);
    const int page = std::max(1, GetCountPerPage());
    switch (key) {
    case VK_DOWN: return current < 0 ? 0 : std::min(current + 1, count - 1);
    case VK_UP: return current < 0 ? 0 : std::max(current - 1, 0);
    case VK_NEXT: return current < 0 ? 0 : std::min(current + page, count - 1);
    case VK_PRIOR: return current < 0 ? 0 : std::max(current - page, 0);
    case VK_HOME: return 0;
    case VK_END: return count - 1;
    default: return -1;
    }
}

LRESULT ListViewControl::DefaultKeyDown(UINT key) {
    if (key == VK_LEFT || key == VK_RIGHT) {
        Scroll(key == VK_LEFT ? -SIDE_STEP : SIDE_STEP, 0);
        return 0;
    }
    const int target = KeyTarget(key);
    if (target < 0)
        return 0;
    m_anchor = target;
    SelectOnly(target);
    EnsureVisible(target);
    return 0;
}

void ListViewControl::OnStylusDown(Point point, WPARAM keys, bool doubleTap) {
    SetFocus(this);
    m_press = StylusPress();
    const int row = HitTest(point);
    TapSelect(row, keys);
    if (doubleTap) {
        SendActivate(NM_DBLCLK, row, point, keys);
        return;
    }
    if (RecognizeHold(this, point) == GN_CONTEXTMENU) {
        NMRGINFO info;
        info.hdr.code = NM_RECOGNIZEGESTURE;
        info.ptAction = ClientToScreen(point);
        info.dwItemSpec = uint32_t(row);
        SendNotify(info.hdr);
        return;  // the release that follows makes no click
    }
    m_press = {true, HitTest(point), point};
    SetCapture(this);
}

void ListViewControl::OnStylusMove(Point point) {
    if (!m_press.active || m_press.row < 0)
        return;
    if (std::abs(point.x - m_press.point.x) <= DRAG_DISTANCE &&
        std::abs(point.y - m_press.point.y) <= DRAG_DISTANCE)
        return;
    const StylusPress press = m_press;
    m_press.active = false;
    ReleaseCapture();
    NMLISTVIEW nm;
    nm.hdr.code = LVN_BEGINDRAG;
    nm.iItem = press.row;
    nm.ptAction = press.point;
    nm.lParam = GetItemData(press.row);
    SendNotify(nm.hdr);
}

void ListViewControl::OnStylusUp(Point point) {
    const StylusPress press = m_press;
    m_press.active = false;
    if (GetCapture() == this)
        ReleaseCapture();
    if (press.active)
        SendActivate(NM_CLICK, press.row, point, 0);
}

// The default tap selection, before any notification about the tap.
void ListViewControl::TapSelect(int row, WPARAM keys) {
    const bool multiple = !IsSingleSelection();
    if (row < 0) {
        if (!(multiple && (keys & MK_CONTROL)))
            SetItemState(-1, 0, LVIS_SELECTED);
        return;
    }
    if (multiple && (keys & MK_CONTROL)) {
        SetItemState(row, GetItemState(row, LVIS_SELECTED) ^ LVIS_SELECTED, LVIS_SELECTED);
        FocusRow(row);
        m_anchor = row;
    } else if (multiple && (keys & MK_SHIFT) && m_anchor >= 0 && m_anchor < GetItemCount()) {
        SelectRange(m_anchor, row);
        FocusRow(row);
    } else {
        m_anchor = row;
        SelectOnly(row);
    }
}

void ListViewControl::SendActivate(int code, int row, Point point, WPARAM keys) {
    NMITEMACTIVATE nm;
    nm.hdr.code = code;
    nm.iItem = row;
    nm.ptAction = point;
    nm.lParam = GetItemData(row);
    nm.uKeyFlags = UINT(keys & (MK_SHIFT | MK_CONTROL));
    SendNotify(nm.hdr);
}
