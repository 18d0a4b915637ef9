// Scanning a device folder of 10,000 small photos with trailers: walked
// (every file opened for its trailer) and from the file list cache (no image
// file opened).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "catalogue/CategoryDB.h"
#include "catalogue/FolderList.h"
#include "catalogue/ImageItemList.h"
#include "catalogue/ImageScanner.h"
#include "catalogue/TrailerEdits.h"
#include "platform/base/DeviceFolder.h"

namespace {
namespace stdfs = std::filesystem;
constexpr int kPhotos = 10000;
constexpr std::u16string_view kDB = u"\\Program Files\\Farrowdale\\Kestrelview\\_CategoryDB";

// The smallest valid baseline JPEG (8 x 8 grey), so the folder is about files,
// not bytes.
const std::vector<uint8_t>& TinyJpeg() {
    static const std::vector<uint8_t> bytes = [] {
        std::ifstream in(std::string(KV_SOURCE_DIR) + "/tests/fixtures/catalogue/plain.jpg", std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }();
    return bytes;
}

// Made once per process: 10,000 photos, each with a note in its trailer.
const std::string& DeviceWithPhotos() {
    static const std::string root = [] {
        std::string dir = (stdfs::temp_directory_path() / "kvbench-scan").string();
        stdfs::remove_all(dir);
        const std::string folder = dir + "/My Documents/Kestrelview";
        stdfs::create_directories(folder);
        DeviceFolder::SetCurrent(dir);
        for (int i = 0; i < kPhotos; ++i) {
            const std::string name = "photo" + std::to_string(i) + ".jpg";
            std::ofstream(folder + "/" + name, std::ios::binary)
                .write(reinterpret_cast<const char*>(TinyJpeg().data()), std::streamsize(TinyJpeg().size()));
            std::u16string path = u"\\My Documents\\Kestrelview\\photo" + std::u16string(name.begin() + 5, name.end());
            SetTrailerNote(path, u"n");
        }
        return dir;
    }();
    return root;
}

void Scan(benchmark::State& state, bool fromCache) {
    DeviceFolder::SetCurrent(DeviceWithPhotos());
    for (auto _ : state) {
        CCategoryDB db;
        CImageItemList images(&db);
        CFolderList locations;
        CImageScanner scanner(images, locations, db, std::u16string(kDB));
        if (fromCache) {
            state.PauseTiming();
            scanner.ScanAll(true);
            scanner.SaveCaches();
            images.Clear();
            state.ResumeTiming();
        }
        scanner.ScanAll(!fromCache);
        if (images.Size() != kPhotos) state.SkipWithError("wrong record count");
    }
    state.SetItemsProcessed(state.iterations() * kPhotos);
}

void BM_ScanWalked(benchmark::State& state) { Scan(state, false); }
void BM_ScanFromCache(benchmark::State& state) { Scan(state, true); }
}  // namespace

BENCHMARK(BM_ScanWalked)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanFromCache)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
