#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/window/SdlBackend.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

// SDL's dummy video driver stands in for a display, so the SDL2 backend
// runs the same loop in tests without showing anything.
TEST(SdlBackendTest, RunsTheLoopOnTheDummyDriver) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    std::string error;
    std::unique_ptr<SdlBackend> backend = SdlBackend::Open(2, false, &error);
    // SDL2 with its dummy driver is among the build's dependencies.
    ASSERT_TRUE(backend) << "SDL cannot open a window on its dummy driver: " << error;
    WindowManager manager(backend.get());
    std::vector<Seen> log;
    LoggingWindow window(&log);
    window.SetBackgroundColour(RGB(10, 20, 30));
    ASSERT_TRUE(window.Create(nullptr, {0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0, u"", WS_VISIBLE));
    window.handler = [&](UINT m, WPARAM, LPARAM, LRESULT&) {
        if (m == WM_USER)
            manager.PostQuitMessage(7);
        return false;
    };
    manager.PostMessage(&window, WM_USER, 0, 0);
    MSG msg;
    while (manager.GetMessage(msg))
        manager.DispatchMessage(msg);
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(manager.Screen().Value(5, 5), 0x0A141Eu);
    EXPECT_FALSE(Only(log, {WM_PAINT}).empty());
}

}  // namespace
