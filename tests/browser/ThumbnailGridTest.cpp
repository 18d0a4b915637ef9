#include <gtest/gtest.h>

#include <vector>

#include "tests/browser/GridTestSupport.h"

namespace {

class ThumbnailGridTest : public ::testing::Test {
protected:
    TempDevice device;
    GridFixture f;

    void Start(int layout, int photos) {
        AddCachedRecords(f.list, photos);
        ASSERT_TRUE(f.Create(layout));
    }
};

struct KeyCase {
    const char* what;
    int photos;
    int anchor;          // -1: none
    std::vector<int> selected;
    UINT key;
    int anchorAfter;
    std::vector<int> selectedAfter;
    int topAfter;
};

// Arrow keys move the one selected photo from the anchor; a move past
// either end is ignored, and a photo moved to is brought wholly into view.
TEST_F(ThumbnailGridTest, ArrowKeysMoveTheSelection) {
    const KeyCase cases[] = {
        {"Right on the last photo does nothing", 10, 9, {9}, VK_RIGHT, 9, {9}, 1},
        {"Down with no anchor selects photo 0", 10, -1, {5}, VK_DOWN, 0, {0}, 0},
        {"Right with no anchor selects photo 0", 10, -1, {5}, VK_RIGHT, 0, {0}, 0},
        {"Left with no anchor does nothing", 10, -1, {5}, VK_LEFT, -1, {5}, 0},
        {"Up from the top row does nothing", 10, 1, {1}, VK_UP, 1, {1}, 0},
        {"Down to the partly visible row scrolls it into view", 10, 6, {6}, VK_DOWN, 9, {9}, 1},
        {"Down past the end does nothing", 10, 8, {8}, VK_DOWN, 8, {8}, 1},
        {"Left moves back one", 10, 4, {4, 7}, VK_LEFT, 3, {3}, 1},
        {"End selects the last photo", 10, 0, {0}, VK_END, 9, {9}, 1},
        {"Home selects photo 0 and scrolls to the top", 10, 9, {9}, VK_HOME, 0, {0}, 0},
    };
    Start(GRID_THUMBNAIL, 10);
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.what);
        f.list.ClearSelection();
        for (int i : c.selected)
            f.grid.RecordAt(i)->SetSelected(true);
        f.grid.SetAnchor(c.anchor);
        f.grid.EnsureVisible(c.anchor >= 0 ? c.anchor : 0);
        f.screen.backend.Key(c.key);
        f.Run();
        EXPECT_EQ(f.grid.GetAnchor(), c.anchorAfter);
        EXPECT_EQ(f.Selected(), c.selectedAfter);
        EXPECT_EQ(f.grid.GetTopRow(), c.topAfter);
    }
}

// Without a selection the rocker pages by whole rows: the gallery's 40
// photos are 10 rows with 4 shown whole, so Page Down goes 0, 4, 6 and stops.
TEST_F(ThumbnailGridTest, PageDownStopsAtTheLargestTopRow) {
    Start(GRID_GALLERY, 40);
    std::vector<int> tops;
    for (int i = 0; i < 4; ++i) {
        f.screen.backend.Key(VK_NEXT);
        f.Run();
        tops.push_back(f.grid.GetTopRow());
    }
    EXPECT_EQ(tops, (std::vector<int>{4, 6, 6, 6}));
    f.screen.backend.Key(VK_UP);
    f.Run();
    EXPECT_EQ(f.grid.GetTopRow(), 2);
    EXPECT_TRUE(f.Selected().empty());
}

TEST_F(ThumbnailGridTest, ShiftTapSelectsTheRunFromTheAnchor) {
    Start(GRID_THUMBNAIL, 10);
    f.screen.backend.Tap(f.CellCentre(2, 1));  // photo 7
    f.Run();
    ASSERT_EQ(f.grid.GetAnchor(), 7);
    f.screen.backend.Key(VK_PRIOR);  // no-op at the top, keeps the run simple
    f.screen.backend.Queue({InputKind::KeyDown, {}, VK_SHIFT, 0});
    f.screen.backend.Tap(f.CellCentre(0, 2));  // photo 2
    f.screen.backend.Queue({InputKind::KeyUp, {}, VK_SHIFT, 0});
    f.Run();
    EXPECT_EQ(f.Selected(), (std::vector<int>{2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(f.grid.GetAnchor(), 2);
}

TEST_F(ThumbnailGridTest, CtrlTapTogglesOnePhoto) {
    Start(GRID_THUMBNAIL, 10);
    f.screen.backend.Tap(f.CellCentre(0, 0));
    f.screen.backend.Queue({InputKind::KeyDown, {}, VK_CONTROL, 0});
    f.screen.backend.Tap(f.CellCentre(1, 1));
    f.screen.backend.Tap(f.CellCentre(1, 2));
    f.screen.backend.Tap(f.CellCentre(1, 1));
    f.screen.backend.Queue({InputKind::KeyUp, {}, VK_CONTROL, 0});
    f.Run();
    EXPECT_EQ(f.Selected(), (std::vector<int>{0, 5}));
}

// A photo opens when the stylus is lifted over the cell it went down on;
// a double tap opens it once; holding opens the menu and nothing else.
TEST_F(ThumbnailGridTest, TapOpensOnlyWhenLiftedOverTheSameCell) {
    Start(GRID_THUMBNAIL, 10);
    f.screen.backend.Down(f.CellCentre(0, 0));
    f.screen.backend.Up(f.CellCentre(0, 1));
    f.screen.backend.Wait(1000);
    f.Run();
    EXPECT_TRUE(f.Opened().empty());
    EXPECT_EQ(f.Selected(), (std::vector<int>{0}));

    f.screen.backend.Tap(f.CellCentre(1, 2));
    f.screen.backend.Wait(1000);
    f.Run();
    EXPECT_EQ(f.Opened(), (std::vector<LPARAM>{5}));

    f.log.clear();
    f.screen.backend.Tap(f.CellCentre(0, 1));
    f.screen.backend.Tap(f.CellCentre(0, 1));
    f.screen.backend.Wait(1000);
    f.Run();
    EXPECT_EQ(f.Opened(), (std::vector<LPARAM>{1})) << "a double tap opens the photo once";

    f.log.clear();
    f.screen.backend.Hold(f.CellCentre(0, 2));
    f.screen.backend.Wait(1000);
    f.Run();
    EXPECT_TRUE(f.Opened().empty());
    EXPECT_EQ(f.contextMenus, 1);
}

TEST_F(ThumbnailGridTest, TapOutsideEveryPhotoClearsTheSelection) {
    Start(GRID_THUMBNAIL, 4);
    f.screen.backend.Tap(f.CellCentre(0, 1));
    f.screen.backend.Wait(1000);
    f.screen.backend.Tap(f.CellCentre(2, 2));  // no photo 8
    f.screen.backend.Wait(1000);
    f.Run();
    EXPECT_TRUE(f.Selected().empty());
    EXPECT_EQ(f.grid.GetAnchor(), -1);
    EXPECT_EQ(f.Opened(), (std::vector<LPARAM>{1}));
}

TEST_F(ThumbnailGridTest, EnterOpensTheAnchorOrSelectsTheFirstVisiblePhoto) {
    Start(GRID_DETAIL, 10);
    f.screen.backend.Key(VK_NEXT);
    f.screen.backend.Key(VK_RETURN);
    f.Run();
    EXPECT_EQ(f.Selected(), (std::vector<int>{3}));
    EXPECT_TRUE(f.Opened().empty());
    f.screen.backend.Key(VK_RETURN);
    f.Run();
    EXPECT_EQ(f.Opened(), (std::vector<LPARAM>{3}));
}

// The scroll bar is there only when not every photo fits, and follows the
// top row.
TEST_F(ThumbnailGridTest, ScrollBarOnlyWhenNeeded) {
    Start(GRID_THUMBNAIL, 9);
    EXPECT_FALSE(f.grid.ScrollBar().IsVisibleFlag());
    AddCachedRecords(f.list, 1);
    f.grid.Refresh();
    f.Pump();
    EXPECT_TRUE(f.grid.ScrollBar().IsVisibleFlag());
    f.grid.EnsureVisible(9);
    EXPECT_EQ(f.grid.GetTopRow(), 1);
    EXPECT_EQ(f.grid.ScrollBar().GetScrollPos(), 1);
}

}  // namespace
