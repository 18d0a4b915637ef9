#pragma once
#include <compare>
#include <cstddef>
#include <cstdint>

#include "platform/gdi/Geometry.h"

class Window;

// Message plumbing in the shape the screens are written against.
//
// A window handle is a number the window system gives a window when it is
// made and never gives again. A handle kept past its window's end is
// refused by every call, even when a new window has taken the old one's
// memory. A window object converts to its handle, so `SendMessage(this,
// ...)` reads as before; turning a handle back into an object goes through
// the window manager, which knows only the living ones.
class HWND {
public:
    constexpr HWND() = default;
    constexpr HWND(std::nullptr_t) {}
    // The handle of `window`: null before the window is made, a refused
    // one once it is destroyed.
    HWND(const Window* window);
    static constexpr HWND FromValue(uintptr_t value) {
        HWND h;
        h.m_value = value;
        return h;
    }
    // Handles travel in WPARAM and LPARAM as their numbers.
    static constexpr HWND FromParam(intptr_t param) { return FromValue(uintptr_t(param)); }
    constexpr uintptr_t Value() const { return m_value; }
    explicit constexpr operator bool() const { return m_value != 0; }
    explicit constexpr operator uintptr_t() const { return m_value; }
    explicit constexpr operator intptr_t() const { return intptr_t(m_value); }
    friend constexpr bool operator==(HWND a, HWND b) { return a.m_value == b.m_value; }
    friend constexpr auto operator<=>(HWND a, HWND b) { return a.m_value <=> b.m_value; }

private:
    uintptr_t m_value = 0;
};

using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETREDRAW = 0x000B;  // wParam: redraw on (1) or off (0)
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_SETTINGCHANGE = 0x001A;
constexpr UINT WM_CANCELMODE = 0x001F;
constexpr UINT WM_DRAWITEM = 0x002B;
constexpr UINT WM_MEASUREITEM = 0x002C;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_COPYDATA = 0x004A;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_CONTEXTMENU = 0x007B;
constexpr UINT WM_KEYFIRST = 0x0100;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_KEYLAST = 0x0108;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_INITMENUPOPUP = 0x0117;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
constexpr UINT WM_MOUSEFIRST = 0x0200;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MOUSELAST = 0x0209;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;
// Ids handed out for registered message names start here.
constexpr UINT WM_REGISTERED_FIRST = 0xC000;

// WM_ACTIVATE wParam.
constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;

// Key state flags carried in the wParam of stylus messages.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;

// Virtual keys.
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;  // Page Up
constexpr UINT VK_NEXT = 0x22;   // Page Down
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_DELETE = 0x2E;
// '0'..'9' and 'A'..'Z' are their own virtual keys.

// Window styles.
constexpr uint32_t WS_CHILD = 0x40000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr uint32_t WS_DISABLED = 0x08000000;
// Class styles.
constexpr uint32_t CS_VREDRAW = 0x0001;
constexpr uint32_t CS_HREDRAW = 0x0002;
constexpr uint32_t CS_DBLCLKS = 0x0008;

// PeekMessage removal flags.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Result of the tap-and-hold recogniser when the press was held.
constexpr int GN_CONTEXTMENU = 1000;

constexpr LPARAM MAKELPARAM(int32_t low, int32_t high) {
    return LPARAM(uint32_t(uint16_t(low)) | (uint32_t(uint16_t(high)) << 16));
}
constexpr uint16_t LOWORD(uintptr_t v) { return uint16_t(v & 0xFFFF); }
constexpr uint16_t HIWORD(uintptr_t v) { return uint16_t((v >> 16) & 0xFFFF); }
// Signed coordinates of a stylus message.
constexpr int32_t GET_X_LPARAM(LPARAM l) { return int16_t(LOWORD(uintptr_t(l))); }
constexpr int32_t GET_Y_LPARAM(LPARAM l) { return int16_t(HIWORD(uintptr_t(l))); }

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    uint32_t time = 0;
    Point pt;  // stylus position in screen coordinates when the message was made
};

// WM_COPYDATA: wParam the sending window (0 from another process), lParam
// a COPYDATASTRUCT* valid only during the call.
struct COPYDATASTRUCT {
    uintptr_t dwData = 0;
    uint32_t cbData = 0;  // bytes at lpData
    const void* lpData = nullptr;
};

class DeviceContext;

struct PAINTSTRUCT {
    DeviceContext* hdc = nullptr;
    bool fErase = false;
    Rect rcPaint;  // client coordinates: bounding box of what is to be painted
};
