#include <gtest/gtest.h>

#include "platform/gdi/GdiHelpers.h"
#include "platform/gdi/ImageStrip.h"
#include "tests/platform/GdiTestSupport.h"

namespace {

using Rows = std::vector<std::string>;
const std::map<uint32_t, char> kLegend = {{WHITE_PIXEL, '.'}, {BLACK_PIXEL, '#'},
                                          {0x00FF0000, 'r'}, {0x000000FF, 'b'},
                                          {0x00808000, 'k'}};

TEST(GdiHelpersTest, FillRectSolidIncludesBothEdgesAndRestoresTheContext) {
    Canvas canvas(6, 4);
    Pen pen(PS_SOLID, 1, RGB(0, 0, 0));
    canvas.dc.SelectObject(&pen);
    FillRectSolid(canvas.dc, 1, 1, 3, 2, RGB(255, 0, 0));
    EXPECT_EQ((Rows{"......",
                    ".rrr..",
                    ".rrr..",
                    "......"}),
              canvas.Show(kLegend));
    EXPECT_EQ(&pen, canvas.dc.GetCurrentPen());
    EXPECT_EQ(GetStockBrush(WHITE_BRUSH), canvas.dc.GetCurrentBrush());
}

TEST(GdiHelpersTest, DrawBitmapInRectPlacesAndCentres) {
    Canvas picture(2, 2, RGB(255, 0, 0));
    picture.dc.SetPixel(0, 0, RGB(0, 0, 255));
    const struct {
        Rect rect;
        bool centre;
        Rows expected;
    } cases[] = {
        {{1, 1, 6, 5}, false, {"......", ".br...", ".rr...", "......", "......"}},
        {{1, 1, 6, 5}, true, {"......", "......", "..br..", "..rr..", "......"}},
        // A rectangle smaller than the bitmap is not overdrawn.
        {{1, 1, 2, 2}, false, {"......", ".b....", "......", "......", "......"}},
        {{1, 1, 2, 2}, true, {"......", ".r....", "......", "......", "......"}},
    };
    for (const auto& c : cases) {
        Canvas canvas(6, 5);
        EXPECT_TRUE(DrawBitmapInRect(canvas.dc, c.rect, *picture.bitmap, c.centre));
        EXPECT_EQ(c.expected, canvas.Show(kLegend)) << c.rect.right << " " << c.centre;
    }
}

// Two 3 x 2 images one above the other (one per column), 1 px apart and
// from the edges; key colour 0x008080 = red 128, green 128, blue 0.
std::unique_ptr<Bitmap> MakeStrip() {
    auto strip = CreateImageBitmap(nullptr, 5, 7, 32);
    DeviceContext dc;
    dc.SelectObject(strip.get());
    dc.FillSolidRect({0, 0, 5, 7}, RGB(255, 255, 255));
    const char* rows[] = {"rkr", "kbk", "bbb", "kkb"};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x) {
            const COLORREF colour = rows[y][x] == 'r'   ? RGB(255, 0, 0)
                                    : rows[y][x] == 'b' ? RGB(0, 0, 255)
                                                        : COLORREF(0x008080);
            dc.SetPixel(1 + x, 1 + y + (y / 2), colour);
        }
    return strip;
}

TEST(ImageStripTest, KeyColourLeavesTheDestination) {
    ImageStrip strip(MakeStrip(), 3, 2, 1, 2, 0x008080);
    EXPECT_EQ((Rect{1, 1, 4, 3}), strip.CellRect(0));
    EXPECT_EQ((Rect{1, 4, 4, 6}), strip.CellRect(1));
    EXPECT_EQ((Rect{5, 1, 8, 3}), strip.CellRect(2));

    Canvas canvas(5, 6);
    canvas.dc.FillSolidRect({0, 3, 5, 6}, RGB(0, 0, 0));
    EXPECT_TRUE(strip.Draw(canvas.dc, 0, 1, 0));
    EXPECT_TRUE(strip.Draw(canvas.dc, 1, 1, 3));
    EXPECT_EQ((Rows{".r.r.",
                    "..b..",
                    ".....",
                    "#bbb#",
                    "###b#",
                    "#####"}),
              canvas.Show(kLegend));
    EXPECT_FALSE(strip.Draw(canvas.dc, -1, 0, 0));
}

TEST(ImageStripTest, DrawIsClippedAtTheEdge) {
    ImageStrip strip(MakeStrip(), 3, 2, 1, 2, 0x008080);
    Canvas canvas(2, 2, RGB(0, 0, 0));
    EXPECT_TRUE(strip.Draw(canvas.dc, 0, -1, 0));
    EXPECT_EQ((Rows{"#r", "b#"}), canvas.Show(kLegend));
}

TEST(RegionTest, SubtractAndUnionKeepDisjointRectangles) {
    Region region(Rect{0, 0, 10, 10});
    region.Subtract({2, 2, 4, 4});
    region.Union({3, 3, 12, 5});
    region.Union({0, 0, 1, 1});
    int64_t area = 0;
    for (const Rect& r : region.Rects()) area += int64_t(r.Width()) * r.Height();
    EXPECT_EQ(100 - 4 + 1 + 2 * 2, area);
    for (int y = -1; y < 12; ++y)
        for (int x = -1; x < 13; ++x) {
            const bool inside = (Rect{0, 0, 10, 10}.Contains(x, y) &&
                                 !Rect{2, 2, 4, 4}.Contains(x, y)) ||
                                Rect{3, 3, 12, 5}.Contains(x, y);
            EXPECT_EQ(inside, region.Contains(x, y)) << x << "," << y;
        }
    EXPECT_EQ((Rect{0, 0, 12, 10}), region.Bounds());
}

}  // namespace
