#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/png/PngWriter.h"
#include "platform/controls/ScrollBarControl.h"
#include "platform/window/WindowClass.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

constexpr Rect kFull{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
// A vertical bar 13 wide and 200 high: arrows 13 long, track from 13 to
// 187 (174 pixels) in its own coordinates.
constexpr Rect kVertical{200, 20, 213, 220};
constexpr int32_t kX = 206;  // a column through the middle of the bar
constexpr int32_t kBesideArrows = 202;  // inside the frame, left of the arrow triangles

uint32_t Pixel(int colourIndex) { return PixelFromColour(GetSysColor(colourIndex)); }

struct Code {
    UINT message;
    uint16_t code;
    uint16_t pos;
    bool operator==(const Code&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Code& c) {
    return out << "{" << c.message << ", " << c.code << ", " << c.pos << "}";
}

class ScrollBarTest : public ::testing::Test {
protected:
    HeadlessScreen screen;
    std::vector<Seen> log;
    LoggingWindow parent{&log};
    ScrollBarControl bar;

    void SetUp() override {
        parent.SetBackgroundColour(RGB(255, 255, 255));
        ASSERT_TRUE(parent.Create(nullptr, kFull, 0, u"parent", WS_VISIBLE));
        ASSERT_TRUE(bar.Create(&parent, kVertical, 100, u"", WS_CHILD | WS_VISIBLE | SBS_VERT));
        SetInfo(0, 100, 10, 0);
        screen.manager.PumpMessages();
        log.clear();
    }
    int SetInfo(int min, int max, UINT page, int pos) {
        SCROLLINFO info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = min;
        info.nMax = max;
        info.nPage = page;
        info.nPos = pos;
        return int(Send(SBM_SETSCROLLINFO, 1, reinterpret_cast<LPARAM>(&info)));
    }
    LRESULT Send(UINT message, WPARAM w, LPARAM l) {
        return screen.manager.SendMessage(&bar, message, w, l);
    }
    std::vector<Code> Codes() const {
        std::vector<Code> out;
        for (const Seen& s : Only(log, {WM_VSCROLL, WM_HSCROLL})) {
            EXPECT_EQ(s.lParam, LPARAM(HWND(&bar)));
            out.push_back({s.message, LOWORD(s.wParam), HIWORD(s.wParam)});
        }
        return out;
    }
    // Rows of a column of the bar painted in `colour`.
    int RowsOf(uint32_t colour) {
        int rows = 0;
        for (int32_t y = kVertical.top; y < kVertical.bottom; ++y)
            rows += screen.manager.Screen().Value(kBesideArrows, y) == colour;
        return rows;
    }
};

TEST_F(ScrollBarTest, PositionIsClampedToTheRangeLessThePage) {
    struct Case {
        int min, max;
        UINT page;
        int pos;
        int expectedPos;
        UINT expectedPage;
    };
    const Case cases[] = {
        {0, 100, 10, 95, 91, 10},    // last position = max - (page - 1)
        {0, 100, 10, -5, 0, 10},
        {0, 100, 0, 150, 100, 0},    // no page: up to max
        {0, 100, 1, 100, 100, 1},    // page 1 (the grid's): up to max as well
        {10, 20, 200, 15, 10, 11},   // page larger than the range: cut to it
        {5, 2, 0, 9, 5, 0},          // max below min becomes min
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " page " << c.page);
        EXPECT_EQ(SetInfo(c.min, c.max, c.page, c.pos), c.expectedPos);
        SCROLLINFO info;
        info.fMask = SIF_ALL;
        EXPECT_EQ(Send(SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&info)), 1);
        EXPECT_EQ(info.nPos, c.expectedPos);
        EXPECT_EQ(info.nPage, c.expectedPage);
        EXPECT_EQ(info.nMin, c.min);
        EXPECT_EQ(bar.GetScrollPos(), c.expectedPos);
    }
    // SBM_SETPOS answers the previous position and clamps the new one.
    SetInfo(0, 100, 10, 30);
    EXPECT_EQ(Send(SBM_SETPOS, 500, 1), 30);
    EXPECT_EQ(Send(SBM_GETPOS, 0, 0), 91);
    // A range change pulls the position in.
    bar.SetScrollRange(0, 40);
    EXPECT_EQ(bar.GetScrollPos(), 31);
    int min = -1, max = -1;
    Send(SBM_GETRANGE, reinterpret_cast<WPARAM>(&min), reinterpret_cast<LPARAM>(&max));
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 40);
}

TEST_F(ScrollBarTest, TapsOnArrowsAndTrackSendLineAndPageCodes) {
    // Position 50 of 0..91: the 17-pixel thumb starts at 13 + 157 * 50 / 91 = 99,
    // i.e. screen rows 119..135.
    SetInfo(0, 100, 10, 50);
    struct Case {
        int32_t y;
        uint16_t code;
    };
    const Case cases[] = {
        {kVertical.top + 5, SB_LINEUP},
        {kVertical.bottom - 5, SB_LINEDOWN},
        {60, SB_PAGEUP},
        {170, SB_PAGEDOWN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.y);
        log.clear();
        screen.backend.Tap({kX, c.y});
        screen.Run();
        EXPECT_EQ(Codes(),
                  (std::vector<Code>{{WM_VSCROLL, c.code, 0}, {WM_VSCROLL, SB_ENDSCROLL, 0}}));
        // The parent moves the bar, not the bar itself.
        EXPECT_EQ(bar.GetScrollPos(), 50);
        EXPECT_EQ(screen.manager.GetCapture(), nullptr);
    }
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksThePositionAndEndsWithIt) {
    // At position 0 the thumb covers rows 33..49 of the screen.
    screen.backend.Down({kX, 40});
    screen.backend.Move({kX, 40 + 2});    // 2 px of 157 are 1.16 positions: 1
    screen.backend.Move({kX, 40 + 40});   // (40 * 91 + 78) / 157 = 23
    screen.backend.Move({kX, 40 + 40});   // no change, no message
    screen.backend.Move({kX, 319});       // beyond the end: the last position
    screen.backend.Up({kX, 319});
    screen.Run();
    EXPECT_EQ(Codes(), (std::vector<Code>{{WM_VSCROLL, SB_THUMBTRACK, 1},
                                          {WM_VSCROLL, SB_THUMBTRACK, 23},
                                          {WM_VSCROLL, SB_THUMBTRACK, 91},
                                          {WM_VSCROLL, SB_THUMBPOSITION, 91},
                                          {WM_VSCROLL, SB_ENDSCROLL, 0}}));
    EXPECT_EQ(bar.GetScrollPos(), 0);
}

TEST_F(ScrollBarTest, HoldingOnTheTrackRepeatsUntilTheThumbReachesTheStylus) {
    // A parent that scrolls by a page of 10 on every page-down.
    parent.handler = [&](UINT m, WPARAM w, LPARAM, LRESULT&) {
        if (m == WM_VSCROLL && LOWORD(w) == SB_PAGEDOWN)
            bar.SetScrollPos(bar.GetScrollPos() + 10);
        return false;
    };
    // Bar row 60: the thumb (17 long) reaches it at position 20 (rows 47..63).
    screen.backend.Down({kX, kVertical.top + 60});
    screen.backend.Wait(2000);
    screen.backend.Up({kX, kVertical.top + 60});
    screen.Run();
    EXPECT_EQ(Codes(), (std::vector<Code>{{WM_VSCROLL, SB_PAGEDOWN, 0},
                                          {WM_VSCROLL, SB_PAGEDOWN, 0},
                                          {WM_VSCROLL, SB_ENDSCROLL, 0}}));
    EXPECT_EQ(bar.GetScrollPos(), 20);
    EXPECT_FALSE(screen.manager.HasTimer(&bar, ScrollBarControl::REPEAT_TIMER));
}

TEST_F(ScrollBarTest, HorizontalBarSendsHScroll) {
    ScrollBarControl across;
    ASSERT_TRUE(
        across.Create(&parent, {20, 280, 220, 293}, 101, u"", WS_CHILD | WS_VISIBLE | SBS_HORZ));
    across.SetScrollRange(0, 10);
    screen.backend.Tap({25, 286});   // left arrow
    screen.backend.Tap({215, 286});  // right arrow
    screen.Run();
    std::vector<Code> codes;
    for (const Seen& s : Only(log, {WM_VSCROLL, WM_HSCROLL})) {
        EXPECT_EQ(s.lParam, LPARAM(HWND(&across)));
        codes.push_back({s.message, LOWORD(s.wParam), HIWORD(s.wParam)});
    }
    EXPECT_EQ(codes, (std::vector<Code>{{WM_HSCROLL, SB_LINEUP, 0},
                                        {WM_HSCROLL, SB_ENDSCROLL, 0},
                                        {WM_HSCROLL, SB_LINEDOWN, 0},
                                        {WM_HSCROLL, SB_ENDSCROLL, 0}}));
}

TEST_F(ScrollBarTest, ThumbIsSizedByThePageWithAMinimum) {
    struct Case {
        int max;
        UINT page;
        int thumbInside;  // thumb length less its two frame rows
    };
    const Case cases[] = {
        {100, 10, 174 * 10 / 101 - 2},
        {99, 50, 174 * 50 / 100 - 2},
        {10000, 1, ScrollBarControl::MIN_THUMB - 2},
        {0, 1, 0},  // nothing to scroll: no thumb
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.max);
        SetInfo(0, c.max, c.page, 0);
        screen.manager.PumpMessages();
        EXPECT_EQ(RowsOf(Pixel(COLOR_BTNFACE)), 2 * (13 - 2) + c.thumbInside);
    }
    // Hidden, the bar leaves the parent's white.
    bar.ShowWindow(false);
    screen.manager.PumpMessages();
    EXPECT_EQ(RowsOf(0xFFFFFF), kVertical.Height());
}

TEST_F(ScrollBarTest, RegisteredClassMakesABar) {
    RegisterScrollBarClass();
    std::unique_ptr<Window> made =
        CreateWindowOfClass(WC_SCROLLBAR, &parent, {0, 0, 13, 100}, 5, u"", WS_CHILD | SBS_VERT);
    ASSERT_NE(made, nullptr);
    EXPECT_NE(dynamic_cast<ScrollBarControl*>(made.get()), nullptr);
    EXPECT_EQ(screen.manager.SendMessage(made.get(), SBM_SETPOS, 0, 0), 0);
}

TEST_F(ScrollBarTest, Screenshot) {
    SetInfo(0, 100, 10, 40);
    ScrollBarControl across;
    ASSERT_TRUE(
        across.Create(&parent, {20, 280, 180, 293}, 101, u"", WS_CHILD | WS_VISIBLE | SBS_HORZ));
    SCROLLINFO info;
    info.fMask = SIF_ALL;
    info.nMax = 30;
    info.nPage = 10;
    info.nPos = 5;
    across.SetScrollInfo(info);
    screen.manager.PumpMessages();
    // Thumb at 40 of 91: rows 13 + 157 * 40 / 91 = 82 .. 98 of the bar.
    EXPECT_EQ(screen.manager.Screen().Value(kX, kVertical.top + 90), Pixel(COLOR_BTNFACE));
    EXPECT_EQ(screen.manager.Screen().Value(kX, kVertical.top + 60), Pixel(COLOR_SCROLLBAR));
    if (const char* keep = std::getenv("KV_KEEP_SCREENSHOTS"))
        WritePng(std::string(keep) + "/scrollbar.png", screen.manager.Screen());
}

}  // namespace
