#include <benchmark/benchmark.h>

#include "platform/fonts/DrawText.h"
#include "platform/fonts/Font.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/window/WindowManager.h"

namespace {

// A screen-sized window painting a filled background and twelve text rows,
// about what a list screen draws.
class TextScreen : public Window {
public:
    explicit TextScreen(const Font& font) : m_font(font) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_USER)
            return LRESULT(wParam + 1);
        if (message != WM_PAINT)
            return DefWindowProc(message, wParam, lParam);
        PAINTSTRUCT ps;
        DeviceContext* dc = WindowManager::Current()->BeginPaint(this, ps);
        dc->FillSolidRect(GetClientRect(), RGB(255, 255, 255));
        dc->SetBkMode(TRANSPARENT);
        for (int row = 0; row < 12; ++row) {
            Rect r{3, 26 + row * 22, 237, 26 + row * 22 + 22};
            DrawText(*dc, m_font, u"IMG_0042.JPG   Holiday   1600x1200", r,
                     DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        }
        WindowManager::Current()->EndPaint(this, ps);
        return 0;
    }

private:
    const Font& m_font;
};

void BM_FullRepaintWithText(benchmark::State& state) {
    HeadlessBackend backend;
    WindowManager manager(&backend);
    auto font = Font::Create(13);
    if (!font) {
        state.SkipWithError("DejaVu Sans missing");
        return;
    }
    TextScreen screen(*font);
    screen.Create(nullptr, {0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0, u"", WS_VISIBLE);
    for (auto _ : state) {
        manager.InvalidateRect(&screen, nullptr, true);
        manager.UpdateWindow(&screen);
        benchmark::DoNotOptimize(manager.Screen().Data());
    }
}
BENCHMARK(BM_FullRepaintWithText);

void BM_MessageRoundTrip(benchmark::State& state) {
    WindowManager manager;
    auto font = Font::Create(13);
    if (!font) {
        state.SkipWithError("DejaVu Sans missing");
        return;
    }
    TextScreen screen(*font);
    screen.Create(nullptr, {0, 0, 10, 10}, 0, u"", 0);
    MSG msg;
    for (auto _ : state) {
        manager.PostMessage(&screen, WM_USER, 1, 2);
        manager.PeekMessage(msg, nullptr, 0, 0, PM_REMOVE);
        benchmark::DoNotOptimize(manager.DispatchMessage(msg));
    }
}
BENCHMARK(BM_MessageRoundTrip);

}  // namespace

BENCHMARK_MAIN();
