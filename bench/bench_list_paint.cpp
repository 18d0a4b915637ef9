#include <benchmark/benchmark.h>

#include <string>

#include "platform/fonts/DrawText.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/controls/ListViewControl.h"
#include "platform/fonts/SystemFont.h"
#include "platform/window/WindowManager.h"

namespace {

// The owner of a list drawing rows the way the photo list does: the row's
// background, a shaded sorted column and three text cells cut to fit.
class RowOwner : public Window {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_DRAWITEM)
            return DefWindowProc(message, wParam, lParam);
        const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        DeviceContext& dc = *draw.hDC;
        const bool selected = (draw.itemState & ODS_SELECTED) != 0;
        dc.FillSolidRect(draw.rcItem, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        dc.SetTextColor(GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        dc.SetBkMode(TRANSPARENT);
        const int32_t widths[] = {45, 100, 95};
        int32_t left = draw.rcItem.left;
        for (int column = 0; column < 3; ++column) {
            const int32_t right = left + widths[column];
            if (column == 1 && !selected)
                dc.FillSolidRect({left, draw.rcItem.top, right, draw.rcItem.bottom},
                                 RGB(0xF6, 0xF6, 0xF6));
            Rect text{left + 3, draw.rcItem.top, right - 3, draw.rcItem.bottom};
            DrawText(dc, *GetUiFont(UiFont::Normal), kTexts[column], text,
                     DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
            left = right;
        }
        return 1;
    }

private:
    static constexpr const char16_t* kTexts[] = {u"Internal", u"IMG_0042 holiday by the sea.JPG",
                                                 u"Unfiled"};
};

struct ListScreen {
    HeadlessBackend backend;
    WindowManager manager{&backend};
    RowOwner owner;
    ListViewControl list;

    explicit ListScreen(int rows) {
        owner.Create(nullptr, {0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0, u"", WS_VISIBLE);
        list.Create(&owner, {0, 50, 240, 294}, 1001, u"", WS_CHILD | WS_VISIBLE);
        list.InsertColumn(0, u"Location", LVCFMT_LEFT, 45);
        list.InsertColumn(1, u"Name", LVCFMT_LEFT, 100);
        list.InsertColumn(2, u"Category", LVCFMT_LEFT, 95);
        for (int i = 0; i < rows; ++i)
            list.InsertItem(-1);
        list.SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        manager.PumpMessages();
    }
};

// Every visible row of a 240 x 244 list drawn again.
void BM_ListFullRepaint(benchmark::State& state) {
    if (!GetUiFont(UiFont::Normal)) {
        state.SkipWithError("DejaVu Sans missing");
        return;
    }
    ListScreen screen(500);
    for (auto _ : state) {
        screen.manager.InvalidateRect(&screen.list, nullptr, true);
        screen.manager.UpdateWindow(&screen.list);
        benchmark::DoNotOptimize(screen.manager.Screen().Data());
    }
}
BENCHMARK(BM_ListFullRepaint);

// The rocker moving the selection one row: two rows drawn again.
void BM_ListSelectionStep(benchmark::State& state) {
    if (!GetUiFont(UiFont::Normal)) {
        state.SkipWithError("DejaVu Sans missing");
        return;
    }
    ListScreen screen(500);
    int row = 3;
    for (auto _ : state) {
        screen.manager.SendMessage(&screen.list, WM_KEYDOWN, row < 10 ? VK_DOWN : VK_HOME, 0);
        row = row < 10 ? row + 1 : 0;
        screen.manager.UpdateWindow(&screen.list);
        benchmark::DoNotOptimize(screen.manager.Screen().Data());
    }
}
BENCHMARK(BM_ListSelectionStep);

// Inserting rows at the end of a long list, as filling it does.
void BM_ListFill(benchmark::State& state) {
    ListScreen screen(0);
    for (auto _ : state) {
        screen.list.DeleteAllItems();
        for (int i = 0; i < state.range(0); ++i)
            screen.list.InsertItem(-1);
        benchmark::DoNotOptimize(screen.list.GetItemCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ListFill)->Arg(1000);

}  // namespace

BENCHMARK_MAIN();
