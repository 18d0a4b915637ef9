#include "app/Icons.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "platform/png/PngWriter.h"
#include "platform/controls/ToolBar.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

// The pixels of image `index` of the strip, row by row.
std::vector<uint32_t> ImagePixels(const Bitmap& strip, int index) {
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < TOOLBAR_IMAGE_SIZE; ++y)
        for (int32_t x = 0; x < TOOLBAR_IMAGE_SIZE; ++x)
            pixels.push_back(strip.Value(index * TOOLBAR_IMAGE_SIZE + x, y));
    return pixels;
}

TEST(IconsTest, ToolbarImagesAreSevenDistinctPicturesOnTheKeyColour) {
    const auto strip = MakeToolbarImages();
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->Width(), TOOLBAR_IMAGE_SIZE * TOOLBAR_IMAGE_COUNT);
    EXPECT_EQ(strip->Height(), TOOLBAR_IMAGE_SIZE);
    EXPECT_EQ(strip->BitsPerPixel(), 32);
    const uint32_t key = PixelFromColour(TOOLBAR_IMAGE_KEY_COLOUR);
    std::set<std::vector<uint32_t>> seen;
    for (int i = 0; i < TOOLBAR_IMAGE_COUNT; ++i) {
        const auto pixels = ImagePixels(*strip, i);
        const auto keyed = std::count(pixels.begin(), pixels.end(), key);
        EXPECT_GT(keyed, 20) << "image " << i << " needs transparent space around it";
        EXPECT_GT(pixels.size() - size_t(keyed), 20u) << "image " << i << " is nearly empty";
        EXPECT_TRUE(seen.insert(pixels).second) << "image " << i << " repeats another";
    }
}

TEST(IconsTest, ProgramIconIsARoundBadgeOnTheKeyColour) {
    const auto icon = MakeProgramIcon();
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->Width(), PROGRAM_ICON_SIZE);
    EXPECT_EQ(icon->Height(), PROGRAM_ICON_SIZE);
    const uint32_t key = PixelFromColour(PROGRAM_ICON_KEY_COLOUR);
    const int32_t last = PROGRAM_ICON_SIZE - 1;
    for (const auto& [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}})
        EXPECT_EQ(icon->Value(x, y), key) << x << "," << y;
    std::set<uint32_t> colours;
    // Everything within 14 px of the centre belongs to the badge.
    for (int32_t y = 0; y < PROGRAM_ICON_SIZE; ++y)
        for (int32_t x = 0; x < PROGRAM_ICON_SIZE; ++x) {
            const int32_t dx = 2 * x + 1 - PROGRAM_ICON_SIZE, dy = 2 * y + 1 - PROGRAM_ICON_SIZE;
            if (dx * dx + dy * dy > 28 * 28) continue;
            EXPECT_NE(icon->Value(x, y), key) << "hole in the badge at " << x << "," << y;
            colours.insert(icon->Value(x, y));
        }
    EXPECT_GE(colours.size(), 8u);
}

// The real images on a tool bar: every button, pressed or greyed, still
// shows a picture. KV_SHOT_DIR set writes the bar four times enlarged.
TEST(IconsTest, ToolbarImagesReadOnTheBarPressedAndGreyed) {
    HeadlessScreen screen;
    Window bar;
    ASSERT_TRUE(bar.Create(nullptr, {0, 294, 240, 320}, 0, u"", WS_VISIBLE));
    ToolBar toolBar;
    ASSERT_TRUE(toolBar.Create(&bar, {0, 2, 240, 26}, 0, u"", WS_CHILD | WS_VISIBLE));
    std::vector<ToolButton> buttons;
    for (int i = 0; i < TOOLBAR_IMAGE_COUNT; ++i) {
        if (i == IMAGE_SLIDE_SHOW) buttons.push_back({0, 0});
        buttons.push_back({UINT(1000 + i), i});
    }
    ASSERT_TRUE(toolBar.AddButtons(MakeToolbarImages(), TOOLBAR_IMAGE_SIZE, TOOLBAR_IMAGE_SIZE,
                                   buttons, TOOLBAR_IMAGE_KEY_COLOUR));
    screen.manager.PumpMessages();

    // Counts the pixels of a button that are not the face it lies on.
    auto inked = [&](UINT command, COLORREF background) {
        const Rect r = toolBar.ButtonRect(command);
        int count = 0;
        for (int32_t y = r.top + 3; y < r.bottom - 2; ++y)
            for (int32_t x = r.left + 3; x < r.right - 2; ++x) {
                const Point p = toolBar.ClientToScreen({x, y});
                count += screen.manager.Screen().Value(p.x, p.y) != PixelFromColour(background);
            }
        return count;
    };
    for (int i = 0; i < TOOLBAR_IMAGE_COUNT; ++i) {
        const UINT command = UINT(1000 + i);
        toolBar.PressButton(command, true);
        screen.manager.PumpMessages();
        EXPECT_GT(inked(command, TOOLBAR_PRESSED_FACE), 20) << "pressed image " << i;
        toolBar.PressButton(command, false);
        toolBar.EnableButton(command, false);
        screen.manager.PumpMessages();
        EXPECT_GT(inked(command, TOOLBAR_FACE), 20) << "greyed image " << i;
        toolBar.EnableButton(command, true);
    }

    const char* shots = std::getenv("KV_SHOT_DIR");
    if (!shots) return;
    toolBar.PressButton(1000 + IMAGE_THUMBNAIL_VIEW, true);
    toolBar.EnableButton(1000 + IMAGE_SLIDE_SHOW, false);
    screen.manager.PumpMessages();
    // The bottom of the screen, enlarged.
    auto enlarge = [&](int32_t top, const std::string& name) {
        constexpr int32_t SCALE = 4;
        const int32_t height = 320 - top;
        auto big = Bitmap::Create(240 * SCALE, height * SCALE, 32);
        for (int32_t y = 0; y < height * SCALE; ++y)
            for (int32_t x = 0; x < 240 * SCALE; ++x)
                big->SetValue(x, y, screen.manager.Screen().Value(x / SCALE, top + y / SCALE));
        EXPECT_EQ(WritePng(std::string(shots) + "/" + name, *big), 0u);
    };
    enlarge(294, "shell-toolbar.png");
    toolBar.SetToolTips({u"List View", u"Detail View", u"Thumbnail View", u"Gallery View",
                         u"Start slide show", u"Slide show preferences", u"View Preferences"});
    const Rect held = toolBar.ButtonRect(1000 + IMAGE_SLIDE_SHOW_PREFERENCES);
    screen.backend.Down(toolBar.ClientToScreen({held.left + 5, held.top + 5}));
    screen.backend.Wait(HOLD_TIME_MS);
    screen.Run();
    enlarge(270, "shell-tooltip.png");
    screen.backend.Up(toolBar.ClientToScreen({held.left + 5, held.top + 5}));
    screen.Run();
    const auto icon = MakeProgramIcon();
    auto bigIcon = Bitmap::Create(32 * 8, 32 * 8, 32);
    for (int32_t y = 0; y < 32 * 8; ++y)
        for (int32_t x = 0; x < 32 * 8; ++x) bigIcon->SetValue(x, y, icon->Value(x / 8, y / 8));
    EXPECT_EQ(WritePng(std::string(shots) + "/shell-icon.png", *bigIcon), 0u);
}

}  // namespace
