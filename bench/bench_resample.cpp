#include <benchmark/benchmark.h>

#include <vector>

#include "imaging/ResampleJob.h"

namespace {

// A camera-size decode reduced to the 240 x 320 screen, straight and turned.
void BM_Resample(benchmark::State& state) {
    const uint16_t sw = uint16_t(state.range(0)), sh = uint16_t(state.range(1));
    const uint16_t dw = uint16_t(state.range(2)), dh = uint16_t(state.range(3));
    std::vector<uint32_t> source(size_t(sw) * sh);
    for (size_t i = 0; i < source.size(); ++i) source[i] = uint32_t(i * 2654435761u) & 0xFFFFFF;
    std::vector<uint32_t> dest(size_t(dw) * dh);
    const ResampleJob job{source.data(), size_t(sw) * 4, sw, sh, dest.data(), size_t(dw) * 4,
                          dw, dh, uint8_t(state.range(4))};
    for (auto _ : state) {
        benchmark::DoNotOptimize(job.Run());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * dw * dh);
}

BENCHMARK(BM_Resample)
    ->ArgNames({"sw", "sh", "dw", "dh", "turn"})
    ->Args({2048, 1536, 240, 320, 1})
    ->Args({2048, 1536, 320, 240, 0})
    ->Args({2048, 1536, 240, 180, 0})
    ->Args({400, 300, 240, 320, 1})
    ->Args({120, 160, 240, 320, 0})
    ->Args({1600, 1200, 96, 72, 0});

}  // namespace

BENCHMARK_MAIN();
