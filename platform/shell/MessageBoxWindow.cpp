#include "platform/shell/MessageBoxWindow.h"

#include <algorithm>

#include "platform/fonts/DrawText.h"
#include "platform/window/ModalResponder.h"
#include "platform/fonts/SystemFont.h"
#include "platform/window/WindowManager.h"

namespace {

const char16_t* ButtonText(int answer) {
    switch (answer) {
    case IDYES: return u"Yes";
    case IDNO: return u"No";
    case IDCANCEL: return u"Cancel";
    default: return u"OK";
    }
}

}  // namespace

MessageBoxWindow::MessageBoxWindow(std::u16string_view text, std::u16string_view caption, UINT type)
    : m_text(text) {
    SetWindowText(caption);
    if ((type & MB_TYPEMASK) == MB_YESNO)
        m_buttons = {IDYES, IDNO};
    else
        m_buttons = {IDOK};
}

void MessageBoxWindow::Layout() {
    m_textRect = {MARGIN, CAPTION_HEIGHT + 12, SCREEN_WIDTH - MARGIN, CAPTION_HEIGHT + 12};
    if (const Font* font = GetUiFont(UiFont::Normal)) {
        DeviceContext measure;
        DrawText(measure, *font, m_text, m_textRect, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
        m_textRect.right = SCREEN_WIDTH - MARGIN;
    }
    // A text too long for the screen is cut so that the buttons stay on it.
    const int32_t lowest = SCREEN_HEIGHT - MARGIN - BUTTON_HEIGHT;
    const int32_t top = std::min(m_textRect.bottom + 16, lowest);
    m_textRect.bottom = std::min(m_textRect.bottom, top - 4);
    const int32_t count = int32_t(m_buttons.size());
    int32_t left = (SCREEN_WIDTH - count * BUTTON_WIDTH - (count - 1) * BUTTON_GAP) / 2;
    m_buttonRects.clear();
    for (int32_t i = 0; i < count; ++i, left += BUTTON_WIDTH + BUTTON_GAP)
        m_buttonRects.push_back({left, top, left + BUTTON_WIDTH, top + BUTTON_HEIGHT});
}

Rect MessageBoxWindow::GetButtonRect(size_t index) const {
    return index < m_buttonRects.size() ? m_buttonRects[index] : Rect{};
}

int MessageBoxWindow::ButtonAt(Point client) const {
    for (size_t i = 0; i < m_buttonRects.size(); ++i)
        if (m_buttonRects[i].Contains(client.x, client.y)) return int(i);
    return -1;
}

int MessageBoxWindow::Run() {
    WindowManager* manager = WindowManager::Current();
    if (manager == nullptr) return EscapeAnswer();
    Layout();
    const std::u16string caption = GetWindowText();
    if (!Create(nullptr, {0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0, caption, WS_VISIBLE))
        return EscapeAnswer();
    manager->SetCapture(this);
    m_result = EscapeAnswer();
    RunModalInput([this](const MSG& msg) { OnInput(msg); },
                  [this] { return m_done && !m_release.Pending(); });
    Destroy();
    return m_result;
}

void MessageBoxWindow::Answer(int result) {
    m_result = result;
    m_done = true;
    Destroy();
}

void MessageBoxWindow::OnInput(const MSG& msg) {
    if (m_release.Take(msg) || m_done) return;
    if (IsStylusMessage(msg.message)) {
        OnStylus(msg);
    } else if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
        m_release.ExpectKeyUp(UINT(msg.wParam));
        Answer(msg.wParam == VK_RETURN ? m_buttons.front() : EscapeAnswer());
    }
}

void MessageBoxWindow::OnStylus(const MSG& msg) {
    const int over = ButtonAt(ScreenToClient(msg.pt));
    const bool wasShown = m_pressedShown;
    if (msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONDBLCLK) {
        m_pressed = over;
    } else if (msg.message == WM_LBUTTONUP) {
        const int pressed = m_pressed;
        m_pressed = -1;
        if (pressed >= 0 && pressed == over) {
            Answer(m_buttons[size_t(pressed)]);
            return;
        }
    }
    m_pressedShown = m_pressed >= 0 && m_pressed == over;
    if (wasShown != m_pressedShown) {
        InvalidateRect(this, nullptr, false);
        UpdateWindow(this);
    }
}

void MessageBoxWindow::Paint(DeviceContext& dc) {
    dc.FillSolidRect({0, 0, SCREEN_WIDTH, CAPTION_HEIGHT}, GetSysColor(COLOR_HIGHLIGHT));
    dc.FillSolidRect({0, CAPTION_HEIGHT, SCREEN_WIDTH, SCREEN_HEIGHT}, GetSysColor(COLOR_WINDOW));
    dc.SetBkMode(TRANSPARENT);
    if (const Font* font = GetUiFont(UiFont::Caption)) {
        Rect caption{MARGIN - 2, 0, SCREEN_WIDTH - MARGIN, CAPTION_HEIGHT};
        dc.SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
        DrawText(dc, *font, GetWindowText(), caption,
                 DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (const Font* font = GetUiFont(UiFont::Normal)) {
        Rect text = m_textRect;
        dc.SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
        dc.IntersectClipRect(text.left, text.top, text.right, text.bottom);
        DrawText(dc, *font, m_text, text, DT_WORDBREAK | DT_NOPREFIX);
        dc.SelectClipRgn(nullptr);
    }
    for (size_t i = 0; i < m_buttons.size(); ++i) PaintButton(dc, i);
}

void MessageBoxWindow::PaintButton(DeviceContext& dc, size_t index) {
    const Rect& r = m_buttonRects[index];
    const bool pressed = m_pressedShown && m_pressed == int(index);
    const Pen frame(PS_SOLID, 1, GetSysColor(COLOR_WINDOWFRAME));
    const Brush fill(GetSysColor(pressed ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    const Pen* oldPen = dc.SelectObject(&frame);
    const Brush* oldBrush = dc.SelectObject(&fill);
    dc.Rectangle(r.left, r.top, r.right, r.bottom);
    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);
    const Font* font = GetUiFont(UiFont::Normal);
    if (font == nullptr) return;
    Rect text = r;
    dc.SetTextColor(GetSysColor(pressed ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
    DrawText(dc, *font, ButtonText(m_buttons[index]), text,
             DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
}

int MessageBoxW(HWND owner, std::u16string_view text, std::u16string_view caption, UINT type) {
    (void)owner;  // the box covers the whole screen and takes all input anyway
    MessageBoxWindow box(text, caption, type);
    ModalResponder* responder = ModalResponder::Current();
    if (responder == nullptr) return box.Run();
    const ShownMessageBox shown{std::u16string(text), std::u16string(caption), type};
    responder->boxes.push_back(shown);
    if (!responder->onMessageBox) return box.Run();
    // An answer the box has no button for counts as Escape.
    const int answer = responder->onMessageBox(shown);
    const auto& buttons = box.Buttons();
    return std::find(buttons.begin(), buttons.end(), answer) != buttons.end() ? answer
                                                                            : box.EscapeAnswer();
}
