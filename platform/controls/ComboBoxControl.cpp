#include "platform/controls/ComboBoxControl.h"

#include <algorithm>
#include <memory>

#include "platform/gdi/DeviceContext.h"
#include "platform/controls/DropListWindow.h"
#include "platform/controls/ListRows.h"
#include "platform/window/WindowClass.h"
#include "platform/window/WindowManager.h"

namespace {
constexpr int32_t ARROW_WIDTH = 7;
}

// ---- the dropped list --------------------------------------------------------------

Rect ComboBoxControl::GetDroppedControlRect() const {
    return DropListWindow::PlaceFor(GetWindowRect(), GetCount());
}

void ComboBoxControl::ShowDropDown(bool show) {
    if (show)
        DropDown();
    else if (m_drop)
        m_drop->Close(-1);
}

void ComboBoxControl::Notify(uint16_t code) {
    if (GetParent())
        ::SendMessage(GetParent(), WM_COMMAND, MAKEWPARAM(uint16_t(GetId()), code),
                      LPARAM(HWND(this)));
}

void ComboBoxControl::DropDown() {
    if (m_drop || !IsWindowVisible() || !IsWindowEnabled())
        return;
    Notify(CBN_DROPDOWN);  // the parent may still fill the list
    if (!IsAlive() || m_drop)
        return;
    DropListWindow list(m_items);
    m_drop = &list;
    Invalidate();
    const int choice = list.Track(GetDroppedControlRect());
    m_drop = nullptr;
    if (!IsAlive())
        return;
    Invalidate();
    Notify(CBN_CLOSEUP);
    if (IsAlive() && choice >= 0 && choice != GetCurSel()) {
        m_items.Select(choice);
        Invalidate();
        Notify(CBN_SELCHANGE);
    }
}

bool ComboBoxControl::OnKey(UINT key) {
    if (m_drop)
        return m_drop->OnKey(key);
    if (key != VK_RETURN && key != VK_DOWN)
        return false;
    DropDown();
    return true;
}

// ---- painting ------------------------------------------------------------------

Rect ComboBoxControl::ButtonRect() const {
    const Rect client = GetClientRect();
    const int32_t width = GetSystemMetrics(SM_CXVSCROLL);
    return {std::max(client.left + 1, client.right - 1 - width), client.top + 1, client.right - 1,
            client.bottom - 1};
}

void ComboBoxControl::PaintButton(DeviceContext& dc) {
    const Rect button = ButtonRect();
    const bool pressed = m_drop != nullptr;
    dc.FillSolidRect(button, GetSysColor(pressed ? COLOR_BTNSHADOW : COLOR_BTNFACE));
    dc.FillSolidRect({button.left - 1, button.top, button.left, button.bottom},
                     GetSysColor(COLOR_WINDOWFRAME));
    const int colour = !IsWindowEnabled() ? COLOR_GRAYTEXT
        : pressed                         ? COLOR_BTNHIGHLIGHT
                                          : COLOR_BTNTEXT;
    DrawArrowTriangle(dc, button, ArrowDirection::Down, ARROW_WIDTH, GetSysColor(colour));
}

void ComboBoxControl::Paint() {
    PAINTSTRUCT ps;
    DeviceContext* dc = BeginPaint(this, ps);
    if (!dc)
        return;
    if (IsRedrawOn()) {
        const Rect client = GetClientRect();
        DrawFrame(*dc, client, GetSysColor(COLOR_WINDOWFRAME));
        const Rect button = ButtonRect();
        const Rect field{client.left + 1, client.top + 1, button.left - 1, client.bottom - 1};
        dc->FillSolidRect(field, GetSysColor(COLOR_WINDOW));
        // The focused box shows its text highlighted, as a selected row.
        const bool highlighted = GetFocus() == this && !m_drop && IsWindowEnabled();
        const Rect text{field.left + 1, field.top + 1, field.right - 1, field.bottom - 1};
        DrawListRow(*dc, text, m_items.Text(GetCurSel()), highlighted, IsWindowEnabled());
        PaintButton(*dc);
    }
    EndPaint(this, ps);
}

// ---- messages ------------------------------------------------------------------

LRESULT ComboBoxControl::OnComboMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const int index = IndexFromWParam(wParam);
    switch (message) {
    case CB_ADDSTRING: return AddString(TextFromLParam(lParam));
    case CB_INSERTSTRING: return InsertString(index, TextFromLParam(lParam));
    case CB_DELETESTRING: return DeleteString(index);
    case CB_RESETCONTENT: ResetContent(); return 0;
    case CB_SETCURSEL: return SetCurSel(index);
    case CB_GETCURSEL: return GetCurSel();
    case CB_GETLBTEXT: return m_items.CopyText(index, reinterpret_cast<char16_t*>(lParam));
    case CB_GETLBTEXTLEN: return GetLBTextLen(index);
    case CB_GETCOUNT: return GetCount();
    case CB_GETITEMDATA: return GetItemData(index);
    case CB_SETITEMDATA: return SetItemData(index, lParam);
    case CB_FINDSTRINGEXACT: return FindStringExact(index, TextFromLParam(lParam));
    case CB_SHOWDROPDOWN: ShowDropDown(wParam != 0); return 1;
    case CB_GETDROPPEDSTATE: return GetDroppedState() ? 1 : 0;
    default: return DefWindowProc(message, wParam, lParam);
    }
}

LRESULT ComboBoxControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        if (GetRect().Height() > BOX_HEIGHT) {
            const Rect r = GetRect();
            MoveWindow({r.left, r.top, r.right, r.top + BOX_HEIGHT}, false);
        }
        return 0;
    case WM_DESTROY:
        if (m_drop)
            m_drop->Close(-1);
        return 0;
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETREDRAW: SetRedraw(wParam != 0); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: Invalidate(); return 0;
    case WM_KEYDOWN: return OnKey(UINT(wParam)) ? 0 : DefWindowProc(message, wParam, lParam);
    case WM_LBUTTONDOWN:
        if (GetFocus() != this)
            SetFocus(this);
        DropDown();
        return 0;
    default: return OnComboMessage(message, wParam, lParam);
    }
}

void RegisterComboBoxClass() {
    RegisterWindowClass(WC_COMBOBOX, 0, [] { return std::make_unique<ComboBoxControl>(); });
}
