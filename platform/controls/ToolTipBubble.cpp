#include "platform/controls/ToolTipBubble.h"

#include <algorithm>

#include "platform/fonts/DrawText.h"
#include "platform/fonts/SystemFont.h"
#include "platform/window/WindowManager.h"

namespace {
constexpr int32_t PADDING_X = 4;
constexpr int32_t PADDING_Y = 2;
}  // namespace

ToolTipBubble::~ToolTipBubble() { Destroy(); }

bool ToolTipBubble::Show(std::u16string_view text, int32_t left, int32_t bottom) {
    const Font* font = GetUiFont(UiFont::Normal);
    const int32_t textWidth = font ? font->MeasureWidth(text) : 0;
    const int32_t width = std::min(textWidth + 2 * PADDING_X + 2, SCREEN_WIDTH);
    const int32_t height = UI_FONT_HEIGHT + 2 * PADDING_Y + 2;
    left = std::clamp(left, 0, SCREEN_WIDTH - width);
    const Rect rect{left, bottom - height, left + width, bottom};
    if (IsAlive()) {
        SetWindowText(text);
        MoveWindow(rect, true);
        BringToTop();
        return true;
    }
    return Create(nullptr, rect, 0, text, WS_VISIBLE);
}

LRESULT ToolTipBubble::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProc(message, wParam, lParam);
        InvalidateRect(this, nullptr, false);
        return result;
    }
    default:
        return DefWindowProc(message, wParam, lParam);
    }
}

void ToolTipBubble::OnPaint(DeviceContext& dc, const Rect&) {
    const Rect client = GetClientRect();
    dc.FillSolidRect(client, TOOLTIP_FRAME);
    dc.FillSolidRect({1, 1, client.right - 1, client.bottom - 1}, TOOLTIP_BACKGROUND);
    if (const Font* font = GetUiFont(UiFont::Normal)) {
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(RGB(0, 0, 0));
        Rect text{1 + PADDING_X, 1, client.right - 1 - PADDING_X, client.bottom - 1};
        DrawText(dc, *font, GetWindowText(), text,
                 DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
}
