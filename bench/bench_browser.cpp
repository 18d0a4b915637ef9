// The browser's screens: a grid page painted from nothing and from its
// snapshot, the list's repaint and one step down among 10,000 photos, and
// the time from Page Down to a whole page of 12-megapixel photos that have
// no thumbnail, against decoding them one after the other.
#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "browser/KestrelviewView.h"
#include "browser/ThumbnailGrid.h"
#include "catalogue/TrailerThumbnailStore.h"
#include "handheld/Preferences.h"
#include "imaging/ImageRenderer.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/File.h"
#include "platform/base/Text.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/window/WindowManager.h"

namespace {

namespace fs = std::filesystem;
const std::u16string FOLDER = u"\\My Documents\\Kestrelview";

// A device folder of its own for the run, removed at the end.
struct Device {
    std::string root;
    Device() {
        char pattern[] = "/tmp/kv-bench-browser-XXXXXX";
        root = mkdtemp(pattern);
        fs::create_directories(root + "/My Documents/Kestrelview");
        DeviceFolder::SetCurrent(root);
        CreatePreferencesKey();
    }
    ~Device() { fs::remove_all(root); }
    std::string Host(const std::string& name) const { return root + "/My Documents/Kestrelview/" + name; }
};

Device& TheDevice() {
    static Device device;
    return device;
}

std::u16string PhotoPath(const std::string& name) { return FOLDER + u"\\" + Utf8ToUtf16(name); }

std::string Name(const char* prefix, int i) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%05d.jpg", prefix, i);
    return name;
}

// Camera photos of the corpus, copied writable.
std::vector<std::u16string> CorpusPhotos(size_t count) {
    std::vector<std::string> sources;
    for (const auto& entry : fs::directory_iterator(std::string(KV_CORPUS_DIR) + "/camera"))
        if (entry.path().extension() == ".jpg" && entry.file_size() > 30000)
            sources.push_back(entry.path().string());
    std::sort(sources.begin(), sources.end());
    std::vector<std::u16string> paths;
    for (size_t i = 0; i < sources.size() && paths.size() < count; ++i) {
        const std::string name = Name("cam", int(i));
        fs::copy_file(sources[i], TheDevice().Host(name), fs::copy_options::overwrite_existing);
        fs::permissions(TheDevice().Host(name), fs::perms::owner_write, fs::perm_options::add);
        paths.push_back(PhotoPath(name));
    }
    return paths;
}

bool WaitUntilIdle(ThumbnailWorker& worker) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    while (worker.IsBusy() && std::chrono::steady_clock::now() < end)
        worker.WaitForResult(50);
    return !worker.IsBusy();
}

// The photos with their thumbnails stored, as after a first display.
void StoreThumbnails(const std::vector<std::u16string>& paths) {
    ThumbnailWorker worker;
    worker.SetWanted(paths);
    WaitUntilIdle(worker);
}

// A 4000 x 3000 picture with smooth shading and fine grain, as a photo
// has, encoded at quality 90 with 4:2:0 sampling and no EXIF thumbnail.
std::vector<uint8_t> TwelveMegapixelJpeg(unsigned seed) {
    constexpr int W = 4000, H = 3000;
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = W;
    info.image_height = H;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::mt19937 noise(seed);
    std::vector<uint8_t> row(W * 3);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const int grain = int(noise() % 24) - 12;
            const int r = (x * 255 / W + int(seed) * 40) % 256, g = y * 255 / H, b = ((x + y) / 16) % 256;
            row[size_t(x) * 3] = uint8_t(std::clamp(r + grain, 0, 255));
            row[size_t(x) * 3 + 1] = uint8_t(std::clamp(g + grain, 0, 255));
            row[size_t(x) * 3 + 2] = uint8_t(std::clamp(b + grain, 0, 255));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> data(out, out + size);
    jpeg_destroy_compress(&info);
    std::free(out);
    return data;
}

// The program's screen with a browser area of 240 x 244 at (0, 50).
struct Screen {
    HeadlessBackend backend;
    WindowManager manager{&backend};
    Window parent;
    Screen() { parent.Create(nullptr, {0, 26, 240, 294}, 0, u"", WS_VISIBLE); }
};

struct GridScreen : Screen {
    CImageItemList list;
    CThumbnailGrid grid;

    // `hold`: the worker starts only when released.
    GridScreen(const std::vector<std::u16string>& paths, int layout, bool hold = false) {
        grid.Thumbnails().Worker().Hold(hold);
        for (const std::u16string& path : paths) {
            auto record = std::make_unique<CImageItem>();
            record->InitFromFile(path, false);
            list.Insert(std::move(record));
        }
        grid.Create(&parent, {0, 24, 240, 268}, 1002);
        grid.SetLayout(layout);
        grid.SetImageList(&list);
        grid.Show(true);
        manager.UpdateWindow(&grid);
    }
};

const std::vector<std::u16string>& ThumbnailedPhotos() {
    static const std::vector<std::u16string> paths = [] {
        auto p = CorpusPhotos(16);
        StoreThumbnails(p);
        return p;
    }();
    return paths;
}

// Every cell's stored thumbnail read from its file, fitted and composed.
void BM_GridPageFromNothing(benchmark::State& state) {
    GridScreen screen(ThumbnailedPhotos(), int(state.range(0)));
    for (auto _ : state) {
        screen.grid.Thumbnails().Clear();
        screen.grid.Refresh();
        screen.manager.UpdateWindow(&screen.grid);
    }
    state.counters["waiting"] = double(screen.grid.WaitingCells());
}
BENCHMARK(BM_GridPageFromNothing)->Arg(GRID_THUMBNAIL)->Arg(GRID_GALLERY)->Arg(GRID_DETAIL)->Unit(benchmark::kMillisecond);

// The same with the thumbnails already in memory (scrolling back).
void BM_GridPageFromMemory(benchmark::State& state) {
    GridScreen screen(ThumbnailedPhotos(), int(state.range(0)));
    for (auto _ : state) {
        screen.grid.Refresh();
        screen.manager.UpdateWindow(&screen.grid);
    }
}
BENCHMARK(BM_GridPageFromMemory)->Arg(GRID_THUMBNAIL)->Arg(GRID_GALLERY)->Arg(GRID_DETAIL)->Unit(benchmark::kMillisecond);

// A repaint after a menu or the photo view: one copy of the page.
void BM_GridPageFromSnapshot(benchmark::State& state) {
    GridScreen screen(ThumbnailedPhotos(), int(state.range(0)));
    bool snapshot = screen.grid.HasSnapshot();
    for (auto _ : state) {
        InvalidateRect(&screen.grid, nullptr, false);
        screen.manager.UpdateWindow(&screen.grid);
    }
    state.counters["snapshot"] = snapshot ? 1 : 0;
}
BENCHMARK(BM_GridPageFromSnapshot)->Arg(GRID_THUMBNAIL)->Arg(GRID_GALLERY)->Arg(GRID_DETAIL)->Unit(benchmark::kMicrosecond);

class BenchView : public CKestrelviewView {
public:
    bool Make() {
        return Create(nullptr, {0, 26, 240, 294}, 0, u"", WS_VISIBLE) &&
               CreateBrowserControls({0, 24, 240, 268});
    }

protected:
    void ShowImage(CImageItem*, bool) override {}
};

// 10,000 records of files that exist (links to one photo), so that the
// sizes the list shows are read once.
struct ListScreen {
    HeadlessBackend backend;
    WindowManager manager{&backend};
    BenchView view;

    ListScreen() {
        const std::string first = TheDevice().Host(Name("many", 0));
        if (!fs::exists(first)) {
            fs::copy_file(std::string(KV_CORPUS_DIR) + "/camera/ian_exiforg_canon-ixus.jpg", first);
            for (int i = 1; i < 10000; ++i)
                fs::create_hard_link(first, TheDevice().Host(Name("many", i)));
        }
        for (int i = 0; i < 10000; ++i) {
            auto record = std::make_unique<CImageItem>();
            record->InitFromCacheEntry(FOLDER, Utf8ToUtf16(Name("many", i)), CATEGORY_ID_UNFILED, false);
            view.Catalogue().Insert(std::move(record));
        }
        view.Make();
        view.List().ShowWindow(true);
        view.FillList(u"", CATEGORY_ID_ALL);
        view.List().SetItemState(5, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        manager.UpdateWindow(&view.List());
    }
};

void BM_ListFullRepaint(benchmark::State& state) {
    ListScreen screen;
    for (auto _ : state) {
        InvalidateRect(&screen.view.List(), nullptr, true);
        screen.manager.UpdateWindow(&screen.view.List());
    }
    state.counters["rows"] = double(screen.view.List().GetCountPerPage());
}
BENCHMARK(BM_ListFullRepaint)->Unit(benchmark::kMillisecond);

// One step of the selection, down and up in turn, with its repaint.
void BM_ListOneStep(benchmark::State& state) {
    ListScreen screen;
    bool down = true;
    for (auto _ : state) {
        SendMessage(&screen.view.List(), WM_KEYDOWN, down ? VK_DOWN : VK_UP, 0);
        screen.manager.UpdateWindow(&screen.view.List());
        down = !down;
    }
}
BENCHMARK(BM_ListOneStep)->Unit(benchmark::kMicrosecond);

// Twelve 12-megapixel photos without any thumbnail behind nine that have
// theirs: Page Down shows the twelve, and the time runs until every cell
// shows its picture. Each round starts from the photos as they were.
struct BigPhotos {
    std::vector<std::u16string> paths;
    std::vector<std::vector<uint8_t>> originals;
    BigPhotos() {
        paths = CorpusPhotos(9);
        StoreThumbnails(paths);
        for (int i = 0; i < 12; ++i) {
            const std::string name = Name("zbig", i);
            originals.push_back(TwelveMegapixelJpeg(unsigned(i)));
            paths.push_back(PhotoPath(name));
        }
        Restore();
    }
    void Restore() const {
        for (size_t i = 0; i < originals.size(); ++i) {
            std::FILE* f = std::fopen(TheDevice().Host(Name("zbig", int(i))).c_str(), "wb");
            std::fwrite(originals[i].data(), 1, originals[i].size(), f);
            std::fclose(f);
        }
    }
};

const BigPhotos& TheBigPhotos() {
    static const BigPhotos photos;
    return photos;
}

// Processor time of every thread of the process, in milliseconds: on a
// loaded machine the wall time says little about what two free cores do.
double ProcessCpuMs() { return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC; }

void BM_PageDownToWholePage(benchmark::State& state) {
    const BigPhotos& photos = TheBigPhotos();
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        photos.Restore();
        auto screen = std::make_unique<GridScreen>(photos.paths, GRID_THUMBNAIL, true);
        state.ResumeTiming();
        const double cpuStart = ProcessCpuMs();
        screen->grid.Thumbnails().Worker().Hold(false);
        SendMessage(&screen->grid, WM_KEYDOWN, VK_NEXT, 0);
        screen->manager.UpdateWindow(&screen->grid);
        while (screen->grid.WaitingCells() > 0 || screen->grid.Thumbnails().IsWorking()) {
            screen->backend.Clock().Advance(CThumbnailGrid::THUMBNAIL_POLL_MS);
            screen->manager.PumpMessages();
        }
        cpu += ProcessCpuMs() - cpuStart;
        state.PauseTiming();
        screen.reset();
        state.ResumeTiming();
    }
    state.counters["cpu_ms_all_threads"] = cpu / double(state.iterations());
}
BENCHMARK(BM_PageDownToWholePage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The same twelve decoded at 1/8 one after the other, as the first display
// of each would decode it.
void BM_TwelveEighthDecodesInTurn(benchmark::State& state) {
    const BigPhotos& photos = TheBigPhotos();
    photos.Restore();
    const double cpuStart = ProcessCpuMs();
    for (auto _ : state) {
        for (size_t i = 9; i < photos.paths.size(); ++i) {
            File file;
            file.Open(photos.paths[i], GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
            ImageRenderer renderer;
            Rect target{0, 0, 96, 96};
            std::unique_ptr<Bitmap> bitmap;
            renderer.RenderToBitmap(nullptr, file, target, RENDER_NO_ROTATE, bitmap);
            benchmark::DoNotOptimize(bitmap);
        }
    }
    state.counters["cpu_ms_all_threads"] = (ProcessCpuMs() - cpuStart) / double(state.iterations());
}
BENCHMARK(BM_TwelveEighthDecodesInTurn)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
