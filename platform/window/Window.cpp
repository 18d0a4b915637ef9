#include "platform/window/Window.h"

#include <algorithm>

#include "platform/window/WindowManager.h"

HWND::HWND(const Window* window) : m_value(window ? window->GetHwnd().Value() : 0) {}

Window::~Window() { Destroy(); }

bool Window::Create(HWND parent, const Rect& rect, int id, std::u16string_view title,
                    uint32_t style, uint32_t classStyle) {
    WindowManager* manager = WindowManager::Current();
    if (!manager || IsAlive() || (parent && !manager->IsWindow(parent)))
        return false;
    m_rect = rect.Normalised();
    m_id = id;
    m_title = title;
    m_style = style & ~WS_VISIBLE;
    m_classStyle = classStyle;
    manager->Attach(*this, manager->FromHandle(parent));
    if (manager->SendMessage(this, WM_CREATE, 0, 0) == -1) {
        Destroy();
        return false;
    }
    if (style & WS_VISIBLE)
        ShowWindow(true);
    return IsAlive();
}

void Window::Destroy() {
    if (!m_manager || m_destroying)
        return;
    m_destroying = true;
    WindowManager* manager = m_manager;
    manager->SendMessage(this, WM_DESTROY, 0, 0);
    // A child may leave the list while being destroyed; work on a copy.
    const std::vector<Window*> children = m_children;
    for (Window* child : children)
        child->Destroy();
    if (m_manager)
        manager->Detach(*this);
    m_destroying = false;
}

Window* Window::GetDlgItem(int id) const {
    for (Window* child : m_children)
        if (child->m_id == id)
            return child;
    return nullptr;
}

bool Window::IsChild(HWND descendant) const {
    return m_manager && IsAncestorOf(m_manager->FromHandle(descendant));
}

bool Window::IsAncestorOf(const Window* descendant) const {
    for (const Window* w = descendant ? descendant->m_parent : nullptr; w; w = w->m_parent)
        if (w == this)
            return true;
    return false;
}

Rect Window::GetWindowRect() const {
    const Point origin = ClientToScreen({0, 0});
    return {origin.x, origin.y, origin.x + m_rect.Width(), origin.y + m_rect.Height()};
}

Point Window::ClientToScreen(Point p) const {
    for (const Window* w = this; w; w = w->m_parent) {
        p.x += w->m_rect.left;
        p.y += w->m_rect.top;
    }
    return p;
}

Point Window::ScreenToClient(Point p) const {
    const Point origin = ClientToScreen({0, 0});
    return {p.x - origin.x, p.y - origin.y};
}

void Window::MoveWindow(const Rect& rect, bool repaint) {
    const Rect newRect = rect.Normalised();
    if (newRect == m_rect)
        return;
    const bool resized = newRect.Width() != m_rect.Width() || newRect.Height() != m_rect.Height();
    const bool visible = IsWindowVisible();
    const Rect before = GetWindowRect();
    m_rect = newRect;
    if (m_manager && visible && !m_parent) {
        // A top-level window's backing is lost with its size.
        if (repaint || resized)
            m_manager->InvalidateRect(this, nullptr, true);
        m_manager->Expose(*this, before);
        m_manager->Expose(*this, m_rect);
    } else if (m_manager && visible && repaint) {
        m_manager->Expose(*this, before);
        m_manager->InvalidateRect(this, nullptr, true);
    }
    if (m_manager && resized)
        m_manager->SendMessage(this, WM_SIZE, 0, MAKELPARAM(m_rect.Width(), m_rect.Height()));
}

void Window::BringToTop() {
    if (!m_manager)
        return;
    std::vector<Window*>& siblings = m_parent ? m_parent->m_children : m_manager->m_topLevel;
    auto it = std::find(siblings.begin(), siblings.end(), this);
    if (it == siblings.end() || it + 1 == siblings.end())
        return;
    siblings.erase(it);
    siblings.push_back(this);
    if (IsWindowVisible() && !m_parent)
        m_manager->Expose(*this, m_rect);
    else if (IsWindowVisible())
        m_manager->InvalidateRect(this, nullptr, true);
}

bool Window::ShowWindow(bool show) {
    const bool was = IsVisibleFlag();
    if (!m_manager || was == show)
        return was;
    if (show) {
        m_style |= WS_VISIBLE;
        m_manager->SendMessage(this, WM_SHOWWINDOW, 1, 0);
        if (IsWindowVisible())
            m_manager->InvalidateRect(this, nullptr, true);
        if (IsWindowVisible() && !m_parent)
            m_manager->Expose(*this, m_rect);
    } else {
        const bool wasShown = IsWindowVisible();
        m_manager->SendMessage(this, WM_SHOWWINDOW, 0, 0);
        m_style &= ~WS_VISIBLE;
        m_update = Region();
        m_manager->FocusLost(*this);
        if (wasShown)
            m_manager->Expose(*this, GetWindowRect());
    }
    return was;
}

bool Window::IsWindowVisible() const {
    for (const Window* w = this; w; w = w->m_parent)
        if (!w->IsVisibleFlag())
            return false;
    return m_manager != nullptr;
}

void Window::EnableWindow(bool enable) {
    if (enable == IsWindowEnabled())
        return;
    if (enable)
        m_style &= ~WS_DISABLED;
    else
        m_style |= WS_DISABLED;
    if (m_manager)
        m_manager->SendMessage(this, WM_ENABLE, enable ? 1 : 0, 0);
}

void Window::SetWindowText(std::u16string_view title) {
    const std::u16string text(title);
    if (m_manager)
        m_manager->SendMessage(this, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    else
        m_title = text;
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProc(message, wParam, lParam);
}

LRESULT Window::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT:
        m_title = lParam ? std::u16string(reinterpret_cast<const char16_t*>(lParam)) : u"";
        return 1;
    case WM_GETTEXTLENGTH:
        return LRESULT(m_title.size());
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char16_t*>(lParam);
        if (!buffer || wParam == 0)
            return 0;
        const size_t n = std::min<size_t>(m_title.size(), wParam - 1);
        std::copy_n(m_title.data(), n, buffer);
        buffer[n] = 0;
        return LRESULT(n);
    }
    case WM_ERASEBKGND:
        if (m_background == CLR_INVALID || !wParam)
            return 0;
        reinterpret_cast<DeviceContext*>(wParam)->FillSolidRect(GetClientRect(), m_background);
        return 1;
    case WM_PAINT: {
        if (!m_manager)
            return 0;
        PAINTSTRUCT ps;
        if (DeviceContext* dc = m_manager->BeginPaint(this, ps))
            OnPaint(*dc, ps.rcPaint);
        m_manager->EndPaint(this, ps);
        return 0;
    }
    case WM_CLOSE:
        Destroy();
        return 0;
    case WM_ACTIVATE:
        // An activated window takes the focus unless something inside it
        // already holds it.
        if (m_manager && wParam != WA_INACTIVE) {
            const HWND focus = m_manager->GetFocus();
            if (focus != this && !IsChild(focus))
                m_manager->SetFocus(this);
        }
        return 0;
    default:
        return 0;
    }
}
