#include <gtest/gtest.h>

#include "platform/shell/MenuBar.h"
#include "platform/png/PngWriter.h"
#include "platform/shell/TaskBar.h"
#include "tests/app/AppTestSupport.h"
#include "tests/platform/ModalTestSupport.h"

namespace {

constexpr uint32_t BLACK = 0x000000;
constexpr uint32_t WHITE = 0xFFFFFF;
constexpr uint32_t BUTTON_FACE = 0xC0C0C0;
constexpr uint32_t BAR_FACE = 0xD6D6D6;
constexpr uint32_t BAR_LINE = 0x808080;
constexpr uint32_t PRESSED = 0x000084;

struct Probe {
    Point at;
    uint32_t pixel;
    const char* what;
};

void ExpectProbes(const Bitmap& screen, const std::vector<Probe>& probes) {
    for (const Probe& p : probes)
        EXPECT_EQ(screen.Value(p.at.x, p.at.y), p.pixel) << p.what << " at " << p.at.x << "," << p.at.y;
}

// The program's screen, normal and with the Tools menu open, by pixel
// probes at the bands' edges; the pictures are written for a person to
// look at too.
TEST(ScreenshotTest, FrameBarsAndToolsMenu) {
    StartedProgram program;
    ASSERT_TRUE(program.Start());
    program.shell.GetTaskBar().SetClockSource([] { return std::u16string(u"12:00"); });
    TempDir shots;
    const Bitmap& screen = program.screen.manager.Screen();
    const std::vector<Probe> bands = {
        {{150, 2}, PixelFromColour(TaskBar::BACKGROUND), "task bar"},
        {{150, 25}, PixelFromColour(TaskBar::BACKGROUND), "task bar's last row"},
        {{2, 48}, BUTTON_FACE, "view's top bar"},
        {{2, 49}, BLACK, "top bar's bottom line"},
        {{2, 50}, WHITE, "view"},
        {{2, 293}, WHITE, "view's last row"},
        {{2, 294}, BAR_LINE, "menu bar's top line"},
        {{238, 300}, BAR_FACE, "menu bar"},
    };
    IdleSteps steps;
    bool menuSeen = false;
    const Rect button = program.Frame().GetMenuBar()->MenuButtonRect();
    program.screen.backend.Tap(program.Frame().GetMenuBar()->ClientToScreen({button.left + 4, 12}));
    steps.Then([&] {
        ExpectProbes(screen, {
            {{5, 300}, PixelFromColour(RGB(0, 0, 132)), "Tools button pressed"},
            {{0, 200}, BLACK, "menu's left edge"},
            {{60, 293}, BLACK, "menu's bottom edge, on the menu bar"},
            {{2, 294}, BAR_LINE, "menu bar below the menu"},
        });
        EXPECT_EQ(WritePng(shots / "tools-menu.png", screen), 0u);
        menuSeen = true;
        program.screen.backend.Tap({220, 150});
    });
    program.Run();
    EXPECT_TRUE(menuSeen);
    ExpectProbes(screen, bands);
    EXPECT_EQ(WritePng(shots / "frame.png", screen), 0u);
}

}  // namespace
