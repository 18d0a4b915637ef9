// The single view and the slide show on a 12 megapixel camera photo:
// opening it with no picture kept against a 1/8 decode plus the resample,
// opening it again from the kept picture, "100%" centred against a whole
// 1/1 decode, and the change to a slide whose picture is ready, from its
// timer to the finished paint.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/ImageItem.h"
#include "catalogue/ImageItemList.h"
#include "handheld/Preferences.h"
#include "imaging/JpegPicture.h"
#include "imaging/ResampleJob.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/File.h"
#include "platform/registry/Registry.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/window/WindowManager.h"
#include "viewer/ImagePicture.h"
#include "viewer/PhotoWnd.h"
#include "viewer/SlideShow.h"

namespace {

namespace stdfs = std::filesystem;

// 4032 x 3024 from a phone camera.
const char kPhoto[] = "camera/ian_tests_42_IndexError.jpg";
const char16_t kPath[] = u"\\My Documents\\Kestrelview\\photo.jpg";

// A device folder holding the photo three times, with its preferences.
class BenchDevice {
public:
    BenchDevice() {
        std::string templ = (stdfs::temp_directory_path() / "kvbench-viewer-XXXXXX").string();
        m_root = mkdtemp(templ.data());
        DeviceFolder::SetCurrent(m_root);
        RegSelectHive(RegHive::Device);
        CreatePreferencesKey();
        stdfs::create_directories(m_root + "/My Documents/Kestrelview");
        std::ifstream in(std::string(KV_CORPUS_DIR) + "/" + kPhoto, std::ios::binary);
        const std::vector<char> jpeg(std::istreambuf_iterator<char>(in), {});
        for (const char* name : {"photo.jpg", "second.jpg", "third.jpg"})
            std::ofstream(m_root + "/My Documents/Kestrelview/" + name, std::ios::binary)
                .write(jpeg.data(), std::streamsize(jpeg.size()));
        m_ok = !jpeg.empty();
    }
    ~BenchDevice() {
        std::error_code ec;
        stdfs::remove_all(m_root, ec);
    }
    bool Ok() const { return m_ok; }

private:
    std::string m_root;
    bool m_ok = false;
};

BenchDevice& Device() {
    static BenchDevice device;
    return device;
}

std::unique_ptr<CImageItem> Record(const std::u16string& path) {
    auto record = std::make_unique<CImageItem>();
    record->InitFromFile(path, false);
    return record;
}

// The screen of the single view.
struct Screen {
    std::unique_ptr<Bitmap> surface = Bitmap::Create(240, 320, 32);
    Region region{Rect{0, 0, 240, 320}};
    DeviceContext dc{*surface, {0, 0}, region};
};

void BM_OpenWithNoPictureKept(benchmark::State& state) {
    if (!Device().Ok()) return state.SkipWithError("no corpus photo");
    auto record = Record(kPath);
    Screen screen;
    for (auto _ : state) {
        record->FreePicture();
        benchmark::DoNotOptimize(DrawImagePicture(*record, screen.dc, {0, 0, 240, 320}));
    }
}
BENCHMARK(BM_OpenWithNoPictureKept)->Unit(benchmark::kMillisecond);

// What opening must at least do: decode at 1/8 and resample, turned, to
// the 240 x 320 screen.
void BM_EighthDecodeAndResample(benchmark::State& state) {
    if (!Device().Ok()) return state.SkipWithError("no corpus photo");
    std::vector<uint32_t> screen(240 * 320);
    for (auto _ : state) {
        File file;
        file.Open(kPath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        JpegPicture picture;
        DecodeJpegFile(file, 3, false, picture);
        ResampleJob job{picture.pixels.data(), picture.width * 4, uint16_t(picture.width),
                        uint16_t(picture.height), screen.data(), 240 * 4, 240, 320, 1};
        benchmark::DoNotOptimize(job.Run());
    }
}
BENCHMARK(BM_EighthDecodeAndResample)->Unit(benchmark::kMillisecond);

void BM_OpenAgainFromTheKeptPicture(benchmark::State& state) {
    if (!Device().Ok()) return state.SkipWithError("no corpus photo");
    auto record = Record(kPath);
    Screen screen;
    DrawImagePicture(*record, screen.dc, {0, 0, 240, 320});
    for (auto _ : state) benchmark::DoNotOptimize(DrawImagePicture(*record, screen.dc, {0, 0, 240, 320}));
}
BENCHMARK(BM_OpenAgainFromTheKeptPicture)->Unit(benchmark::kMicrosecond);

// "100%" from fit, centred: the part on screen and half a view around it
// decoded at 1/1, painted.
void BM_ActualSizeCentred(benchmark::State& state) {
    if (!Device().Ok()) return state.SkipWithError("no corpus photo");
    HeadlessBackend backend;
    WindowManager manager(&backend);
    Window view;
    view.Create(nullptr, {0, 0, 240, 320}, 0, u"view", WS_VISIBLE);
    CPhotoWnd photo;
    photo.Create(&view);
    auto record = Record(kPath);
    photo.Open(record.get());
    manager.UpdateWindow(&photo);
    for (auto _ : state) {
        photo.LeaveZoom();
        photo.ZoomToActual();
        manager.UpdateWindow(&photo);
    }
    if (photo.LastError() != 0) state.SkipWithError("the zoom failed");
}
BENCHMARK(BM_ActualSizeCentred)->Unit(benchmark::kMillisecond);

void BM_WholeDecodeAtFullSize(benchmark::State& state) {
    if (!Device().Ok()) return state.SkipWithError("no corpus photo");
    for (auto _ : state) {
        File file;
        file.Open(kPath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        JpegPicture picture;
        benchmark::DoNotOptimize(DecodeJpegFile(file, 0, false, picture));
    }
}
BENCHMARK(BM_WholeDecodeAtFullSize)->Unit(benchmark::kMillisecond);

// A show over three photos whose pictures are all kept: each step is the
// change of slide alone, timed from the timer to the end of the paint.
class BenchShow : public Window, public SlideShowHost {
public:
    CImageItemList list;
    CPhotoWnd photo;
    CSlideShow show{*this, *this};
    std::chrono::steady_clock::time_point painted;

    CImageItem* SlideStart() override { return list.Nth({}, 0); }
    CImageItem* SlideAfter(CImageItem* record, bool) override { return list.Next({}, record); }
    int DisplayedCount() override { return list.Count({}); }
    void ShowSlide(CImageItem& record) override {
        list.TrimPictureCache(&record);
        photo.Open(&record);
        UpdateWindow(&photo);
        painted = std::chrono::steady_clock::now();
    }
    void SlideShowEnded() override {}
};

void BM_NextSlideWithItsPictureReady(benchmark::State& state) {
    if (!Device().Ok()) return state.SkipWithError("no corpus photo");
    HeadlessBackend backend;
    WindowManager manager(&backend);
    BenchShow host;
    host.Create(nullptr, {0, 0, 240, 320}, 0, u"view", WS_VISIBLE);
    host.photo.Create(&host);
    for (const char16_t* name : {u"photo.jpg", u"second.jpg", u"third.jpg"})
        host.list.Insert(Record(std::u16string(u"\\My Documents\\Kestrelview\\") + name));
    host.show.Start();
    for (int i = 0; i < 5; ++i) host.show.OnTimer(i == 0 ? TIMER_SLIDE_START : i == 1 ? TIMER_SLIDE_FIRST : TIMER_SLIDE_NEXT);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        host.show.OnTimer(TIMER_SLIDE_NEXT);
        state.SetIterationTime(std::chrono::duration<double>(host.painted - start).count());
    }
    host.show.Stop();
    host.photo.Destroy();
    host.Destroy();
}
BENCHMARK(BM_NextSlideWithItsPictureReady)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
