#include <gtest/gtest.h>

#include "browser/GridLayout.h"

namespace {

constexpr int32_t WIDTH = 240;
constexpr int32_t HEIGHT = 244;

struct LayoutCase {
    int layout;
    int count;
    int columns;
    int rows;      // painted, the partly visible one included
    int fullRows;  // shown whole
    int largestTop;
};

// The row arithmetic of the three layouts in the browser's 240 x 244 area.
// A partly visible last row is painted but does not count as a page row,
// so the largest top row leaves the last photos wholly in view: with 10
// photos in 3 columns the fourth row (photo 9) needs top row 1.
TEST(GridLayoutTest, ColumnsRowsAndLargestTopRow) {
    const LayoutCase cases[] = {
        {GRID_THUMBNAIL, 10, 3, 4, 3, 1},
        {GRID_THUMBNAIL, 9, 3, 4, 3, 0},
        {GRID_THUMBNAIL, 12, 3, 4, 3, 1},
        {GRID_THUMBNAIL, 0, 3, 4, 3, 0},
        {GRID_GALLERY, 40, 4, 5, 4, 6},
        {GRID_GALLERY, 16, 4, 5, 4, 0},
        {GRID_GALLERY, 17, 4, 5, 4, 1},
        {GRID_DETAIL, 3, 1, 4, 3, 0},
        {GRID_DETAIL, 4, 1, 4, 3, 1},
        {GRID_DETAIL, 50, 1, 4, 3, 47},
    };
    for (const LayoutCase& c : cases) {
        GridLayout grid;
        grid.SetLayout(c.layout);
        grid.Resize(WIDTH, HEIGHT);
        grid.SetCount(c.count);
        SCOPED_TRACE(testing::Message() << "layout " << c.layout << ", " << c.count << " photos");
        EXPECT_EQ(grid.Columns(), c.columns);
        EXPECT_EQ(grid.Rows(), c.rows);
        EXPECT_EQ(grid.FullRows(), c.fullRows);
        EXPECT_EQ(grid.LargestTopRow(), c.largestTop);
    }
}

// Every photo of every count can be brought wholly into view, and the top
// row that does it never passes the largest one.
TEST(GridLayoutTest, EveryPhotoCanBeShownWhole) {
    for (int layout : {GRID_THUMBNAIL, GRID_GALLERY, GRID_DETAIL})
        for (int count = 1; count <= 60; ++count) {
            GridLayout grid;
            grid.SetLayout(layout);
            grid.Resize(WIDTH, HEIGHT);
            grid.SetCount(count);
            for (int index = 0; index < count; ++index) {
                const int top = grid.TopToShow(0, index);
                ASSERT_LE(top, grid.LargestTopRow());
                ASSERT_TRUE(grid.IsWhollyVisible(top, index))
                    << "layout " << layout << " count " << count << " index " << index;
                const Rect cell = grid.CellOfIndex(top, index);
                ASSERT_LE(cell.bottom, HEIGHT) << "layout " << layout << " index " << index;
                ASSERT_LE(cell.right, WIDTH - 13) << "clear of the scroll bar";
            }
        }
}

TEST(GridLayoutTest, CellGeometryFollowsTheMetrics) {
    GridLayout grid;
    grid.SetLayout(GRID_THUMBNAIL);
    grid.Resize(WIDTH, HEIGHT);
    EXPECT_EQ(grid.CellRect(0, 0), (Rect{5, 3, 71, 80}));
    EXPECT_EQ(grid.CellRect(1, 2), (Rect{147, 83, 213, 160}));
    grid.SetLayout(GRID_GALLERY);
    grid.Resize(WIDTH, HEIGHT);
    EXPECT_EQ(grid.CellRect(0, 3), (Rect{165, 12, 216, 63}));
    grid.SetLayout(GRID_DETAIL);
    grid.Resize(WIDTH, HEIGHT);
    EXPECT_EQ(grid.CellRect(2, 0), (Rect{3, 163, 224, 238}));
}

TEST(GridLayoutTest, HitTestFindsOnlyCellsOfPhotos) {
    GridLayout grid;
    grid.SetLayout(GRID_THUMBNAIL);
    grid.Resize(WIDTH, HEIGHT);
    grid.SetCount(10);
    EXPECT_EQ(grid.HitTest(0, {6, 4}), 0);
    EXPECT_EQ(grid.HitTest(0, {72, 4}), -1) << "the gap between columns";
    EXPECT_EQ(grid.HitTest(0, {150, 90}), 5);
    EXPECT_EQ(grid.HitTest(0, {80, 243}), -1) << "row 3 column 1 is photo 10, past the end";
    EXPECT_EQ(grid.HitTest(0, {10, 243}), 9) << "the partly visible row";
    EXPECT_EQ(grid.HitTest(0, {10, 241}), -1) << "the gap between rows";
    EXPECT_EQ(grid.HitTest(1, {10, 4}), 3);
}

}  // namespace
