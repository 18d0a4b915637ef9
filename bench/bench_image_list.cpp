// The image list under the browser's load: a resort of a full list, and the
// Count / Nth / IndexOf questions asked for every visible cell.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "catalogue/ImageItemList.h"
#include "platform/base/Text.h"

namespace {

std::u16string Text(const char* format, unsigned value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return Utf8ToUtf16(buffer);
}

// Records from a file-list cache need no files for sorting by name or
// location. Names are inserted in order, so each goes to the end.
void FillInOrder(CImageItemList& list, size_t count, const std::function<std::u16string(size_t)>& folderOf) {
    for (size_t i = 0; i < count; ++i) {
        auto record = std::make_unique<CImageItem>();
        record->InitFromCacheEntry(folderOf(i), Text("IMG_%05u.jpg", static_cast<unsigned>(i)),
                                   CATEGORY_ID_UNFILED, false);
        list.Insert(std::move(record));
    }
}

// 65,535 records in random folders: sorting by location shuffles the names,
// and each timed resort by name starts from that order.
void BM_ResortByName(benchmark::State& state) {
    std::mt19937 random(1);
    CImageItemList list;
    FillInOrder(list, IMAGE_LIST_MAX, [&](size_t) { return Text("\\Folder%05u", random() % 100000); });
    for (auto _ : state) {
        state.PauseTiming();
        list.Resort(SORT_LOCATION, true);
        state.ResumeTiming();
        list.Resort(SORT_NAME, true);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(list.Size()));
}
BENCHMARK(BM_ResortByName)->Unit(benchmark::kMillisecond);

constexpr size_t DISPLAYED = 10000;
constexpr int CELLS_PER_PAGE = 12;

// 65,535 records of which 10,000, spread through the list, lie on the card.
void FillWithCardImages(CImageItemList& list) {
    FillInOrder(list, IMAGE_LIST_MAX, [](size_t i) -> std::u16string {
        const bool onCard = i * DISPLAYED / IMAGE_LIST_MAX != (i + 1) * DISPLAYED / IMAGE_LIST_MAX;
        return onCard ? u"\\Storage Card\\DCIM\\100ABC" : u"\\My Documents\\Kestrelview";
    });
}

// One iteration paints every page from the top to the bottom of the
// displayed records: per cell the count, the record and its position.
void BM_ScrollPagesWithLocationFilter(benchmark::State& state) {
    CImageItemList list;
    FillWithCardImages(list);
    const ImageFilter filter{u"\\Storage Card", CATEGORY_ID_ALL};
    if (list.Count(filter) != static_cast<int>(DISPLAYED)) state.SkipWithError("wrong displayed count");
    int64_t pages = 0;
    for (auto _ : state) {
        for (int top = 0; top < static_cast<int>(DISPLAYED); top += CELLS_PER_PAGE, ++pages) {
            for (int cell = 0; cell < CELLS_PER_PAGE; ++cell) {
                const int count = list.Count(filter);
                CImageItem* record = top + cell < count ? list.Nth(filter, top + cell) : nullptr;
                benchmark::DoNotOptimize(record ? list.IndexOf(filter, record) : -1);
            }
        }
    }
    state.counters["pages"] = benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsRate);
    state.counters["ns_per_page"] =
        benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScrollPagesWithLocationFilter)->Unit(benchmark::kMillisecond);

// The price of a change to the list: the displayed positions are found
// again on the next question.
void BM_DisplayRebuildAfterChange(benchmark::State& state) {
    CImageItemList list;
    FillWithCardImages(list);
    const ImageFilter filter{u"\\Storage Card", CATEGORY_ID_ALL};
    for (auto _ : state) {
        list.InvalidateDisplay();
        benchmark::DoNotOptimize(list.Count(filter));
    }
}
BENCHMARK(BM_DisplayRebuildAfterChange)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
