#include "platform/controls/StaticControl.h"

#include "platform/controls/ControlSupport.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/controls/DialogCodes.h"
#include "platform/fonts/DrawText.h"
#include "platform/window/WindowClass.h"

namespace {

uint32_t AlignmentFormat(uint32_t style) {
    switch (style & 0xF) {
    case SS_CENTER: return DT_CENTER;
    case SS_RIGHT: return DT_RIGHT;
    default: return DT_LEFT;
    }
}

}  // namespace

void StaticControl::SetIcon(std::unique_ptr<Bitmap> icon) {
    m_icon = std::move(icon);
    RepaintControl(*this);
}

LRESULT StaticControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
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
        RepaintControl(*this);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    default:
        return DefWindowProc(message, wParam, lParam);
    }
}

void StaticControl::OnPaint(DeviceContext& dc, const Rect&) {
    dc.FillSolidRect(GetClientRect(), GetSysColor(COLOR_WINDOW));
    if ((GetStyle() & 0xF) == SS_ICON) {
        if (m_icon) {
            DeviceContext memory;
            memory.SelectObject(m_icon.get());
            dc.BitBlt(0, 0, m_icon->Width(), m_icon->Height(), &memory, 0, 0, SRCCOPY);
        }
    } else if (const Font* font = ControlFont(m_font)) {
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(GetSysColor(IsWindowEnabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
        Rect rect = GetClientRect();
        uint32_t format = AlignmentFormat(GetStyle()) | DT_WORDBREAK;
        if (GetStyle() & SS_NOPREFIX)
            format |= DT_NOPREFIX;
        DrawText(dc, *font, GetWindowText(), rect, format);
    }
}

void RegisterStaticClass() {
    RegisterWindowClass(WC_STATIC, 0, [] { return std::make_unique<StaticControl>(); });
}
