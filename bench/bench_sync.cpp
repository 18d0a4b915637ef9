// A first merge of a folder of photos from the handheld to the desktop,
// against `rsync -a` of the same tree, and a merge with nothing to do.
// KV_BENCH_PHOTOS and KV_BENCH_PHOTO_KB change the size of the tree
// (default 1000 photos of 1024 KB).
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "desktop/KVPlatform.h"
#include "platform/base/FaultInjection.h"
#include "platform/rapi/Rapi.h"

namespace {

namespace stdfs = std::filesystem;

size_t EnvOr(const char* name, size_t fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtoul(v, nullptr, 10) : fallback;
}

// The handheld tree, made once for all benchmarks and removed at exit.
struct Tree {
    std::string root;
    std::string device;
    std::string photos;
    Tree() {
        std::string templ = (stdfs::temp_directory_path() / "kvbench-XXXXXX").string();
        root = mkdtemp(templ.data());
        device = root + "/device";
        photos = device + "/My Documents/Kestrelview";
        stdfs::create_directories(photos);
        size_t count = EnvOr("KV_BENCH_PHOTOS", 1000);
        size_t bytes = EnvOr("KV_BENCH_PHOTO_KB", 1024) * 1024;
        std::vector<char> content(bytes);
        for (size_t i = 0; i < count; ++i) {
            for (size_t j = 0; j < bytes; j += 512) content[j] = static_cast<char>(i + j / 512);
            std::ofstream(photos + "/IMG_" + std::to_string(10000 + i) + ".jpg", std::ios::binary)
                .write(content.data(), static_cast<std::streamsize>(bytes));
        }
        RapiSetDeviceFolder(device);
    }
    ~Tree() {
        std::error_code ec;
        stdfs::remove_all(root, ec);
    }
};

Tree& TheTree() {
    static Tree tree;
    return tree;
}

std::string FreshDesktop(const char* name) {
    std::string desktop = TheTree().root + "/" + name;
    std::error_code ec;
    stdfs::remove_all(desktop, ec);
    stdfs::create_directories(desktop);
    return desktop;
}

void BM_FirstMerge(benchmark::State& state) {
    Tree& tree = TheTree();
    for (auto _ : state) {
        state.PauseTiming();
        std::string desktop = FreshDesktop("desktop");
        state.ResumeTiming();
        if (PlatformSyncFiles("Kestrelview", 0, desktop.c_str(), nullptr) != 0) {
            state.SkipWithError("the run failed");
            break;
        }
    }
    (void)tree;
}

void BM_Rsync(benchmark::State& state) {
    Tree& tree = TheTree();
    for (auto _ : state) {
        state.PauseTiming();
        std::string desktop = FreshDesktop("rsync");
        state.ResumeTiming();
        std::string command = "rsync -a '" + tree.photos + "/' '" + desktop + "/'";
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("rsync failed (is it installed?)");
            break;
        }
    }
}

void BM_NoChangeMerge(benchmark::State& state) {
    std::string desktop = FreshDesktop("unchanged");
    PlatformSyncFiles("Kestrelview", 0, desktop.c_str(), nullptr);
    uint64_t reads = 0;
    for (auto _ : state) {
        FaultInjection::Reset();
        PlatformSyncFiles("Kestrelview", 0, desktop.c_str(), nullptr);
        reads += FaultInjection::CallCount(RapiCallKind::ReadFile);
    }
    // Handheld reads of photo content in a run with nothing to copy.
    state.counters["photo_reads"] = static_cast<double>(reads);
}

// Many small photos each way in one first merge: the cost of looking names
// up, not of copying bytes. KV_BENCH_EACH_WAY sets the count (10,000).
void BM_ManySmallEachWay(benchmark::State& state) {
    const size_t count = EnvOr("KV_BENCH_EACH_WAY", 10000);
    const std::string root = TheTree().root + "/each-way";
    const std::string content(2048, 'p');
    for (auto _ : state) {
        state.PauseTiming();
        std::error_code ec;
        stdfs::remove_all(root, ec);
        std::string hand = root + "/device/My Documents/Kestrelview", desk = root + "/desktop/Internal/Kestrelview";
        stdfs::create_directories(hand);
        stdfs::create_directories(desk);
        for (size_t i = 0; i < count; ++i) {
            std::ofstream(hand + "/H_" + std::to_string(i) + ".jpg", std::ios::binary) << content;
            std::ofstream(desk + "/D_" + std::to_string(i) + ".jpg", std::ios::binary) << content;
        }
        RapiSetDeviceFolder(root + "/device");
        state.ResumeTiming();
        long result = PlatformSyncFiles("Kestrelview", 0, (root + "/desktop").c_str(), nullptr);
        state.PauseTiming();
        RapiSetDeviceFolder(TheTree().device);
        bool complete = stdfs::exists(hand + "/D_0.jpg") && stdfs::exists(desk + "/H_" + std::to_string(count - 1) + ".jpg");
        state.ResumeTiming();
        if (result != 0 || !complete) {
            state.SkipWithError("the run failed");
            break;
        }
    }
    state.counters["files_each_way"] = static_cast<double>(count);
}

BENCHMARK(BM_ManySmallEachWay)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Rsync)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FirstMerge)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_NoChangeMerge)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
