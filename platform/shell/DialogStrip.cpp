#include "platform/shell/DialogStrip.h"

#include "platform/controls/ControlSupport.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/controls/DialogCodes.h"
#include "platform/fonts/DrawText.h"

namespace {

constexpr int32_t OK_WIDTH = 28;
constexpr int32_t CANCEL_WIDTH = 60;
constexpr int32_t CAPTION_LEFT = 6;

void FrameRounded(DeviceContext& dc, const Rect& r, COLORREF colour, COLORREF background) {
    dc.FillSolidRect({r.left, r.top, r.right, r.top + 1}, colour);
    dc.FillSolidRect({r.left, r.bottom - 1, r.right, r.bottom}, colour);
    dc.FillSolidRect({r.left, r.top, r.left + 1, r.bottom}, colour);
    dc.FillSolidRect({r.right - 1, r.top, r.right, r.bottom}, colour);
    for (Point p : {Point{r.left, r.top}, Point{r.right - 1, r.top}, Point{r.left, r.bottom - 1},
                    Point{r.right - 1, r.bottom - 1}})
        dc.SetPixel(p.x, p.y, background);
}

}  // namespace

bool DialogStrip::Create() {
    const Rect rect = m_kind == Kind::Title
                          ? Rect{0, 0, SCREEN_WIDTH, DIALOG_STRIP_HEIGHT}
                          : Rect{0, SCREEN_HEIGHT - DIALOG_STRIP_HEIGHT, SCREEN_WIDTH, SCREEN_HEIGHT};
    return Window::Create(nullptr, rect, 0, u"", WS_VISIBLE);
}

Rect DialogStrip::ButtonRect() const {
    if (m_kind == Kind::Title)
        return {SCREEN_WIDTH - OK_WIDTH - 4, 4, SCREEN_WIDTH - 4, DIALOG_STRIP_HEIGHT - 4};
    return {0, 1, CANCEL_WIDTH, DIALOG_STRIP_HEIGHT};
}

void DialogStrip::SetPressed(bool pressed) {
    if (pressed == m_pressed)
        return;
    m_pressed = pressed;
    const Rect button = ButtonRect();
    InvalidateRect(this, &button, true);
}

LRESULT DialogStrip::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const Point point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (ButtonRect().Contains(point.x, point.y)) {
            SetCapture(this);
            m_tracking = true;
            SetPressed(true);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (m_tracking)
            SetPressed(ButtonRect().Contains(point.x, point.y));
        return 0;
    case WM_LBUTTONUP: {
        if (!m_tracking)
            return 0;
        m_tracking = false;
        SetPressed(false);
        ReleaseCapture();
        if (ButtonRect().Contains(point.x, point.y)) {
            const int id = m_kind == Kind::Title ? IDOK : IDCANCEL;
            SendMessage(&m_dialog, WM_COMMAND, MAKEWPARAM(uint16_t(id), BN_CLICKED), 0);
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        m_tracking = false;
        SetPressed(false);
        return 0;
    default:
        return DefWindowProc(message, wParam, lParam);
    }
}

void DialogStrip::OnPaint(DeviceContext& dc, const Rect&) {
    dc.SetBkMode(TRANSPARENT);
    if (m_kind == Kind::Title)
        PaintTitle(dc);
    else
        PaintCommand(dc);
}

void DialogStrip::PaintTitle(DeviceContext& dc) {
    const COLORREF band = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF ink = GetSysColor(COLOR_HIGHLIGHTTEXT);
    dc.FillSolidRect(GetClientRect(), band);
    const Rect button = ButtonRect();
    if (const Font* caption = GetUiFont(UiFont::Caption)) {
        Rect text{CAPTION_LEFT, 0, button.left - 4, DIALOG_STRIP_HEIGHT};
        const std::u16string shown =
            CutWithEllipsis(*caption, m_dialog.GetWindowText(), text.Width());
        dc.SetTextColor(ink);
        DrawText(dc, *caption, shown, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (m_pressed)
        dc.FillSolidRect(button, ink);
    FrameRounded(dc, button, ink, band);
    if (const Font* bold = GetUiFont(UiFont::Bold)) {
        Rect text = button;
        dc.SetTextColor(m_pressed ? band : ink);
        DrawText(dc, *bold, u"ok", text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void DialogStrip::PaintCommand(DeviceContext& dc) {
    const Rect client = GetClientRect();
    dc.FillSolidRect(client, GetSysColor(COLOR_BTNFACE));
    dc.FillSolidRect({0, 0, client.right, 1}, GetSysColor(COLOR_BTNSHADOW));
    const Rect button = ButtonRect();
    if (m_pressed)
        dc.FillSolidRect(button, GetSysColor(COLOR_HIGHLIGHT));
    if (const Font* font = GetUiFont(UiFont::Normal)) {
        Rect text = button;
        dc.SetTextColor(GetSysColor(m_pressed ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
        DrawText(dc, *font, u"Cancel", text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}
