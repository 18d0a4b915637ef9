// The program's own screen: how long a repaint of everything takes (task
// bar, frame and view, menu bar with its tool bar), the budget later
// screens are held to.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/KestrelviewApp.h"
#include "app/MainFrame.h"
#include "platform/base/DeviceFolder.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/shell/Shell.h"
#include "platform/window/WindowManager.h"

namespace {

void BM_ProgramFullRepaint(benchmark::State& state) {
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / "kestrelview-bench-screen";
    std::filesystem::create_directories(root);
    DeviceFolder::SetCurrent(root.string());
    HeadlessBackend backend;
    WindowManager manager(&backend);
    Shell shell;
    CKestrelviewApp app;
    if (!app.InitApplication() || !app.InitInstance()) {
        state.SkipWithError("the program did not start");
        return;
    }
    for (auto _ : state) {
        for (Window* window : manager.TopLevelWindows())
            manager.InvalidateRect(window, nullptr, true);
        for (Window* window : manager.TopLevelWindows())
            manager.UpdateWindow(window);
        // Children paint when asked for their own messages.
        manager.PumpMessages();
    }
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_ProgramFullRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
