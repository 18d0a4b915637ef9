// Cost of building an image record from its file (with and without a
// trailer, and with every lazy value filled) and of decoding a trailer
// thumbnail.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalogue/ImageItem.h"
#include "catalogue/ScreenBitmap.h"
#include "catalogue/ThumbnailBitmap.h"
#include "catalogue/TrailerEdits.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/File.h"

namespace {

namespace stdfs = std::filesystem;

// A device folder holding a small JPEG twice: bare, and with a trailer
// carrying a note and a 96 x 72 thumbnail.
class BenchDevice {
public:
    BenchDevice() {
        std::string templ = (stdfs::temp_directory_path() / "kvbench-XXXXXX").string();
        m_root = mkdtemp(templ.data());
        DeviceFolder::SetCurrent(m_root);
        std::ifstream in(std::string(KV_SOURCE_DIR) + "/tests/fixtures/catalogue/exif_date.jpg",
                         std::ios::binary);
        const std::vector<char> jpeg(std::istreambuf_iterator<char>(in), {});
        for (const char* name : {"/bare.jpg", "/trailer.jpg"}) {
            std::ofstream(m_root + name, std::ios::binary).write(jpeg.data(), std::streamsize(jpeg.size()));
        }
        SetTrailerNote(u"\\trailer.jpg", u"A note of a usual length\r\nwith two lines");
        File file;
        file.Open(u"\\trailer.jpg", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
        StoreTrailerThumbnail(file, Thumbnail(96, 72));
    }
    ~BenchDevice() {
        std::error_code ec;
        stdfs::remove_all(m_root, ec);
    }

    static ScreenBitmap Thumbnail(int width, int height) {
        ScreenBitmap picture{width, height, std::vector<uint32_t>(size_t(width) * height)};
        for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = uint32_t(i * 0x030507);
        return picture;
    }

private:
    std::string m_root;
};

BenchDevice& Device() {
    static BenchDevice device;
    return device;
}

void BM_InitFromFile(benchmark::State& state, const char16_t* path) {
    Device();
    for (auto _ : state) {
        CImageItem item;
        benchmark::DoNotOptimize(item.InitFromFile(path, false));
    }
}
BENCHMARK_CAPTURE(BM_InitFromFile, without_trailer, u"\\bare.jpg");
BENCHMARK_CAPTURE(BM_InitFromFile, with_trailer, u"\\trailer.jpg");

// Initialisation and every lazy value a list row shows.
void BM_FullRecord(benchmark::State& state, const char16_t* path) {
    Device();
    for (auto _ : state) {
        CImageItem item;
        item.InitFromFile(path, false);
        benchmark::DoNotOptimize(item.GetSize());
        benchmark::DoNotOptimize(item.GetWidth());
        benchmark::DoNotOptimize(item.GetDate());
        benchmark::DoNotOptimize(item.GetNote().size());
    }
}
BENCHMARK_CAPTURE(BM_FullRecord, without_trailer, u"\\bare.jpg");
BENCHMARK_CAPTURE(BM_FullRecord, with_trailer, u"\\trailer.jpg");

void BM_DecodeThumbnail(benchmark::State& state) {
    std::vector<uint8_t> payload;
    EncodeThumbnail(BenchDevice::Thumbnail(96, 96), payload);
    ScreenBitmap picture;
    for (auto _ : state) benchmark::DoNotOptimize(DecodeThumbnail(payload, picture));
    state.SetItemsProcessed(state.iterations() * 96 * 96);
}
BENCHMARK(BM_DecodeThumbnail);

// Compressed rows where every byte changes: the decoder's worst case.
void BM_DecodeCompressedThumbnail(benchmark::State& state) {
    std::vector<uint8_t> payload(18, 0);
    payload[1] = 96;
    payload[3] = 96;
    payload[4] = 0;
    payload[5] = 192;
    payload[6] = 0x80;
    payload[8] = 16;
    for (int row = 0; row < 96; ++row) {
        for (int group = 0; group < 192 / 8; ++group) {
            payload.push_back(0xFF);
            for (int i = 0; i < 8; ++i) payload.push_back(uint8_t(row + group + i));
        }
    }
    ScreenBitmap picture;
    for (auto _ : state) benchmark::DoNotOptimize(DecodeThumbnail(payload, picture));
    state.SetItemsProcessed(state.iterations() * 96 * 96);
}
BENCHMARK(BM_DecodeCompressedThumbnail);

}  // namespace

BENCHMARK_MAIN();
