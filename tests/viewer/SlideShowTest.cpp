#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "catalogue/ImageItemList.h"
#include "platform/base/Time.h"
#include "tests/viewer/ViewerTestSupport.h"
#include "viewer/PhotoWnd.h"
#include "viewer/SlideShow.h"

namespace {

using namespace viewer_test;

// The part of the browser view that runs a slide show: the image list, the
// photo window, the timers, and leaving the picture.
class SlideHost : public Window, public SlideShowHost, public PhotoWndHost {
public:
    CImageItemList list;
    ImageFilter filter;
    CPhotoWnd photo;
    CSlideShow show{*this, *this};
    std::vector<std::u16string> shown;
    std::vector<uint32_t> shownAt;
    int ended = 0;
    int exits = 0;
    // Runs after each slide is put on screen, before the next is made.
    std::function<void(CImageItem&)> afterShow;

    bool Make() {
        return Window::Create(nullptr, {0, 0, 240, 320}, 0, u"host", WS_VISIBLE) && photo.Create(this);
    }
    ~SlideHost() override {
        photo.Destroy();
        Destroy();
    }
    CImageItem* SlideStart() override { return list.Nth(filter, 0); }
    CImageItem* SlideAfter(CImageItem* record, bool random) override {
        if (random) return list.RandomNext(filter);
        CImageItem* next = list.Next(filter, record);
        return next ? next : (list.IndexOf(filter, record) >= 0 ? record : nullptr);
    }
    int DisplayedCount() override { return list.Count(filter); }
    void ShowSlide(CImageItem& record) override {
        list.TrimPictureCache(&record);
        photo.SetHost(this);
        photo.Open(&record);
        UpdateWindow(&photo);
        shown.push_back(record.FileName());
        shownAt.push_back(GetTickCount());
        if (afterShow) afterShow(record);
    }
    void SlideShowEnded() override {
        ++ended;
        Leave();
    }
    UINT ShowImagePopup(CImageItem&, Point) override { return 0; }

    // A file removed from outside: every holder lets go before it is freed.
    void Remove(CImageItem* record) {
        photo.Forget(record);
        show.Forget(record);
        list.Remove(record);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == ImageExitMessage()) {
            ++exits;
            Leave();
            return 0;
        }
        if (message == WM_TIMER && show.OnTimer(wParam)) return 0;
        return DefWindowProc(message, wParam, lParam);
    }

private:
    void Leave() {
        show.Stop();
        photo.ShowWindow(false);
    }
};

class SlideShowTest : public ViewerTest {
protected:
    SlideHost host;

    void SetUp() override {
        ASSERT_TRUE(host.Make());
        SetSlideDuration(0);  // 2 seconds
    }
    CImageItem* Add(const std::string& fixture, const std::string& name) {
        return host.list.Insert(Record(AddFixture(fixture, name)));
    }
    void AddPhotos(int count) {
        for (int i = 0; i < count; ++i)
            Add(i % 2 ? "viewer/portrait.jpg" : "viewer/landscape.jpg", std::string(1, char('a' + i)) + ".jpg");
    }
    void RunFor(uint32_t ms) {
        screen.backend.Wait(ms);
        screen.Run();
    }
    std::vector<std::u16string> Names(std::initializer_list<const char16_t*> names) {
        return std::vector<std::u16string>(names.begin(), names.end());
    }
    bool AnyTimer() {
        for (uintptr_t id : {TIMER_SLIDE_START, TIMER_SLIDE_FIRST, TIMER_SLIDE_NEXT})
            if (screen.manager.HasTimer(&host, id)) return true;
        return false;
    }
};

// One displayed photo keeps being shown, once a duration, "Manual" being
// a duration of 65535 ms like the others.
struct DurationCase {
    uint16_t index;
    uint32_t ms;
};

class SlideDurationTest : public SlideShowTest, public testing::WithParamInterface<DurationCase> {};

TEST_P(SlideDurationTest, OnePhotoIsShownAgainEveryDuration) {
    SetSlideDuration(GetParam().index);
    AddPhotos(1);
    host.show.Start();
    RunFor(GetParam().ms * 3 + 10);
    ASSERT_EQ(host.shown.size(), 4u);
    for (size_t i = 1; i < host.shownAt.size(); ++i)
        EXPECT_EQ(host.shownAt[i] - host.shownAt[i - 1], GetParam().ms);
    EXPECT_TRUE(host.show.IsRunning());
}

INSTANTIATE_TEST_SUITE_P(Durations, SlideDurationTest,
                         testing::Values(DurationCase{0, 2000}, DurationCase{3, 10000}, DurationCase{12, 65535}));

TEST_F(SlideShowTest, ListOrderRunsPastTheLastPhotoBackToTheFirst) {
    AddPhotos(3);
    host.show.Start();
    RunFor(2000 * 6 + 10);
    EXPECT_EQ(host.shown, Names({u"a.jpg", u"b.jpg", u"c.jpg", u"a.jpg", u"b.jpg", u"c.jpg", u"a.jpg"}));
    EXPECT_TRUE(host.show.IsRunning());
    EXPECT_EQ(host.ended + host.exits, 0);
}

TEST_F(SlideShowTest, RandomOrderShowsEveryPhotoOncePerPass) {
    SetSlideShowRandomOrder(true);
    AddPhotos(5);
    host.show.Start();
    RunFor(2000 * 9 + 10);
    ASSERT_EQ(host.shown.size(), 10u);
    const std::set<std::u16string> all(host.shown.begin(), host.shown.end());
    EXPECT_EQ(all.size(), 5u);
    EXPECT_EQ(std::set<std::u16string>(host.shown.begin(), host.shown.begin() + 5).size(), 5u);
    EXPECT_EQ(std::set<std::u16string>(host.shown.begin() + 5, host.shown.end()).size(), 5u);
}

TEST_F(SlideShowTest, ATapDuringAPreparationEndsTheShow) {
    AddPhotos(3);
    // When b goes on screen the stylus taps, so that the tap is waiting
    // while c is being made.
    host.afterShow = [&](CImageItem& record) {
        if (record.FileName() != u"b.jpg") return;
        screen.manager.InjectInput({InputKind::StylusDown, {120, 160}, 0, 0});
        screen.manager.InjectInput({InputKind::StylusUp, {120, 160}, 0, 0});
    };
    host.show.Start();
    RunFor(2000 + 10);
    EXPECT_EQ(host.shown, Names({u"a.jpg", u"b.jpg"}));
    EXPECT_EQ(host.list.Nth({}, 2)->GetPicture(), nullptr) << "c's decode was abandoned";
    EXPECT_EQ(host.exits, 1);
    EXPECT_FALSE(host.show.IsRunning());
    EXPECT_FALSE(AnyTimer());
    RunFor(10000);
    EXPECT_EQ(host.shown.size(), 2u);
}

TEST_F(SlideShowTest, AnUnreadableSlideIsPassedOver) {
    Add("viewer/landscape.jpg", "a.jpg");
    Add("jpeg/garbage512.jpg", "b.jpg");
    Add("viewer/portrait.jpg", "c.jpg");
    host.show.Start();
    RunFor(2000 * 4 + 10);
    EXPECT_EQ(host.shown, Names({u"a.jpg", u"c.jpg", u"a.jpg", u"c.jpg", u"a.jpg"}));
    EXPECT_TRUE(host.show.IsRunning());
}

TEST_F(SlideShowTest, TheShowEndsWhenNoPhotoCanBeShown) {
    Add("jpeg/garbage512.jpg", "a.jpg");
    Add("jpeg/garbage512.jpg", "b.jpg");
    host.show.Start();
    RunFor(10000);
    EXPECT_EQ(host.ended, 1);
    EXPECT_FALSE(host.show.IsRunning());
    EXPECT_FALSE(AnyTimer());
    EXPECT_FALSE(host.photo.IsWindowVisible());
}

// The slide being made ready, then the one on screen, vanish while the
// show runs: the show moves on and nothing uses a freed record.
TEST_F(SlideShowTest, RecordsRemovedDuringTheShowAreNeverUsed) {
    AddPhotos(4);
    host.show.Start();
    RunFor(10);
    ASSERT_EQ(host.show.SlideRecord(), host.list.Nth({}, 1));
    host.Remove(host.list.Nth({}, 1));
    RunFor(2000);
    EXPECT_EQ(host.shown, Names({u"a.jpg", u"c.jpg"}));
    host.Remove(host.list.Nth({}, 1));  // c, on screen
    EXPECT_EQ(host.photo.GetImage(), nullptr);
    RunFor(2000 * 2);
    EXPECT_EQ(host.shown, Names({u"a.jpg", u"c.jpg", u"d.jpg", u"a.jpg"}));
}

TEST_F(SlideShowTest, SlidesAreTurnedToFitEvenWithAutoRotateOff) {
    SetAutoRotate(false);
    Add("viewer/landscape.jpg", "a.jpg");
    CImageItem* second = Add("viewer/landscape.jpg", "b.jpg");
    host.show.Start();
    RunFor(2000 + 10);
    EXPECT_EQ(host.list.Nth({}, 0)->GetPicture()->Height(), 180) << "the first is shown as the single view does";
    ASSERT_NE(second->GetPicture(), nullptr);
    EXPECT_EQ(second->GetPicture()->Height(), 320);
    EXPECT_TRUE(NearColour(ScreenAt(60, 10), BLUE)) << "turned, over the whole screen";
}

}  // namespace
