#include "platform/shell/TaskBar.h"

#include <ctime>

#include "platform/fonts/DrawText.h"
#include "platform/fonts/SystemFont.h"
#include "platform/base/Text.h"
#include "platform/window/WindowManager.h"

namespace {

constexpr uintptr_t CLOCK_TIMER = 1;

std::u16string LocalClockText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M", &local);
    return Utf8ToUtf16(text);
}

}  // namespace

bool TaskBar::Create(const Rect& rect) {
    m_clock = LocalClockText;
    if (!Window::Create(nullptr, rect, 0, u"", WS_VISIBLE))
        return false;
    ArmClock();
    return true;
}

void TaskBar::SetClockSource(std::function<std::u16string()> source) {
    m_clock = source ? std::move(source) : std::function<std::u16string()>(LocalClockText);
    InvalidateRect(this, nullptr, false);
}

std::u16string TaskBar::ShownTitle() const {
    WindowManager* manager = WindowManager::Current();
    if (!manager)
        return {};
    const auto& windows = manager->TopLevelWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        const Window* w = *it;
        if (w != this && w->IsVisibleFlag() && !w->GetWindowText().empty())
            return w->GetWindowText();
    }
    return {};
}

// The clock is redrawn at each new minute.
void TaskBar::ArmClock() {
    const std::time_t now = std::time(nullptr);
    const uint32_t toNextMinute = uint32_t(60 - now % 60) * 1000;
    SetTimer(this, CLOCK_TIMER, toNextMinute);
}

void TaskBar::Paint(DeviceContext& dc) {
    const Rect client = GetClientRect();
    dc.FillSolidRect(client, BACKGROUND);
    if (const Font* font = GetUiFont(UiFont::Caption)) {
        dc.SetTextColor(FOREGROUND);
        dc.SetBkMode(TRANSPARENT);
        const std::u16string clock = m_clock();
        Rect clockRect{client.right - 50, 0, client.right - 4, client.bottom};
        DrawText(dc, *font, clock, clockRect, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        Rect titleRect{6, 0, clockRect.left - 4, client.bottom};
        DrawText(dc, *font, ShownTitle(), titleRect,
                 DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
}

LRESULT TaskBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == CLOCK_TIMER) {
            InvalidateRect(this, nullptr, false);
            ArmClock();
            return 0;
        }
        break;
    default:
        break;
    }
    return PaintedWindow::WindowProc(message, wParam, lParam);
}
