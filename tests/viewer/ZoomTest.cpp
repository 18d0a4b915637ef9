#include <gtest/gtest.h>

#include <vector>

#include "imaging/JpegPicture.h"
#include "platform/base/File.h"
#include "tests/viewer/ViewerTestSupport.h"
#include "viewer/PhotoWnd.h"

namespace {

using namespace viewer_test;

// The pattern photo, 1024 x 768, decoded at 1/1 as the reference.
class ZoomTest : public ViewerTest {
protected:
    std::vector<Seen> log;
    LoggingWindow parent{&log};
    CPhotoWnd photo;
    std::unique_ptr<CImageItem> record;
    JpegPicture full;

    void SetUp() override {
        ASSERT_TRUE(parent.Create(nullptr, {0, 0, 240, 320}, 0, u"view", WS_VISIBLE));
        ASSERT_TRUE(photo.Create(&parent));
        File file;
        ASSERT_EQ(file.OpenHost(FixturePath("viewer/pattern.jpg"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0u);
        ASSERT_EQ(DecodeJpegFile(file, 0, false, full), 0);
        ASSERT_EQ(full.width, 1024u);
    }
    void Open(bool autoRotate) {
        SetAutoRotate(autoRotate);
        record = Record(AddFixture("viewer/pattern.jpg", "pattern.jpg"));
        photo.Open(record.get());
        screen.manager.UpdateWindow(&photo);
        SetFocus(&photo);
    }
    void Paint() { screen.manager.UpdateWindow(&photo); }
    uint32_t Stored(int32_t u, int32_t v) const { return full.pixels[size_t(v) * full.width + size_t(u)]; }
    std::vector<uint32_t> ViewPixels() {
        std::vector<uint32_t> pixels;
        for (int32_t y = 0; y < 292; ++y)
            for (int32_t x = 0; x < 240; ++x) pixels.push_back(ScreenAt(x, y));
        return pixels;
    }
};

// At 100 % each screen pixel is one photo pixel: the photo as stored, or
// turned a quarter clockwise to stand in the portrait screen.
class ActualSizeTest : public ZoomTest, public testing::WithParamInterface<bool> {};

TEST_P(ActualSizeTest, OnePhotoPixelPerScreenPixel) {
    const bool turned = GetParam();
    Open(turned);
    photo.ZoomToActual();
    Paint();
    ASSERT_EQ(photo.LastError(), 0);
    EXPECT_EQ(photo.Zoom().Factor(), 1.0);
    const Size zoomed = photo.Zoom().Zoomed();
    EXPECT_EQ(zoomed, turned ? (Size{768, 1024}) : (Size{1024, 768}));
    const Point pan = photo.Zoom().Pan();
    EXPECT_EQ(pan, (Point{(zoomed.cx - 240) / 2, (zoomed.cy - 292) / 2})) << "centred";
    int mismatches = 0;
    for (int32_t y = 0; y < 292; ++y)
        for (int32_t x = 0; x < 240; ++x) {
            const int32_t px = pan.x + x, py = pan.y + y;
            // Turned clockwise: shown (x, y) is stored (y, height - 1 - x).
            const uint32_t expected = turned ? Stored(py, 767 - px) : Stored(px, py);
            mismatches += ScreenAt(x, y) != expected;
        }
    EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(Turn, ActualSizeTest, testing::Bool());

// Dragging pans, and stops where an edge of the photo meets the view's.
struct PanCase {
    Point from, to;  // each of four strokes
    bool horizontal;
    bool far;        // stops at the right or bottom edge
};

class PanTest : public ZoomTest, public testing::WithParamInterface<PanCase> {};

TEST_P(PanTest, DraggingStopsAtTheEdge) {
    const PanCase& c = GetParam();
    Open(false);
    photo.ZoomToActual();
    Paint();
    for (int stroke = 0; stroke < 4; ++stroke) {
        screen.backend.Down(c.from);
        screen.backend.Move({(c.from.x + c.to.x) / 2, (c.from.y + c.to.y) / 2});
        screen.backend.Move(c.to);
        screen.backend.Up(c.to);
        screen.backend.Wait(1000);
    }
    screen.Run();
    Paint();
    const Point pan = photo.Zoom().Pan();
    const int32_t limit = c.horizontal ? 1024 - 240 : 768 - 292;
    EXPECT_EQ(c.horizontal ? pan.x : pan.y, c.far ? limit : 0);
    EXPECT_EQ(c.horizontal ? pan.y : pan.x, c.horizontal ? (768 - 292) / 2 : (1024 - 240) / 2);
    for (int32_t i = 0; i < 200; i += 37) {
        // The edge column or row of the screen shows the photo's edge.
        const int32_t x = c.horizontal ? (c.far ? 239 : 0) : i;
        const int32_t y = c.horizontal ? i : (c.far ? 291 : 0);
        EXPECT_EQ(ScreenAt(x, y), Stored(pan.x + x, pan.y + y)) << x << "," << y;
    }
    EXPECT_EQ(Only(log, {ImageExitMessage()}).size(), 0u) << "dragging while zoomed stays";
}

INSTANTIATE_TEST_SUITE_P(Edges, PanTest,
                         testing::Values(PanCase{{20, 150}, {230, 150}, true, false},
                                         PanCase{{230, 150}, {20, 150}, true, true},
                                         PanCase{{120, 20}, {120, 280}, false, false},
                                         PanCase{{120, 280}, {120, 20}, false, true}));

TEST_F(ZoomTest, PlusFromFitAndMinusBackGiveTheSamePixels) {
    Open(true);
    screen.backend.Type(u"0");
    screen.Run();
    Paint();
    ASSERT_TRUE(photo.IsZoomed()) << "a zoom key enters zoom mode";
    EXPECT_EQ(photo.Zoom().Level(), 0);
    const std::vector<uint32_t> fit = ViewPixels();
    screen.backend.Type(u"+");
    screen.Run();
    Paint();
    EXPECT_EQ(photo.Zoom().Level(), 1);
    EXPECT_EQ(photo.ZoomBar().Slider()->GetScrollPos(), 1) << "the slider shows the level";
    EXPECT_NE(ViewPixels(), fit);
    screen.backend.Type(u"-");
    screen.Run();
    Paint();
    EXPECT_EQ(photo.Zoom().Level(), 0);
    EXPECT_EQ(ViewPixels(), fit);
}

// Fit shows the whole photo in the view above the bar; the levels rise
// from there to 400 %, and the buttons and the slider walk them.
TEST_F(ZoomTest, TheControlsStepThroughTheLevels) {
    Open(false);
    photo.EnterZoom();
    Paint();
    const ZoomState& zoom = photo.Zoom();
    EXPECT_EQ(zoom.Zoomed(), (Size{240, 180}));
    EXPECT_EQ(zoom.Levels().back(), 4.0);
    EXPECT_EQ(ScreenAt(120, 10), WHITE) << "white above the fitted photo";
    const auto command = [&](int id) { SendMessage(&photo.ZoomBar(), WM_COMMAND, MAKEWPARAM(id, 0), 0); };
    command(ID_ZOOM_ACTUAL);
    EXPECT_EQ(zoom.Factor(), 1.0);
    command(ID_ZOOM_IN);
    EXPECT_EQ(zoom.Factor(), 1.5);
    for (int i = 0; i < 10; ++i) command(ID_ZOOM_IN);
    EXPECT_EQ(zoom.Factor(), 4.0) << "400 % at most";
    command(ID_ZOOM_FIT);
    EXPECT_EQ(zoom.Level(), 0);
    command(ID_ZOOM_OUT);
    EXPECT_EQ(zoom.Level(), 0) << "nothing below fit";
    SendMessage(&photo.ZoomBar(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3), 0);
    EXPECT_EQ(zoom.Level(), 3);
    SendMessage(&photo.ZoomBar(), WM_HSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0);
    EXPECT_EQ(zoom.Level(), 2);
    Paint();
    EXPECT_EQ(photo.LastError(), 0);
}

// Tapping a button of the bar leaves the keys with the view.
TEST_F(ZoomTest, AfterAZoomButtonTheKeysGoToTheViewAgain) {
    Open(false);
    SetFocus(&parent);
    photo.EnterZoom();
    Paint();
    Window* plus = photo.ZoomBar().GetDlgItem(ID_ZOOM_IN);
    screen.backend.Tap(plus->ClientToScreen({8, 10}));
    screen.Run();
    EXPECT_EQ(photo.Zoom().Level(), 1);
    EXPECT_EQ(GetFocus(), &parent);
}

}  // namespace
