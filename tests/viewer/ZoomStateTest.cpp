#include <gtest/gtest.h>

#include <vector>

#include "viewer/ZoomState.h"

namespace {

// The levels a photo gets in the 240 x 292 view above the zoom bar.
struct LevelsCase {
    Size photo;
    std::vector<double> above;  // the levels after fit
    int actual;                 // the level of "100%"
    bool actualBelowFit;        // a photo smaller than the view: 100 % comes first
};

class ZoomLevelsTest : public testing::TestWithParam<LevelsCase> {};

TEST_P(ZoomLevelsTest, FromFitUpTo400Percent) {
    const LevelsCase& c = GetParam();
    ZoomState zoom;
    zoom.Reset(c.photo.cx, c.photo.cy, {240, 292});
    const std::vector<double>& levels = zoom.Levels();
    const int fit = c.actualBelowFit ? 1 : 0;
    ASSERT_EQ(levels.size(), c.above.size() + 1 + fit);
    EXPECT_EQ(zoom.Level(), fit) << "starts at fit";
    EXPECT_EQ(std::vector<double>(levels.begin() + fit + 1, levels.end()), c.above);
    EXPECT_TRUE(zoom.ZoomToActual() || c.actual == fit);
    EXPECT_EQ(zoom.Level(), c.actual);
    EXPECT_EQ(zoom.Factor(), c.actual == fit ? zoom.FitFactor() : 1.0);
    const Size zoomed = zoom.Zoomed();
    if (c.actual != fit) {
        EXPECT_EQ(zoomed, c.photo) << "100 % is the photo's own size";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Photos, ZoomLevelsTest,
    testing::Values(
        LevelsCase{{4032, 3024}, {1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3, 1.0 / 2, 2.0 / 3, 1, 1.5, 2, 3, 4}, 7, false},
        LevelsCase{{480, 640}, {1.0 / 2, 2.0 / 3, 1, 1.5, 2, 3, 4}, 3, false},
        LevelsCase{{240, 180}, {1.5, 2, 3, 4}, 0, false},
        LevelsCase{{100, 80}, {3, 4}, 0, true},
        LevelsCase{{30, 20}, {}, 0, true}));

// A zoomed photo narrower or lower than the view is centred that way and
// cannot be panned in it; otherwise the pan stays between the edges.
TEST(ZoomStateTest, PanStaysWithinThePhoto) {
    ZoomState zoom;
    zoom.Reset(1000, 200, {240, 292});
    zoom.ZoomToActual();
    EXPECT_EQ(zoom.Zoomed(), (Size{1000, 200}));
    EXPECT_EQ(zoom.PhotoOrigin(), (Point{0, 46}));
    zoom.SetPan({-50, 30});
    EXPECT_EQ(zoom.Pan(), (Point{0, 0}));
    zoom.SetPan({5000, 30});
    EXPECT_EQ(zoom.Pan(), (Point{760, 0}));
    EXPECT_EQ(zoom.Visible(), (Rect{760, 0, 1000, 200}));
}

// "+" and "-" keep the photo point under the view's centre in place.
TEST(ZoomStateTest, ZoomingKeepsTheCentre) {
    ZoomState zoom;
    zoom.Reset(2000, 1000, {240, 292});
    zoom.ZoomToActual();
    zoom.SetPan({1000 - 120, 300 - 146});  // photo point (1000, 300) at the centre
    ASSERT_TRUE(zoom.ZoomIn());
    EXPECT_EQ(zoom.Factor(), 1.5);
    EXPECT_EQ(zoom.Pan(), (Point{1500 - 120, 450 - 146}));
    ASSERT_TRUE(zoom.ZoomOut());
    EXPECT_EQ(zoom.Pan(), (Point{1000 - 120, 300 - 146}));
}

}  // namespace
