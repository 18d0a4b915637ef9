#include "platform/shell/MenuBar.h"

#include "platform/fonts/DrawText.h"
#include "platform/shell/Menu.h"
#include "platform/shell/Shell.h"
#include "platform/fonts/SystemFont.h"
#include "platform/window/WindowManager.h"

namespace {
constexpr COLORREF BAR_FACE = RGB(214, 214, 214);
constexpr COLORREF BAR_LINE = RGB(128, 128, 128);
constexpr COLORREF PRESSED_FACE = RGB(0, 0, 132);
constexpr int32_t MENU_BUTTON_PADDING = 8;

// A small keyboard: a frame with two rows of keys and a space bar.
void DrawKeyboardSymbol(DeviceContext& dc, const Rect& r) {
    const int32_t left = r.left + (r.Width() - 15) / 2;
    const int32_t top = r.top + (r.Height() - 10) / 2;
    dc.FillSolidRect({left, top, left + 15, top + 10}, RGB(0, 0, 0));
    dc.FillSolidRect({left + 1, top + 1, left + 14, top + 9}, RGB(255, 255, 255));
    for (int row = 0; row < 2; ++row)
        for (int k = 0; k < 5; ++k)
            dc.FillSolidRect({left + 2 + k * 2 + k / 5, top + 2 + row * 2, left + 3 + k * 2,
                              top + 3 + row * 2},
                             RGB(0, 0, 0));
    dc.FillSolidRect({left + 4, top + 7, left + 11, top + 8}, RGB(0, 0, 0));
}
}  // namespace

MenuBar::MenuBar() = default;

MenuBar::~MenuBar() {
    if (Shell* shell = Shell::Current())
        shell->RemovePanelButtonHost(this);
    if (m_toolBar)
        m_toolBar->Destroy();
    Destroy();
}

bool MenuBar::Create(HWND owner, uint32_t flags) {
    m_owner = owner;
    m_flags = flags;
    const Rect rect{0, SCREEN_HEIGHT - MENU_BAR_HEIGHT, SCREEN_WIDTH, SCREEN_HEIGHT};
    if (!Window::Create(nullptr, rect, 0, u"", WS_VISIBLE))
        return false;
    if (Shell* shell = Shell::Current())
        shell->AddPanelButtonHost(this);
    return true;
}

bool MenuBar::InsertMenuBar(std::unique_ptr<Menu> menu, std::u16string_view caption) {
    if (!menu || !menu->GetSubMenu(0))
        return false;
    m_menu = std::move(menu);
    m_caption = caption;
    Layout();
    InvalidateRect(this, nullptr, true);
    return true;
}

Window* MenuBar::AttachToolBar(std::unique_ptr<Window> toolBar) {
    m_toolBar = std::move(toolBar);
    Layout();
    return m_toolBar.get();
}

bool MenuBar::IsPanelButtonShown() const {
    const Shell* shell = Shell::Current();
    return !(m_flags & SHCMBF_HIDESIPBUTTON) && shell && shell->IsPanelButtonVisible();
}

Rect MenuBar::PanelButtonRect() const {
    const Rect client = GetClientRect();
    return {client.right - PANEL_BUTTON_WIDTH, 0, client.right, client.bottom};
}

void MenuBar::Layout() {
    const Rect client = GetClientRect();
    int32_t width = 0;
    if (const Font* font = GetUiFont(UiFont::Bold); font && !m_caption.empty())
        width = font->MeasureWidth(m_caption) + 2 * MENU_BUTTON_PADDING;
    m_menuButton = {0, 0, width, client.bottom};
    if (m_toolBar && m_toolBar->IsAlive())
        m_toolBar->MoveWindow({width + 2, 2, client.right - PANEL_BUTTON_WIDTH, client.bottom});
}

void MenuBar::Paint(DeviceContext& dc) {
    const Rect client = GetClientRect();
    dc.FillSolidRect(client, BAR_FACE);
    dc.FillSolidRect({0, 0, client.right, 1}, BAR_LINE);
    if (!m_menuButton.IsEmpty()) {
        const Rect face{m_menuButton.left, 1, m_menuButton.right, m_menuButton.bottom};
        if (m_menuOpen)
            dc.FillSolidRect(face, PRESSED_FACE);
        if (const Font* font = GetUiFont(UiFont::Bold)) {
            dc.SetBkMode(TRANSPARENT);
            dc.SetTextColor(m_menuOpen ? RGB(255, 255, 255) : RGB(0, 0, 0));
            Rect text = face;
            DrawText(dc, *font, m_caption, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
    }
    if (IsPanelButtonShown()) {
        const Rect panel = PanelButtonRect();
        if (Shell::Current() && Shell::Current()->IsInputPanelOn())
            dc.FillSolidRect({panel.left, 1, panel.right, panel.bottom}, RGB(160, 160, 160));
        DrawKeyboardSymbol(dc, panel);
    }
}

void MenuBar::OpenMenu() {
    Menu* popup = m_menu ? m_menu->GetSubMenu(0) : nullptr;
    if (!popup || m_menuOpen)
        return;
    m_menuOpen = true;
    InvalidateRect(this, nullptr, false);
    UpdateWindow(this);
    const Point anchor = ClientToScreen({m_menuButton.left, 0});
    TrackPopupMenu(*popup, TPM_LEFTALIGN | TPM_BOTTOMALIGN, anchor.x, anchor.y, m_owner);
    if (!IsAlive())
        return;
    m_menuOpen = false;
    InvalidateRect(this, nullptr, false);
}

void MenuBar::OnTap(Point client) {
    if (m_menuButton.Contains(client.x, client.y)) {
        OpenMenu();
    } else if (IsPanelButtonShown() && PanelButtonRect().Contains(client.x, client.y)) {
        if (Shell* shell = Shell::Current())
            shell->ShowInputPanel(!shell->IsInputPanelOn());
        InvalidateRect(this, nullptr, false);
    }
}

LRESULT MenuBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetCapture(this);
        return 0;
    case WM_LBUTTONUP: {
        // Menus open on release, so the release cannot land in the menu.
        if (GetCapture() != this)
            return 0;
        ReleaseCapture();
        const Point p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (GetClientRect().Contains(p.x, p.y))
            OnTap(p);
        return 0;
    }
    default:
        return PaintedWindow::WindowProc(message, wParam, lParam);
    }
}
