#include <gtest/gtest.h>

#include "browser/GridCellPainter.h"
#include "browser/GridLayout.h"
#include "platform/fonts/SystemFont.h"
#include "platform/gdi/DeviceContext.h"
#include "tests/browser/GridTestSupport.h"

namespace {

constexpr uint32_t WHITE = 0xFFFFFF;

bool InkIn(const Bitmap& b, const Rect& r) {
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x)
            if (b.Value(x, y) != WHITE)
                return true;
    return false;
}

// The detail cell's four text lines (location, category, date, time) end
// above the file name at T + 58: with the browser's font the line height is
// the font's cell height, 13 pixels, so the time ends at T + 56.
TEST(GridCellPainterTest, DetailLinesEndAboveTheName) {
    TempDevice device;
    const auto paths = CopyPhotos(device, CorpusPhotos(1));
    ASSERT_EQ(paths.size(), 1u) << "the JPEG corpus is missing";
    const Font* font = GetUiFont(UiFont::Normal);
    ASSERT_TRUE(font) << "no font files";
    CImageItem record;
    ASSERT_EQ(record.InitFromFile(paths[0], false), 0u);
    ASSERT_NE(record.GetDate(), 0u);
    GridCellContext context;
    context.font = font;
    context.lineHeight = font->Metrics().height;
    ASSERT_LE(4 * context.lineHeight + 4, 58);

    const Size cell{221, 75};
    auto bitmap = CreateImageBitmap(nullptr, cell.cx, cell.cy, 32);
    DeviceContext dc;
    dc.SelectObject(bitmap.get());
    GridCellPainter().Paint(dc, GRID_DETAIL, cell, record, nullptr, false, context);
    const int32_t h = context.lineHeight;
    EXPECT_TRUE(InkIn(*bitmap, {59, 2 * h + 4, 217, 3 * h + 4})) << "the date";
    EXPECT_TRUE(InkIn(*bitmap, {59, 3 * h + 4, 217, 4 * h + 4})) << "the time";
    EXPECT_FALSE(InkIn(*bitmap, {59, 4 * h + 4, 221, 58})) << "nothing between the time and the name";
    EXPECT_TRUE(InkIn(*bitmap, {4, 58, 221, 75})) << "the name";
    EXPECT_FALSE(InkIn(*bitmap, {217, 0, 221, 75})) << "4 pixels clear at the right";
}

// The numbers at the ends of the first two lines are never cut: a text
// wider than its place takes room from the name before it.
TEST(GridCellPainterTest, NumbersAreNeverCut) {
    const Font* font = GetUiFont(UiFont::Normal);
    ASSERT_TRUE(font) << "no font files";
    TempDevice device;
    const std::string big = CorpusDir() + "/camera/ian_tests_42_IndexError.jpg";  // 4032 x 3024
    const auto paths = CopyPhotos(device, {big});
    CImageItem record;
    ASSERT_EQ(record.InitFromFile(paths.at(0), false), 0u);
    ASSERT_EQ(record.DimensionsText(), u"4032x3024");
    const int32_t width = font->MeasureWidth(record.DimensionsText());
    ASSERT_GT(width, 60) << "wider than the place the layout gives it";
    GridCellContext context;
    context.font = font;
    context.lineHeight = font->Metrics().height;
    auto bitmap = CreateImageBitmap(nullptr, 221, 75, 32);
    DeviceContext dc;
    dc.SelectObject(bitmap.get());
    GridCellPainter().Paint(dc, GRID_DETAIL, {221, 75}, record, nullptr, false, context);
    // Ink of the whole text, right-aligned at R - 4: its first column lies
    // within two pixels of where the whole text starts.
    int32_t first = 221;
    for (int32_t x = 100; x < 217 && first == 221; ++x)
        if (InkIn(*bitmap, {x, 4, x + 1, 4 + context.lineHeight}))
            first = x;
    EXPECT_LE(first, 217 - width + 2);
    EXPECT_GE(first, 217 - width);
}

}  // namespace
