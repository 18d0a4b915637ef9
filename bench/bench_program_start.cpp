// The program on a device of 10,000 photos: from its start to the first
// painted list, with the file list cache a previous run left and without
// one (every photo's trailer read once), and the switch between the four
// browsing modes, each painted, with the thumbnails stored in the photos.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/KestrelviewApp.h"
#include "app/MainFrame.h"
#include "browser/KestrelviewHHView.h"
#include "browser/ThumbnailWorker.h"
#include "catalogue/CatalogueStrings.h"
#include "handheld/Preferences.h"
#include "handheld/Strings.h"
#include "handheld/ViewModes.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/Text.h"
#include "platform/shell/Shell.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/window/WindowManager.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int PHOTOS = 10000;
constexpr const char* CACHE_NAME = "KVFileListCache.fdf";

// A device folder whose main photo folder holds 10,000 photos: names of
// one camera photo (hard links), whose stored thumbnail they all share.
struct Device {
    std::string root;
    std::string folder;
    std::string savedCache;

    Device() {
        char pattern[] = "/tmp/kv-bench-start-XXXXXX";
        root = mkdtemp(pattern);
        folder = root + "/My Documents/Kestrelview";
        fs::create_directories(folder);
        DeviceFolder::SetCurrent(root);
        const std::string first = Photo(0);
        fs::copy_file(std::string(KV_CORPUS_DIR) + "/camera/ian_exiforg_canon-ixus.jpg", first);
        fs::permissions(first, fs::perms::owner_write, fs::perm_options::add);
        StoreThumbnail(u"\\My Documents\\Kestrelview\\" + Utf8ToUtf16(fs::path(first).filename().string()));
        for (int i = 1; i < PHOTOS; ++i)
            fs::create_hard_link(first, Photo(i));
    }
    ~Device() { fs::remove_all(root); }

    std::string Photo(int i) const {
        char name[32];
        std::snprintf(name, sizeof name, "/photo%05d.jpg", i);
        return folder + name;
    }
    std::string Cache() const { return folder + "/" + CACHE_NAME; }
    // The cache as a run of the program leaves it, kept aside: each start
    // takes it in and deletes it.
    void KeepCache() {
        savedCache = root + "/cache.saved";
        fs::copy_file(Cache(), savedCache, fs::copy_options::overwrite_existing);
    }
    void PutCache(bool present) const {
        if (present)
            fs::copy_file(savedCache, Cache(), fs::copy_options::overwrite_existing);
        else
            fs::remove(Cache());
    }

private:
    static void StoreThumbnail(const std::u16string& path) {
        ThumbnailWorker worker;
        worker.SetWanted({path});
        const auto end = Clock::now() + std::chrono::minutes(1);
        while (worker.IsBusy() && Clock::now() < end)
            worker.WaitForResult(50);
    }
};

Device& TheDevice() {
    static Device device;
    return device;
}

// The program as its entry routine starts it, headless, without the
// single-copy check.
struct Program {
    HeadlessBackend backend;
    WindowManager manager{&backend};
    Shell shell;
    CKestrelviewApp app;

    bool Start() {
        if (!app.InitApplication() || !app.InitInstance())
            return false;
        manager.PumpMessages();  // every window painted
        return true;
    }
    CKestrelviewHHView* View() {
        return dynamic_cast<CKestrelviewHHView*>(static_cast<CMainFrame*>(app.m_pMainWnd)->GetActiveView());
    }
    void Command(UINT id) {
        SendMessage(app.m_pMainWnd, WM_COMMAND, id, 0);
        manager.PumpMessages();
    }
};

void StartInList() {
    TheDevice();
    CreatePreferencesKey();
    SetBrowserView(VIEW_LIST);
}

// One start to the first painted list; the program's end (which writes
// the cache again) is not timed.
void StartOnce(benchmark::State& state, bool cache) {
    TheDevice().PutCache(cache);
    auto program = std::make_unique<Program>();
    const Clock::time_point start = Clock::now();
    const bool started = program->Start();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!started || !program->View() || program->View()->List().GetItemCount() != PHOTOS) {
        state.SkipWithError("the program did not start on the 10,000 photos");
        return;
    }
    state.SetIterationTime(seconds);
    program.reset();
}

// A first run writes the cache as it ends.
void EnsureSavedCache() {
    if (!TheDevice().savedCache.empty())
        return;
    TheDevice().PutCache(false);
    { Program program; program.Start(); }
    TheDevice().KeepCache();
}

void BM_StartToFirstList(benchmark::State& state) {
    StartInList();
    const bool cache = state.range(0) != 0;
    EnsureSavedCache();
    for (auto _ : state) {
        StartOnce(state, cache);
        if (state.error_occurred())
            break;
    }
    state.counters["photos"] = PHOTOS;
}
BENCHMARK(BM_StartToFirstList)->ArgName("cache")->Arg(1)->Arg(0)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

struct ModeStep {
    UINT from;
    UINT to;
};
constexpr ModeStep STEPS[] = {
    {ID_MODE_LIST, ID_MODE_THUMBNAIL},
    {ID_MODE_THUMBNAIL, ID_MODE_GALLERY},
    {ID_MODE_GALLERY, ID_MODE_DETAIL},
    {ID_MODE_DETAIL, ID_MODE_LIST},
};

// One switch and its painting; the thumbnails of the page are in the
// photos, and in memory after the first time round.
void BM_ModeSwitch(benchmark::State& state) {
    StartInList();
    EnsureSavedCache();
    TheDevice().PutCache(true);
    Program program;
    if (!program.Start() || !program.View()) {
        state.SkipWithError("the program did not start");
        return;
    }
    const ModeStep step = STEPS[state.range(0)];
    // Once round, so that every layout has met its thumbnails: the worker
    // reads them from the photos and the grid takes them on its timer.
    for (const ModeStep& s : STEPS) {
        program.Command(s.to);
        CThumbnailGrid& grid = program.View()->Grid();
        const auto end = Clock::now() + std::chrono::seconds(20);
        while (s.to != ID_MODE_LIST && grid.WaitingCells() > 0 && Clock::now() < end) {
            grid.Thumbnails().Worker().WaitForResult(20);
            program.backend.Clock().Advance(CThumbnailGrid::THUMBNAIL_POLL_MS);
            program.manager.PumpMessages();
        }
        if (grid.WaitingCells() > 0) {
            state.SkipWithError("thumbnails did not arrive");
            return;
        }
    }
    for (auto _ : state) {
        state.PauseTiming();
        program.Command(step.from);
        state.ResumeTiming();
        program.Command(step.to);
    }
    state.SetLabel(state.range(0) == 0   ? "list to thumbnails"
                   : state.range(0) == 1 ? "thumbnails to gallery"
                   : state.range(0) == 2 ? "gallery to detail"
                                         : "detail to list");
}
BENCHMARK(BM_ModeSwitch)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
