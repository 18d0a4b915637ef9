#pragma once
#include <string_view>

#include "platform/window/Window.h"

// A small top-level window with one line of text in a thin frame, shown
// while the stylus holds a tool bar button. Its title is the text.
class ToolTipBubble : public Window {
public:
    ~ToolTipBubble() override;

    // Shows `text` with the bubble's bottom edge at screen y `bottom`, its
    // left edge at `left` as far as the screen allows.
    bool Show(std::u16string_view text, int32_t left, int32_t bottom);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint(DeviceContext& dc, const Rect& paint) override;
};

constexpr COLORREF TOOLTIP_BACKGROUND = RGB(255, 255, 225);
constexpr COLORREF TOOLTIP_FRAME = RGB(0, 0, 0);
