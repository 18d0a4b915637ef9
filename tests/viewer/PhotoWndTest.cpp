#include <gtest/gtest.h>

#include <vector>

#include "handheld/CameraOrientationPreference.h"
#include "handheld/Strings.h"
#include "imaging/JpegPicture.h"
#include "platform/base/File.h"
#include "tests/viewer/ViewerTestSupport.h"
#include "viewer/PhotoWnd.h"

namespace {

using namespace viewer_test;

// The popup menu of the browser, answered with a chosen command.
class PopupAnswer : public PhotoWndHost {
public:
    UINT command = 0;
    int opened = 0;
    UINT ShowImagePopup(CImageItem&, Point) override {
        ++opened;
        return command;
    }
};

class PhotoWndTest : public ViewerTest {
protected:
    std::vector<Seen> log;
    LoggingWindow parent{&log};
    CPhotoWnd photo;
    PopupAnswer popup;

    void SetUp() override {
        ASSERT_TRUE(parent.Create(nullptr, {0, 0, 240, 320}, 0, u"view", WS_VISIBLE));
        parent.ignored = {WM_PAINT, WM_ERASEBKGND};
        ASSERT_TRUE(photo.Create(&parent));
        photo.SetHost(&popup);
    }
    void Show(CImageItem* record) {
        photo.Open(record);
        screen.manager.UpdateWindow(&photo);
    }
    int Exits() const { return int(Only(log, {ImageExitMessage()}).size()); }
    // The view's pixels, row by row.
    std::vector<uint32_t> ViewPixels() {
        std::vector<uint32_t> pixels;
        const Rect view = photo.ViewRect();
        for (int32_t y = view.top; y < view.bottom; ++y)
            for (int32_t x = view.left; x < view.right; ++x) pixels.push_back(ScreenAt(x, y));
        return pixels;
    }
};

// Where quadrants red | green over blue | white land, and whether white
// bands lie above and below.
struct RotateCase {
    const char* fixture;
    bool autoRotate;
    uint32_t topLeft, topRight, bottomLeft, bottomRight;
    bool bands;
};

class AutoRotateTest : public PhotoWndTest, public testing::WithParamInterface<RotateCase> {};

TEST_P(AutoRotateTest, PicturesTurnOnlyWhenTheShapesDifferAndThePreferenceAllows) {
    const RotateCase& c = GetParam();
    SetAutoRotate(c.autoRotate);
    auto record = Record(AddFixture(c.fixture, "photo.jpg"));
    Show(record.get());
    ASSERT_EQ(photo.LastError(), 0);
    // A quarter turn clockwise brings blue to the top left.
    const int32_t top = c.bands ? 70 : 0, bottom = c.bands ? 250 : 320;
    const int32_t upper = top + (bottom - top) / 4, lower = bottom - (bottom - top) / 4;
    EXPECT_TRUE(NearColour(ScreenAt(60, upper), c.topLeft)) << std::hex << ScreenAt(60, upper);
    EXPECT_TRUE(NearColour(ScreenAt(180, upper), c.topRight)) << std::hex << ScreenAt(180, upper);
    EXPECT_TRUE(NearColour(ScreenAt(60, lower), c.bottomLeft)) << std::hex << ScreenAt(60, lower);
    EXPECT_TRUE(NearColour(ScreenAt(180, lower), c.bottomRight)) << std::hex << ScreenAt(180, lower);
    for (int32_t y : {0, 69, 250, 319}) {
        const bool band = c.bands && (y < 70 || y >= 250);
        EXPECT_EQ(ScreenAt(10, y) == WHITE && ScreenAt(230, y) == WHITE, band) << "row " << y;
    }
    const Bitmap* picture = record->GetPicture();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width(), 240);
    EXPECT_EQ(picture->Height(), c.bands ? 180 : 320);
}

INSTANTIATE_TEST_SUITE_P(
    Photos, AutoRotateTest,
    testing::Values(RotateCase{"viewer/landscape.jpg", true, BLUE, RED, WHITE, GREEN, false},
                    RotateCase{"viewer/landscape.jpg", false, RED, GREEN, BLUE, WHITE, true},
                    RotateCase{"viewer/portrait.jpg", true, RED, GREEN, BLUE, WHITE, false},
                    RotateCase{"viewer/portrait.jpg", false, RED, GREEN, BLUE, WHITE, false}));

TEST_F(PhotoWndTest, ShowingAPhotoAgainDrawsTheKeptPictureWithoutOpeningTheFile) {
    auto first = Record(AddFixture("viewer/landscape.jpg", "a.jpg"));
    auto second = Record(AddFixture("viewer/portrait.jpg", "b.jpg"));
    Show(first.get());
    const std::vector<uint32_t> shown = ViewPixels();
    const Bitmap* picture = first->GetPicture();
    Show(second.get());
    EXPECT_NE(ViewPixels(), shown);
    const uint64_t opens = File::OpenCount();
    Show(first.get());
    EXPECT_EQ(File::OpenCount(), opens);
    EXPECT_EQ(first->GetPicture(), picture);
    EXPECT_EQ(ViewPixels(), shown);
}

TEST_F(PhotoWndTest, ATapOrEnterLeavesThePictureAndTheFullScreen) {
    auto record = Record(AddFixture("viewer/landscape.jpg", "a.jpg"));
    Show(record.get());
    EXPECT_TRUE(fullScreen.IsFullScreen());
    screen.backend.Tap({120, 160});
    screen.Run();
    EXPECT_EQ(Exits(), 1);
    EXPECT_FALSE(fullScreen.IsFullScreen());
    SendMessage(&photo, WM_KEYUP, VK_RETURN, 0);
    EXPECT_EQ(Exits(), 2);
}

// The release that ends a tap-and-hold never leaves the picture, whatever
// the menu gave; "Zoom" enters zoom mode.
struct HoldCase {
    UINT command;
    bool zoomed;
};

class HoldTest : public PhotoWndTest, public testing::WithParamInterface<HoldCase> {};

TEST_P(HoldTest, TheReleaseAfterThePopupMenuStaysOnThePicture) {
    auto record = Record(AddFixture("viewer/landscape.jpg", "a.jpg"));
    Show(record.get());
    popup.command = GetParam().command;
    screen.backend.Hold({120, 160});
    screen.Run();
    EXPECT_EQ(popup.opened, 1);
    EXPECT_EQ(Exits(), 0);
    EXPECT_EQ(photo.IsZoomed(), GetParam().zoomed);
    if (GetParam().zoomed) return;
    screen.backend.Tap({120, 160});
    screen.Run();
    EXPECT_EQ(Exits(), 1) << "the next tap leaves";
}

INSTANTIATE_TEST_SUITE_P(Commands, HoldTest,
                         testing::Values(HoldCase{ID_IMAGE_NOTE, false}, HoldCase{0, false},
                                         HoldCase{ID_IMAGE_ZOOM, true}));

TEST_F(PhotoWndTest, ATemporaryRecordOffersNoPopupMenu) {
    auto record = Record(AddFixture("viewer/landscape.jpg", "a.jpg"));
    record->SetTemporary(true);
    Show(record.get());
    screen.backend.Hold({120, 160});
    screen.Run();
    EXPECT_EQ(popup.opened, 0);
    EXPECT_EQ(Exits(), 1) << "without a menu the release leaves";
}

TEST_F(PhotoWndTest, ZoomThenAnotherPhotoShowsItUnzoomedOnTheWholeScreen) {
    auto first = Record(AddFixture("viewer/landscape.jpg", "a.jpg"));
    auto next = Record(AddFixture("viewer/portrait.jpg", "b.jpg"));
    Show(first.get());
    photo.EnterZoom();
    screen.manager.UpdateWindow(&photo);
    EXPECT_EQ(photo.ViewRect(), (Rect{0, 0, 240, 292}));
    EXPECT_TRUE(photo.ZoomBar().IsWindowVisible());
    // Down in the browser shows the next displayed image.
    photo.SetImage(next.get());
    screen.manager.UpdateWindow(&photo);
    EXPECT_FALSE(photo.IsZoomed());
    EXPECT_FALSE(photo.ZoomBar().IsWindowVisible());
    EXPECT_EQ(photo.ViewRect(), (Rect{0, 0, 240, 320}));
    EXPECT_TRUE(NearColour(ScreenAt(180, 300), WHITE));
    EXPECT_TRUE(NearColour(ScreenAt(60, 300), BLUE)) << "the bar's place shows the photo again";
    // Tapping while zoomed does not leave; "Done" ends zoom mode.
    photo.EnterZoom();
    screen.backend.Tap({120, 100});
    screen.Run();
    EXPECT_EQ(Exits(), 0);
    SendMessage(&photo, WM_COMMAND, MAKEWPARAM(ID_ZOOM_DONE, 0), 0);
    EXPECT_FALSE(photo.IsZoomed());
}

TEST_F(PhotoWndTest, TheZoomBarHoldsItsSixControlsInPlace) {
    photo.EnterZoom();
    EXPECT_EQ(photo.ZoomBar().GetRect(), (Rect{0, 292, 240, 320}));
    const std::vector<std::pair<int, Rect>> expected = {
        {ID_ZOOM_DONE, {3, 3, 42, 25}},   {ID_ZOOM_FIT, {45, 3, 68, 25}},   {ID_ZOOM_OUT, {71, 3, 87, 25}},
        {ID_ZOOM_SLIDER, {88, 3, 173, 25}}, {ID_ZOOM_IN, {174, 3, 190, 25}}, {ID_ZOOM_ACTUAL, {193, 3, 238, 25}},
    };
    for (const auto& [id, rect] : expected) {
        Window* control = photo.ZoomBar().GetDlgItem(id);
        ASSERT_NE(control, nullptr) << id;
        EXPECT_EQ(control->GetRect(), rect) << id;
    }
    EXPECT_EQ(photo.ZoomBar().GetDlgItem(ID_ZOOM_DONE)->GetWindowText(), u"Done");
    EXPECT_EQ(photo.ZoomBar().GetDlgItem(ID_ZOOM_ACTUAL)->GetWindowText(), u"100%");
}

// The error text breaks into lines that stay on the screen, centred.
TEST_F(PhotoWndTest, AnUnreadableFileShowsItsErrorWrappedOnTheScreen) {
    auto record = Record(AddFixture("jpeg/garbage512.jpg", "bad.jpg"));
    Show(record.get());
    EXPECT_NE(photo.LastError(), 0);
    EXPECT_EQ(record->GetPicture(), nullptr);
    int32_t left = 240, right = 0, top = 320, bottom = 0;
    for (int32_t y = 0; y < 320; ++y)
        for (int32_t x = 0; x < 240; ++x)
            if (ScreenAt(x, y) != WHITE) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    ASSERT_LT(left, right) << "text drawn";
    EXPECT_GE(left, 8);
    EXPECT_LT(right, 232);
    EXPECT_GT(bottom - top, 20) << "more than one line";
    EXPECT_LT(std::abs((top + bottom) / 2 - 160), 6) << "centred vertically";
    // Every repaint tries again.
    const uint64_t opens = File::OpenCount();
    InvalidateRect(&photo, nullptr, true);
    screen.manager.UpdateWindow(&photo);
    EXPECT_GT(File::OpenCount(), opens);
}

TEST_F(PhotoWndTest, ACameraTurnedPhotoStandsUpOnlyWithTheOrientationPreference) {
    SetAutoRotate(false);
    EXPECT_FALSE(GetFollowCameraOrientation()) << "off by default";
    auto plain = Record(AddFixture("viewer/landscape_orientation6.jpg", "a.jpg"));
    Show(plain.get());
    EXPECT_TRUE(NearColour(ScreenAt(60, 100), RED));
    EXPECT_EQ(ScreenAt(120, 20), WHITE) << "a landscape band";

    SetFollowCameraOrientation(true);
    auto turned = Record(AddFixture("viewer/landscape_orientation6.jpg", "b.jpg"));
    Show(turned.get());
    EXPECT_TRUE(NearColour(ScreenAt(60, 80), BLUE));
    EXPECT_TRUE(NearColour(ScreenAt(180, 80), RED));
    EXPECT_TRUE(NearColour(ScreenAt(60, 240), WHITE));
    EXPECT_TRUE(NearColour(ScreenAt(180, 240), GREEN));
    EXPECT_EQ(turned->GetPicture()->Height(), 320);
}

}  // namespace
