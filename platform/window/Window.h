#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Colour.h"
#include "platform/gdi/Geometry.h"
#include "platform/gdi/Region.h"
#include "platform/window/WindowMessages.h"

class DeviceContext;
class WindowManager;

// A window of the handheld screen: a rectangle in its parent's client area
// (in screen coordinates for a top-level window), an id, a title, a style
// and children kept bottom to top. Windows have no frame or caption, so the
// client area is the whole window. The object belongs to whoever made it;
// Destroy() takes the window and its children off the screen and out of
// the manager, after which the object is inert. The destructor destroys a
// window still alive, but by then only the base class hears WM_DESTROY:
// owners whose handlers must see it call Destroy() first.
class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Makes the window in the current window manager and sends WM_CREATE;
    // a handler answering -1 fails the creation and the window is destroyed.
    // WS_VISIBLE in `style` shows it at once.
    bool Create(HWND parent, const Rect& rect, int id, std::u16string_view title, uint32_t style,
                uint32_t classStyle = 0);
    // Sends WM_DESTROY, then destroys the children. Safe to call twice.
    void Destroy();
    bool IsAlive() const { return m_manager != nullptr; }
    // The window's handle; null before Create(), refused after Destroy().
    HWND GetHwnd() const { return HWND::FromValue(m_handle); }

    Window* GetParent() const { return m_parent; }
    int GetId() const { return m_id; }
    uint32_t GetStyle() const { return m_style; }
    uint32_t GetClassStyle() const { return m_classStyle; }
    void SetClassStyle(uint32_t classStyle) { m_classStyle = classStyle; }
    // Children bottom to top.
    const std::vector<Window*>& Children() const { return m_children; }
    // A direct child by id, or nullptr.
    Window* GetDlgItem(int id) const;
    // Whether `descendant` is a living window below this one.
    bool IsChild(HWND descendant) const;
    bool IsAncestorOf(const Window* descendant) const;

    // In the parent's client coordinates (screen ones for a top-level window).
    const Rect& GetRect() const { return m_rect; }
    Rect GetClientRect() const { return {0, 0, m_rect.Width(), m_rect.Height()}; }
    Rect GetWindowRect() const;  // screen coordinates
    Point ClientToScreen(Point p) const;
    Point ScreenToClient(Point p) const;
    // Sends WM_SIZE when the size changes; the uncovered and covered areas
    // are invalidated when `repaint`.
    void MoveWindow(const Rect& rect, bool repaint = true);
    // Above its siblings.
    void BringToTop();

    // Returns whether the window was visible before. Hiding the focused
    // window (or one holding it) passes the focus to the parent.
    bool ShowWindow(bool show);
    bool IsVisibleFlag() const { return (m_style & WS_VISIBLE) != 0; }
    // Visible itself and every ancestor visible.
    bool IsWindowVisible() const;
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const { return (m_style & WS_DISABLED) == 0; }

    const std::u16string& GetWindowText() const { return m_title; }
    // Goes through WM_SETTEXT (lParam: the text, zero-terminated), so that
    // controls can repaint or reset their state.
    void SetWindowText(std::u16string_view title);

    // The fill of the default WM_ERASEBKGND; nothing is filled when unset.
    void SetBackgroundColour(COLORREF colour) { m_background = colour; }

    // Handles one message; the default is DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Draws the invalid part of the window (`paint`, client coordinates)
    // for the default WM_PAINT, after any erase; the default draws nothing.
    virtual void OnPaint(DeviceContext& dc, const Rect& paint) { (void)dc; (void)paint; }
    // Erases with the background colour, paints through OnPaint, closes on WM_CLOSE,
    // keeps the text of WM_SETTEXT and answers WM_GETTEXT (wParam: buffer
    // size in UTF-16 units, lParam: char16_t*; the copy is cut and
    // terminated) and WM_GETTEXTLENGTH.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend class WindowManager;

    WindowManager* m_manager = nullptr;
    uintptr_t m_handle = 0;
    Window* m_parent = nullptr;
    std::vector<Window*> m_children;
    Rect m_rect;
    int m_id = 0;
    uint32_t m_style = 0;
    uint32_t m_classStyle = 0;
    std::u16string m_title;
    COLORREF m_background = CLR_INVALID;
    Region m_update;  // client coordinates
    std::unique_ptr<Bitmap> m_backing;  // a top-level window's pixels
    bool m_erasePending = false;
    bool m_destroying = false;
};
