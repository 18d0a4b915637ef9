#include "browser/FlatComboBox.h"

#include <algorithm>

#include "platform/fonts/DrawText.h"
#include "platform/window/WindowClass.h"
#include "platform/window/WindowManager.h"

CFlatComboBox::CFlatComboBox() : m_background(GetSysColor(COLOR_BTNFACE)) {}

CFlatComboBox::~CFlatComboBox() { Destroy(); }

bool CFlatComboBox::RegisterClass() {
    return RegisterWindowClass(FLAT_COMBO_BOX_CLASS, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                               [] { return std::make_unique<CFlatComboBox>(); });
}

void CFlatComboBox::SetPromptText(std::u16string_view text) {
    m_prompt = text;
    if (!m_menuOpen) return;
    m_displayed = m_prompt;
    Repaint();
}

void CFlatComboBox::SetText(std::u16string_view text) {
    m_text = text;
    if (m_menuOpen) return;
    m_displayed = m_text;
    Repaint();
}

void CFlatComboBox::SetMenu(std::unique_ptr<Menu> menu) {
    if (m_menuOpen && m_menu) m_retired.push_back(std::move(m_menu));
    m_menu = std::move(menu);
}

void CFlatComboBox::SetLeftAligned(bool leftAligned) {
    m_leftAligned = leftAligned;
    Repaint();
}

void CFlatComboBox::SetBackgroundColour(COLORREF colour) {
    m_background = colour;
    Window::SetBackgroundColour(colour);
    Repaint();
}

const Font* CFlatComboBox::FontOfHeight(int32_t height) const {
    const size_t index = size_t(FONT_HEIGHT - height);
    if (m_fonts.size() <= index) m_fonts.resize(index + 1);
    // DejaVu Sans Bold stands in for the bold Tahoma of the device.
    if (!m_fonts[index]) m_fonts[index] = Font::Create(height, FW_BOLD);
    return m_fonts[index].get();
}

int32_t CFlatComboBox::GetFontHeight() const {
    const int32_t room = TextRoom();
    for (int32_t height = FONT_HEIGHT; height > MIN_FONT_HEIGHT; --height) {
        const Font* font = FontOfHeight(height);
        if (font != nullptr && font->MeasureWidth(m_displayed) <= room) return height;
    }
    return MIN_FONT_HEIGHT;
}

const Font* CFlatComboBox::GetFont() const { return FontOfHeight(GetFontHeight()); }

int32_t CFlatComboBox::TextRoom() const {
    return std::max(0, GetClientRect().Width() - (LEFT_MARGIN + GAP + TRIANGLE_AREA) - 1);
}

int32_t CFlatComboBox::GetTextWidth() const {
    const Font* font = GetFont();
    return font != nullptr ? std::min(font->MeasureWidth(m_displayed), TextRoom()) : 0;
}

int32_t CFlatComboBox::GetContentStart() const {
    if (m_leftAligned) return 0;
    return GetClientRect().Width() - (LEFT_MARGIN + GAP + GetTextWidth() + TRIANGLE_AREA) - 1;
}

bool CFlatComboBox::IsOnText(Point client) const {
    const int32_t x0 = GetContentStart();
    return client.x >= x0 && client.x < x0 + LEFT_MARGIN + GAP + GetTextWidth() && client.y >= 0 &&
           client.y < GetClientRect().Height();
}

void CFlatComboBox::Repaint() {
    if (!IsAlive()) return;
    InvalidateRect(this, nullptr, true);
    UpdateWindow(this);
}

LRESULT CFlatComboBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        if (wParam != 0) reinterpret_cast<DeviceContext*>(wParam)->FillSolidRect(GetClientRect(), m_background);
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        DeviceContext* dc = BeginPaint(this, ps);
        if (dc != nullptr) Paint(*dc);
        EndPaint(this, ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnPress({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONUP:
        OnRelease({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_DESTROY:
        if (m_menuOpen && m_menu) m_retired.push_back(std::move(m_menu));
        m_menu.reset();
        return DefWindowProc(message, wParam, lParam);
    default:
        return DefWindowProc(message, wParam, lParam);
    }
}

void CFlatComboBox::Paint(DeviceContext& dc) {
    const Font* font = GetFont();
    if (font == nullptr) return;
    const Rect client = GetClientRect();
    const int32_t x0 = GetContentStart();
    const Size full = font->MeasureText(m_displayed);
    const Size text{GetTextWidth(), full.cy};
    dc.SetBkColor(m_background);
    const int32_t textLeft = x0 + LEFT_MARGIN + GAP;
    Rect textRect{textLeft, (client.Height() - text.cy) / 2, textLeft + text.cx, 0};
    textRect.bottom = textRect.top + text.cy;
    const uint32_t cut = full.cx > text.cx ? DT_END_ELLIPSIS : DT_NOCLIP;
    DrawText(dc, *font, m_displayed, textRect, DT_SINGLELINE | DT_NOPREFIX | cut);

    const Pen pen(PS_SOLID, 1, dc.GetTextColor());
    const Pen* oldPen = dc.SelectObject(&pen);
    const int32_t x = textLeft + text.cx + (TRIANGLE_AREA - 7) / 2;
    const int32_t y = client.Height() / 2;
    for (int32_t row = 0; row < 4; ++row) {
        dc.MoveTo(x + row, y + row);
        dc.LineTo(x + 7 - row, y + row);
    }
    if (m_pressed) {
        const Brush* oldBrush = dc.SelectObject(GetStockBrush(HOLLOW_BRUSH));
        dc.Rectangle(x0, 0, textLeft + text.cx + TRIANGLE_AREA, client.Height() - 1);
        dc.SelectObject(oldBrush);
    }
    dc.SelectObject(oldPen);
}

void CFlatComboBox::OnPress(Point client) {
    SetCapture(this);
    if (IsOnText(client)) {
        m_pressed = true;
        Repaint();
    } else {
        OpenMenu();
    }
}

void CFlatComboBox::OnRelease(Point client) {
    if (GetCapture() == this) ReleaseCapture();
    if (!m_pressed) return;
    m_pressed = false;
    if (IsOnText(client))
        OpenMenu();
    else
        Repaint();
}

void CFlatComboBox::OpenMenu() {
    m_menuOpen = true;
    m_displayed = m_prompt;
    Repaint();
    Menu* sub = nullptr;
    for (int i = 0; m_menu && sub == nullptr && i < m_menu->GetItemCount(); ++i) sub = m_menu->GetSubMenu(i);
    if (sub != nullptr) {
        const Point anchor = ClientToScreen({GetContentStart(), GetClientRect().bottom});
        TrackPopupMenu(*sub, TPM_LEFTALIGN, anchor.x, anchor.y, GetParent());
    }
    m_retired.clear();
    m_menuOpen = false;
    m_displayed = m_text;
    Repaint();
}
