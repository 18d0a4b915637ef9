#include <gtest/gtest.h>

#include "platform/gdi/DeviceContext.h"
#include "tests/platform/GdiTestSupport.h"

namespace {

using Rows = std::vector<std::string>;
const std::map<uint32_t, char> kLegend = {
    {WHITE_PIXEL, '.'}, {BLACK_PIXEL, '#'}, {0x00808080, 'g'}, {0x00FF0000, 'r'}};

TEST(BitmapTest, RefusesAbsurdSizesAndFormats) {
    const struct {
        int32_t width, height;
        int bpp;
        bool made;
    } cases[] = {
        {1, 1, 32, true},       {240, 320, 32, true},    {17, 3, 1, true},
        {0, 10, 32, false},     {10, 0, 32, false},      {-5, 10, 32, false},
        {10, -5, 32, false},    {65536, 1, 32, false},   {65535, 65535, 32, false},
        {0x7FFFFFFF, 2, 32, false}, {10, 10, 24, false}, {10, 10, 8, false},
    };
    for (const auto& c : cases) {
        auto bitmap = CreateImageBitmap(nullptr, c.width, c.height, c.bpp);
        EXPECT_EQ(c.made, bitmap != nullptr) << c.width << "x" << c.height << "x" << c.bpp;
        if (!bitmap) continue;
        EXPECT_EQ(c.width, bitmap->Width());
        EXPECT_EQ(c.height, bitmap->Height());
        EXPECT_EQ(c.bpp, bitmap->BitsPerPixel());
        if (c.bpp == 32) {
            EXPECT_EQ(size_t(c.width) * 4, bitmap->Stride());
        }
        EXPECT_EQ(0u, bitmap->Value(c.width - 1, c.height - 1));
    }
}

TEST(BitmapTest, CompatibleBitmapFollowsTheContextsBitmap) {
    DeviceContext fresh;  // holds the stock monochrome bitmap
    EXPECT_EQ(1, CreateCompatibleBitmap(&fresh, 4, 4)->BitsPerPixel());
    EXPECT_EQ(32, CreateCompatibleBitmap(nullptr, 4, 4)->BitsPerPixel());
    Canvas canvas(2, 2);
    EXPECT_EQ(32, CreateCompatibleBitmap(&canvas.dc, 4, 4)->BitsPerPixel());
}

TEST(DeviceContextTest, DefaultsAndSelectionReturnThePrevious) {
    Canvas canvas(4, 4);
    DeviceContext& dc = canvas.dc;
    EXPECT_EQ(GetStockPen(BLACK_PEN), dc.GetCurrentPen());
    EXPECT_EQ(GetStockBrush(WHITE_BRUSH), dc.GetCurrentBrush());
    EXPECT_EQ(RGB(0, 0, 0), dc.GetTextColor());
    EXPECT_EQ(RGB(255, 255, 255), dc.GetBkColor());
    EXPECT_EQ(OPAQUE, dc.GetBkMode());

    Pen pen(PS_SOLID, 3, RGB(1, 2, 3));
    EXPECT_EQ(GetStockPen(BLACK_PEN), dc.SelectObject(&pen));
    EXPECT_EQ(&pen, dc.SelectObject(GetStockPen(NULL_PEN)));
    EXPECT_EQ(RGB(0, 0, 0), dc.SetTextColor(RGB(9, 9, 9)));
    EXPECT_EQ(RGB(9, 9, 9), dc.GetTextColor());
    EXPECT_EQ(OPAQUE, dc.SetBkMode(TRANSPARENT));

    auto other = CreateImageBitmap(nullptr, 2, 2, 32);
    EXPECT_EQ(canvas.bitmap.get(), dc.SelectObject(other.get()));
    EXPECT_EQ(other.get(), dc.SelectObject(canvas.bitmap.get()));
}

TEST(DeviceContextTest, ColourRefBecomesRgbPixel) {
    Canvas canvas(2, 1);
    canvas.dc.SetPixel(0, 0, RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(0x00123456u, canvas.bitmap->Value(0, 0));
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), canvas.dc.GetPixel(0, 0));
    // The strip key colour written 0x008080 is red 128, green 128, blue 0.
    EXPECT_EQ(RGB(128, 128, 0), COLORREF(0x008080));
    EXPECT_EQ(0x00808000u, PixelFromColour(0x008080));
}

TEST(DeviceContextTest, RectangleOutlineIsRightBottomExclusive) {
    Canvas canvas(7, 5);
    Brush grey(RGB(128, 128, 128));
    canvas.dc.SelectObject(&grey);
    canvas.dc.Rectangle(1, 1, 6, 4);
    EXPECT_EQ((Rows{".......",
                    ".#####.",
                    ".#ggg#.",
                    ".#####.",
                    "......."}),
              canvas.Show(kLegend));
}

TEST(DeviceContextTest, NullPenRectangleFillsTheOutlinesPixels) {
    Canvas canvas(7, 5);
    Brush grey(RGB(128, 128, 128));
    canvas.dc.SelectObject(&grey);
    canvas.dc.SelectObject(GetStockPen(NULL_PEN));
    canvas.dc.Rectangle(1, 1, 6, 4);
    EXPECT_EQ((Rows{".......",
                    ".ggggg.",
                    ".ggggg.",
                    ".ggggg.",
                    "......."}),
              canvas.Show(kLegend));
}

TEST(DeviceContextTest, WidePenIsCentredOnTheOutline) {
    // A 3-px frame on the cell (1,1)-(8,8) inset by one stays inside the cell.
    Canvas canvas(11, 11);
    Pen pen(PS_SOLID, 3, RGB(0, 0, 0));
    canvas.dc.SelectObject(&pen);
    canvas.dc.SelectObject(GetStockBrush(HOLLOW_BRUSH));
    canvas.dc.Rectangle(2, 2, 9, 9);
    EXPECT_EQ((Rows{"...........",
                    ".#########.",
                    ".#########.",
                    ".#########.",
                    ".###...###.",
                    ".###...###.",
                    ".###...###.",
                    ".#########.",
                    ".#########.",
                    ".#########.",
                    "..........."}),
              canvas.Show(kLegend));
}

TEST(DeviceContextTest, FillRectTakesLeftTopAndLeavesRightBottom) {
    Canvas canvas(5, 4);
    Brush red(RGB(255, 0, 0));
    canvas.dc.FillRect({1, 1, 4, 3}, &red);
    canvas.dc.FillRect({0, 0, 5, 4}, GetStockBrush(NULL_BRUSH));
    EXPECT_EQ((Rows{".....",
                    ".rrr.",
                    ".rrr.",
                    "....."}),
              canvas.Show(kLegend));
}

TEST(DeviceContextTest, LinesLeaveTheirEndPoint) {
    // The drop-down triangle: rows of 7, 5, 3 and 1 pixels.
    Canvas canvas(9, 5);
    for (int row = 0; row < 4; ++row) {
        canvas.dc.MoveTo(1 + row, 1 + row);
        canvas.dc.LineTo(8 - row, 1 + row);
    }
    EXPECT_EQ((Point{5, 4}), canvas.dc.GetCurrentPosition());
    EXPECT_EQ((Rows{".........",
                    ".#######.",
                    "..#####..",
                    "...###...",
                    "....#...."}),
              canvas.Show(kLegend));

    Canvas diagonal(5, 5);
    diagonal.dc.MoveTo(4, 4);
    diagonal.dc.LineTo(0, 0);
    diagonal.dc.MoveTo(0, 4);
    diagonal.dc.LineTo(0, 2);
    EXPECT_EQ((Rows{".....",
                    ".#...",
                    "..#..",
                    "#..#.",
                    "#...#"}),
              diagonal.Show(kLegend));
}

TEST(DeviceContextTest, FocusRectangleDrawnTwiceIsGone) {
    Canvas canvas(6, 5, RGB(255, 0, 0));
    canvas.dc.SetPixel(2, 2, RGB(128, 128, 128));
    const Rows before = canvas.Show(kLegend);
    canvas.dc.DrawFocusRect({0, 0, 6, 5});
    const std::map<uint32_t, char> legend = {
        {0x00FF0000, 'r'}, {0x0000FFFF, 'c'}, {0x00808080, 'g'}};
    EXPECT_EQ((Rows{"crcrcr",
                    "rrrrrc",
                    "crgrrr",
                    "rrrrrc",
                    "crcrcr"}),
              canvas.Show(legend));
    canvas.dc.DrawFocusRect({0, 0, 6, 5});
    EXPECT_EQ(before, canvas.Show(kLegend));
}

TEST(DeviceContextTest, ClipExcludesAndResets) {
    Canvas canvas(6, 4);
    DeviceContext& dc = canvas.dc;
    EXPECT_EQ(COMPLEXREGION, dc.ExcludeClipRect(1, 1, 3, 3));
    EXPECT_EQ(COMPLEXREGION, dc.ExcludeClipRect(4, 0, 5, 4));
    dc.FillSolidRect({0, 0, 6, 4}, RGB(0, 0, 0));
    EXPECT_EQ((Rows{"####.#",
                    "#..#.#",
                    "#..#.#",
                    "####.#"}),
              canvas.Show(kLegend));
    EXPECT_EQ(CLR_INVALID, dc.GetPixel(1, 1));
    EXPECT_EQ(CLR_INVALID, dc.SetPixel(4, 2, RGB(255, 0, 0)));

    EXPECT_EQ(SIMPLEREGION, dc.SelectClipRgn(nullptr));
    EXPECT_EQ(SIMPLEREGION, dc.IntersectClipRect(2, 1, 10, 3));
    Rect box;
    EXPECT_EQ(SIMPLEREGION, dc.GetClipBox(box));
    EXPECT_EQ((Rect{2, 1, 6, 3}), box);
    Pen red(PS_SOLID, 1, RGB(255, 0, 0));
    dc.SelectObject(&red);
    dc.MoveTo(0, 2);
    dc.LineTo(6, 2);
    EXPECT_EQ((Rows{"####.#",
                    "#..#.#",
                    "#.rrrr",
                    "####.#"}),
              canvas.Show(kLegend));
    EXPECT_EQ(NULLREGION, dc.ExcludeClipRect(0, 0, 6, 4));
    dc.SelectClipRgn(nullptr);
    dc.GetClipBox(box);
    EXPECT_EQ((Rect{0, 0, 6, 4}), box);
}

TEST(DeviceContextTest, BlockCopiesCombineSourceAndDestination) {
    const struct {
        uint32_t rop;
        uint32_t expected;
    } cases[] = {
        {SRCCOPY, 0x00F0F0F0}, {SRCAND, 0x00A0A000}, {SRCPAINT, 0x00FAFAF0},
        {SRCINVERT, 0x005A5AF0}, {NOTSRCCOPY, 0x000F0F0F}, {SRCERASE, 0x005050F0},
        {DSTINVERT, 0x005555FF}, {BLACKNESS, 0}, {WHITENESS, 0x00FFFFFF},
        {PATCOPY, 0x00000080}, {PATINVERT, 0x00AAAA80},
    };
    for (const auto& c : cases) {
        Canvas source(1, 1, RGB(0xF0, 0xF0, 0xF0));
        Canvas dest(1, 1, RGB(0xAA, 0xAA, 0x00));
        Brush blue(RGB(0, 0, 0x80));
        dest.dc.SelectObject(&blue);
        EXPECT_TRUE(dest.dc.BitBlt(0, 0, 1, 1, &source.dc, 0, 0, c.rop));
        EXPECT_EQ(c.expected, dest.bitmap->Value(0, 0)) << std::hex << c.rop;
    }
    Canvas dest(1, 1);
    EXPECT_FALSE(dest.dc.BitBlt(0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
    EXPECT_FALSE(dest.dc.PatBlt(0, 0, 1, 1, SRCAND));
}

TEST(DeviceContextTest, BlockCopyClipsToSourceAndDestination) {
    Canvas source(3, 2, RGB(255, 0, 0));
    Canvas dest(6, 4);
    dest.dc.ExcludeClipRect(2, 0, 3, 1);
    // Asks for 4 x 4 from (1, 0): only 2 x 2 of the source exists.
    dest.dc.BitBlt(1, 1, 4, 4, &source.dc, 1, 0, SRCCOPY);
    dest.dc.BitBlt(1, 0, 2, 1, &source.dc, 0, 0, SRCCOPY);
    EXPECT_EQ((Rows{".r....",
                    ".rr...",
                    ".rr...",
                    "......"}),
              dest.Show(kLegend));
}

TEST(DeviceContextTest, OverlappingCopyWithinOneBitmap) {
    Canvas canvas(5, 1);
    for (int x = 0; x < 5; ++x) canvas.bitmap->SetValue(x, 0, uint32_t(x + 1));
    canvas.dc.BitBlt(1, 0, 4, 1, &canvas.dc, 0, 0, SRCCOPY);
    const uint32_t expected[] = {1, 1, 2, 3, 4};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(expected[x], canvas.bitmap->Value(x, 0));
}

TEST(DeviceContextTest, MonochromeConversions) {
    // Colour -> mono: the source's background colour becomes 1.
    Canvas colour(4, 1, RGB(255, 0, 0));
    colour.dc.SetPixel(1, 0, RGB(0, 128, 128));
    colour.dc.SetPixel(3, 0, RGB(0, 128, 128));
    colour.dc.SetBkColor(RGB(0, 128, 128));
    auto mono = CreateImageBitmap(nullptr, 4, 1, 1);
    DeviceContext monoDc;
    monoDc.SelectObject(mono.get());
    monoDc.BitBlt(0, 0, 4, 1, &colour.dc, 0, 0, SRCCOPY);
    EXPECT_EQ((Rows{"0101"}), Picture(*mono, {{0, '0'}, {1, '1'}}));
    EXPECT_EQ(RGB(255, 255, 255), monoDc.GetPixel(1, 0));

    // Mono -> colour: 1 takes the destination's background, 0 its text colour.
    Canvas dest(4, 1);
    dest.dc.SetBkColor(RGB(255, 0, 0));
    dest.dc.SetTextColor(RGB(128, 128, 128));
    dest.dc.BitBlt(0, 0, 4, 1, &monoDc, 0, 0, SRCCOPY);
    EXPECT_EQ((Rows{"grgr"}), dest.Show(kLegend));

    // Mono -> mono keeps the bits; drawing on mono picks black or white.
    auto other = CreateImageBitmap(nullptr, 4, 1, 1);
    DeviceContext otherDc;
    otherDc.SelectObject(other.get());
    otherDc.FillSolidRect({0, 0, 4, 1}, RGB(255, 255, 255));
    otherDc.BitBlt(0, 0, 4, 1, &monoDc, 0, 0, SRCAND);
    EXPECT_EQ((Rows{"0101"}), Picture(*other, {{0, '0'}, {1, '1'}}));
}

TEST(DeviceContextTest, SurfaceContextDrawsAtItsOriginInsideItsRegion) {
    auto frame = CreateImageBitmap(nullptr, 6, 4, 32);
    DeviceContext whole;
    whole.SelectObject(frame.get());
    whole.FillSolidRect({0, 0, 6, 4}, RGB(255, 255, 255));
    Region visible(Rect{2, 1, 6, 3});
    visible.Subtract(Rect{4, 2, 5, 3});  // a child window
    DeviceContext window(*frame, {2, 1}, visible);
    auto other = CreateImageBitmap(nullptr, 1, 1, 32);
    EXPECT_EQ(nullptr, window.SelectObject(other.get()));
    window.FillSolidRect({-5, -5, 50, 50}, RGB(0, 0, 0));
    EXPECT_EQ((Rows{"......",
                    "..####",
                    "..##.#",
                    "......"}),
              Picture(*frame, kLegend));
    Rect box;
    window.GetClipBox(box);
    EXPECT_EQ((Rect{0, 0, 4, 2}), box);
    EXPECT_EQ(RGB(0, 0, 0), window.GetPixel(0, 0));
}

TEST(DeviceContextTest, DestroyedSelectionFallsBackToStockObjects) {
    auto bitmap = CreateImageBitmap(nullptr, 3, 3, 32);
    DeviceContext dc;
    dc.SelectObject(bitmap.get());
    {
        Pen pen(PS_SOLID, 1, RGB(255, 0, 0));
        Brush brush(RGB(0, 255, 0));
        dc.SelectObject(&pen);
        dc.SelectObject(&brush);
    }
    EXPECT_EQ(GetStockPen(BLACK_PEN), dc.GetCurrentPen());
    EXPECT_EQ(GetStockBrush(WHITE_BRUSH), dc.GetCurrentBrush());
    bitmap.reset();
    EXPECT_TRUE(dc.IsMono());
    dc.Rectangle(0, 0, 3, 3);  // draws into the 1 x 1 stock bitmap, harmlessly
    EXPECT_NE(nullptr, dc.GetCurrentBitmap());
}

TEST(DeviceContextTest, CoverageBlendsTheColourInsideTheClip) {
    Canvas canvas(3, 1, RGB(0, 0, 0));
    canvas.dc.ExcludeClipRect(2, 0, 3, 1);
    const uint8_t coverage[] = {255, 128, 255};
    canvas.dc.DrawCoverage(0, 0, coverage, 3, 1, 3, RGB(255, 0, 200));
    EXPECT_EQ(0x00FF00C8u, canvas.bitmap->Value(0, 0));
    EXPECT_EQ(0x00800064u, canvas.bitmap->Value(1, 0));
    EXPECT_EQ(0u, canvas.bitmap->Value(2, 0));
}

}  // namespace
