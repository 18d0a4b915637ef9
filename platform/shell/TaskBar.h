#pragma once
#include <functional>
#include <string>

#include "platform/window/PaintedWindow.h"

// The band at the top of the screen: the title of the program in front at
// the left and the time at the right, on the shell's dark blue.
class TaskBar : public PaintedWindow {
public:
    static constexpr COLORREF BACKGROUND = RGB(0, 0, 132);
    static constexpr COLORREF FOREGROUND = RGB(255, 255, 255);

    bool Create(const Rect& rect);
    // The text shown at the right; by default the local time as the
    // locale writes it without seconds. Tests fix it.
    void SetClockSource(std::function<std::u16string()> source);
    // The title of the front-most visible top-level window that has one,
    // other than the shell's own bars.
    std::u16string ShownTitle() const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(DeviceContext& dc) override;
    void ArmClock();

    std::function<std::u16string()> m_clock;
};
