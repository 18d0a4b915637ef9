#include "platform/controls/ButtonControl.h"

#include "platform/controls/ControlSupport.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/controls/DialogCodes.h"
#include "platform/fonts/DrawText.h"
#include "platform/window/WindowClass.h"

namespace {

constexpr int32_t CHECK_BOX_SIZE = 13;
constexpr int32_t CHECK_TEXT_LEFT = CHECK_BOX_SIZE + 4;
constexpr int32_t GROUP_TITLE_LEFT = 6;

void FrameRect(DeviceContext& dc, const Rect& r, COLORREF colour, int32_t thickness) {
    dc.FillSolidRect({r.left, r.top, r.right, r.top + thickness}, colour);
    dc.FillSolidRect({r.left, r.bottom - thickness, r.right, r.bottom}, colour);
    dc.FillSolidRect({r.left, r.top, r.left + thickness, r.bottom}, colour);
    dc.FillSolidRect({r.right - thickness, r.top, r.right, r.bottom}, colour);
}

// The corner pixels take the background, so that the frame looks rounded.
void RoundCorners(DeviceContext& dc, const Rect& r, COLORREF background) {
    dc.SetPixel(r.left, r.top, background);
    dc.SetPixel(r.right - 1, r.top, background);
    dc.SetPixel(r.left, r.bottom - 1, background);
    dc.SetPixel(r.right - 1, r.bottom - 1, background);
}

void DrawCheckMark(DeviceContext& dc, const Rect& box, COLORREF colour) {
    Pen pen(PS_SOLID, 1, colour);
    const Pen* previous = dc.SelectObject(&pen);
    for (int32_t dy = 0; dy < 2; ++dy) {
        dc.MoveTo(box.left + 3, box.top + 6 + dy);
        dc.LineTo(box.left + 5, box.top + 8 + dy);
        dc.LineTo(box.left + 10, box.top + 3 + dy);
    }
    dc.SelectObject(previous);
}

}  // namespace

uint32_t ButtonControl::Kind() const { return GetStyle() & BS_TYPEMASK; }

bool ButtonControl::IsCheckBox() const {
    return Kind() == BS_CHECKBOX || Kind() == BS_AUTOCHECKBOX;
}

bool ButtonControl::IsPushButton() const {
    return Kind() == BS_PUSHBUTTON || Kind() == BS_DEFPUSHBUTTON || Kind() == BS_OWNERDRAW;
}

void ButtonControl::SetCheck(int state) {
    const bool checked = IsCheckBox() && state != int(BST_UNCHECKED);
    if (checked == m_checked)
        return;
    m_checked = checked;
    RepaintControl(*this);
}

void ButtonControl::Click() {
    if (!IsAlive() || !IsWindowEnabled() || Kind() == BS_GROUPBOX)
        return;
    if (Kind() == BS_AUTOCHECKBOX)
        SetCheck(m_checked ? int(BST_UNCHECKED) : int(BST_CHECKED));
    // The parent may destroy the button while handling the click: nothing
    // of the button is touched after this.
    NotifyParent(*this, BN_CLICKED);
}

void ButtonControl::SetPressed(bool pressed) {
    if (pressed == m_pressed)
        return;
    m_pressed = pressed;
    RepaintControl(*this);
}

LRESULT ButtonControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        OnStylus(message, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        if (m_tracking) {
            m_tracking = false;
            SetPressed(false);
        }
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        return OnKey(message, wParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        m_focused = message == WM_SETFOCUS;
        if (!m_focused && !m_tracking) {
            m_spaceDown = false;
            SetPressed(false);
        }
        RepaintControl(*this);
        return 0;
    case WM_GETDLGCODE:
        if (Kind() == BS_GROUPBOX)
            return DLGC_STATIC;
        if (Kind() == BS_DEFPUSHBUTTON)
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        return IsPushButton() ? DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON : DLGC_BUTTON;
    case BM_GETCHECK:
        return GetCheck();
    case BM_SETCHECK:
        SetCheck(int(wParam));
        return 0;
    case BM_GETSTATE:
        return GetCheck() | (m_pressed ? BST_PUSHED : 0) | (m_focused ? 0x8 : 0);
    case BM_SETSTATE:
        SetPressed(wParam != 0);
        return 0;
    case BM_CLICK:
        Click();
        return 0;
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProc(message, wParam, lParam);
        RepaintControl(*this);
        return result;
    }
    case WM_SETFONT:
        m_font = reinterpret_cast<const Font*>(wParam);
        if (lParam)
            RepaintControl(*this);
        return 0;
    case WM_ENABLE:
        if (!wParam) {
            m_tracking = false;
            m_pressed = false;
            if (GetCapture() == this)
                ReleaseCapture();
        }
        RepaintControl(*this);
        return 0;
    default:
        return DefWindowProc(message, wParam, lParam);
    }
}

void ButtonControl::OnStylus(UINT message, LPARAM lParam) {
    if (Kind() == BS_GROUPBOX)
        return;
    const bool inside = GetClientRect().Contains(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
        SetFocus(this);
        SetCapture(this);
        m_tracking = true;
        SetPressed(true);
        return;
    }
    if (!m_tracking)
        return;
    if (message == WM_MOUSEMOVE) {
        SetPressed(inside);
        return;
    }
    m_tracking = false;
    SetPressed(false);
    ReleaseCapture();
    if (inside)
        Click();
}

LRESULT ButtonControl::OnKey(UINT message, WPARAM key) {
    if (Kind() == BS_GROUPBOX || !IsWindowEnabled())
        return 0;
    if (key == VK_SPACE && message == WM_KEYDOWN) {
        m_spaceDown = true;
        SetPressed(true);
    } else if (key == VK_SPACE && m_spaceDown) {
        m_spaceDown = false;
        SetPressed(false);
        Click();
    } else if (key == VK_RETURN && message == WM_KEYDOWN && IsPushButton()) {
        Click();
    }
    return 0;
}

void ButtonControl::OnPaint(DeviceContext& dc, const Rect&) {
    const Font* font = ControlFont(m_font);
    if (Kind() == BS_OWNERDRAW)
        PaintOwnerDraw(dc);
    else if (!font)
        dc.FillSolidRect(GetClientRect(), GetSysColor(COLOR_WINDOW));
    else if (IsCheckBox())
        PaintCheckBox(dc, *font);
    else if (Kind() == BS_GROUPBOX)
        PaintGroupBox(dc, *font);
    else
        PaintPushButton(dc, *font);
}

void ButtonControl::PaintPushButton(DeviceContext& dc, const Font& font) {
    const Rect client = GetClientRect();
    const bool enabled = IsWindowEnabled();
    const bool isDefault = Kind() == BS_DEFPUSHBUTTON;
    dc.FillSolidRect(client, GetSysColor(m_pressed ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    FrameRect(dc, client, GetSysColor(enabled ? COLOR_WINDOWFRAME : COLOR_GRAYTEXT),
              isDefault ? 2 : 1);
    RoundCorners(dc, client, GetSysColor(COLOR_WINDOW));
    const Font* textFont = isDefault && !m_font ? GetUiFont(UiFont::Bold) : &font;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(!enabled    ? COLOR_GRAYTEXT
                                : m_pressed ? COLOR_HIGHLIGHTTEXT
                                            : COLOR_BTNTEXT));
    Rect text = client;
    DrawText(dc, textFont ? *textFont : font, GetWindowText(), text,
             DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (m_focused && !m_pressed && client.Width() > 8 && client.Height() > 8)
        dc.DrawFocusRect({client.left + 3, client.top + 3, client.right - 3, client.bottom - 3});
}

void ButtonControl::PaintCheckBox(DeviceContext& dc, const Font& font) {
    const Rect client = GetClientRect();
    const bool enabled = IsWindowEnabled();
    dc.FillSolidRect(client, GetSysColor(COLOR_WINDOW));
    const int32_t top = (client.Height() - CHECK_BOX_SIZE) / 2;
    const Rect box{0, top, CHECK_BOX_SIZE, top + CHECK_BOX_SIZE};
    dc.FillSolidRect(box, GetSysColor(m_pressed ? COLOR_BTNFACE : COLOR_WINDOW));
    const COLORREF ink = GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    FrameRect(dc, box, ink, 1);
    if (m_checked)
        DrawCheckMark(dc, box, ink);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(ink);
    Rect text{CHECK_TEXT_LEFT, 0, client.right, client.bottom};
    DrawText(dc, font, GetWindowText(), text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (m_focused && !GetWindowText().empty()) {
        const int32_t width = font.MeasureWidth(GetWindowText());
        const int32_t height = font.Metrics().height;
        const int32_t textTop = (client.Height() - height) / 2;
        dc.DrawFocusRect({CHECK_TEXT_LEFT - 1, textTop - 1,
                          std::min(client.right, CHECK_TEXT_LEFT + width + 1), textTop + height + 1});
    }
}

void ButtonControl::PaintGroupBox(DeviceContext& dc, const Font& font) {
    const Rect client = GetClientRect();
    const int32_t height = font.Metrics().height;
    const COLORREF ink = GetSysColor(IsWindowEnabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    dc.FillSolidRect(client, GetSysColor(COLOR_WINDOW));
    FrameRect(dc, {client.left, client.top + height / 2, client.right, client.bottom},
              GetSysColor(COLOR_BTNSHADOW), 1);
    if (GetWindowText().empty())
        return;
    const int32_t width = font.MeasureWidth(GetWindowText());
    Rect title{GROUP_TITLE_LEFT, 0, std::min(client.right, GROUP_TITLE_LEFT + width + 4), height};
    dc.FillSolidRect(title, GetSysColor(COLOR_WINDOW));
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(ink);
    title.left += 2;
    DrawText(dc, font, GetWindowText(), title, DT_LEFT | DT_SINGLELINE);
}

void ButtonControl::PaintOwnerDraw(DeviceContext& dc) {
    DRAWITEMSTRUCT item;
    item.CtlType = ODT_BUTTON;
    item.CtlID = UINT(GetId());
    item.itemID = 0;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = (m_pressed ? ODS_SELECTED : 0) | (m_focused ? ODS_FOCUS : 0) |
                     (IsWindowEnabled() ? 0 : ODS_DISABLED);
    item.hwndItem = this;
    item.hDC = &dc;
    item.rcItem = GetClientRect();
    if (HWND parent = GetParent())
        SendMessage(parent, WM_DRAWITEM, WPARAM(GetId()), reinterpret_cast<LPARAM>(&item));
}

void RegisterButtonClass() {
    RegisterWindowClass(WC_BUTTON, 0, [] { return std::make_unique<ButtonControl>(); });
}
