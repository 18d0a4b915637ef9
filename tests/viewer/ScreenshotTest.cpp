#include <gtest/gtest.h>

#include <string>

#include "platform/png/PngWriter.h"
#include "tests/viewer/ViewerTestSupport.h"
#include "viewer/PhotoWnd.h"

namespace {

using namespace viewer_test;

// Real camera photos on the single view: fitted, with the zoom bar at fit,
// at 100 % and panned to a corner. The pictures are written for a person
// to look at (KV_SCREENSHOT_DIR); probes check the bands and the bar.
class ViewerScreenshotTest : public ViewerTest, public testing::WithParamInterface<const char*> {
protected:
    std::vector<Seen> log;
    LoggingWindow parent{&log};
    CPhotoWnd photo;
    ShotFolder shots;

    bool Textured(int32_t top, int32_t bottom) {
        int differing = 0;
        for (int32_t y = top; y < bottom; y += 7)
            for (int32_t x = 1; x < 240; x += 7) differing += ScreenAt(x, y) != ScreenAt(x - 1, y);
        return differing > 50;
    }
    void Shot(const std::string& name) {
        screen.manager.UpdateWindow(&photo);
        screen.manager.UpdateWindow(&photo.ZoomBar());
        for (Window* control : photo.ZoomBar().Children()) screen.manager.UpdateWindow(control);
        EXPECT_EQ(WritePng(shots / name, screen.manager.Screen()), 0u);
    }
};

TEST_P(ViewerScreenshotTest, FittedZoomedAndPanned) {
    const std::string corpus = CorpusDir();
    ASSERT_FALSE(corpus.empty()) << "the shared corpus is not there";
    const std::string file = GetParam();
    const std::string stem = file.substr(file.rfind('/') + 1, file.rfind('.') - file.rfind('/') - 1);
    ASSERT_TRUE(parent.Create(nullptr, {0, 0, 240, 320}, 0, u"view", WS_VISIBLE));
    ASSERT_TRUE(photo.Create(&parent));
    auto record = Record(AddPhoto(corpus + "/" + file, "photo.jpg"));
    photo.Open(record.get());
    Shot(stem + "-fitted.png");
    ASSERT_EQ(photo.LastError(), 0);
    EXPECT_TRUE(Textured(0, 320));

    photo.EnterZoom();
    Shot(stem + "-zoom-fit.png");
    EXPECT_EQ(ScreenAt(120, 292), 0x000000u) << "the bar's top edge";
    EXPECT_EQ(ScreenAt(1, 319), 0x000000u) << "the bar's bottom edge";

    photo.ZoomToActual();
    Shot(stem + "-zoom-100.png");
    EXPECT_EQ(photo.LastError(), 0);
    EXPECT_TRUE(Textured(0, 292));

    screen.backend.Down({200, 250});
    screen.backend.Move({100, 150});
    screen.backend.Move({20, 20});
    screen.backend.Up({20, 20});
    screen.Run();
    Shot(stem + "-zoom-100-panned.png");
    EXPECT_GT(photo.Zoom().Pan().x, 0);
    EXPECT_TRUE(Textured(0, 292));
}

INSTANTIATE_TEST_SUITE_P(Camera, ViewerScreenshotTest,
                         testing::Values("camera/ian_tests_42_IndexError.jpg", "camera/ian_tests_28-hex_value.jpg",
                                         "camera/ian_hdr_canon_hdr_NO.jpg"));

}  // namespace
