#include <gtest/gtest.h>

#include "tests/viewer/ViewerTestSupport.h"
#include "viewer/SinglePhotoView.h"

namespace {

using namespace viewer_test;

class SinglePhotoViewTest : public ViewerTest {
protected:
    CSinglePhotoView view;

    void SetUp() override {
        ASSERT_TRUE(view.Create(nullptr, {0, 0, 240, 320}, 0, u"view", WS_VISIBLE));
        view.OnInitialUpdate();
    }
    std::u16string OnCard(const std::string& fixture) {
        MakeHostDirs(device.Host("Storage Card/DCIM/100CAMERA"));
        WriteHostFile(device.Host("Storage Card/DCIM/100CAMERA/card.jpg"), ReadHostFile(FixturePath(fixture)));
        return u"\\Storage Card\\DCIM\\100CAMERA\\card.jpg";
    }
};

TEST_F(SinglePhotoViewTest, AFileOpensAsATemporaryRecordOnTheWholeScreen) {
    EXPECT_EQ(view.OpenFile(AddFixture("viewer/portrait.jpg", "a.jpg")), 0);
    CImageItem* record = view.Record();
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(record->IsTemporary());
    EXPECT_FALSE(record->IsRemovable());
    EXPECT_TRUE(view.Photo().IsWindowVisible());
    EXPECT_EQ(view.Photo().GetImage(), record);
    EXPECT_TRUE(fullScreen.IsFullScreen());
    EXPECT_TRUE(NearColour(ScreenAt(60, 80), RED));
}

TEST_F(SinglePhotoViewTest, AnotherPathReplacesTheRecordAndACardPathIsRemovable) {
    view.OpenFile(AddFixture("viewer/portrait.jpg", "a.jpg"));
    const std::u16string path = OnCard("viewer/landscape.jpg");
    SendMessage(&view, ImageSelectedMessage(), 1, reinterpret_cast<LPARAM>(path.c_str()));
    ASSERT_NE(view.Record(), nullptr);
    EXPECT_EQ(view.Record()->GetPath(), path);
    EXPECT_TRUE(view.Record()->IsRemovable());
    EXPECT_EQ(view.Photo().GetImage(), view.Record());
    EXPECT_EQ(view.LastError(), 0);
}

TEST_F(SinglePhotoViewTest, LeavingThePictureQuitsAndFocusReturnsToFullScreen) {
    view.OpenFile(AddFixture("viewer/portrait.jpg", "a.jpg"));
    fullScreen.SetFullScreen(false, false);
    SetFocus(nullptr);
    SetFocus(&view);
    EXPECT_TRUE(fullScreen.IsFullScreen());
    // Enter reaches the photo window through the view.
    screen.backend.Key(VK_RETURN);
    MSG msg;
    while (screen.manager.GetMessage(msg)) {
        screen.manager.TranslateMessage(msg);
        screen.manager.DispatchMessage(msg);
    }
    EXPECT_EQ(msg.message, WM_QUIT);
}

TEST_F(SinglePhotoViewTest, AMissingFileShowsItsError) {
    AddFixture("viewer/portrait.jpg", "a.jpg");
    EXPECT_EQ(view.OpenFile(u"\\My Documents\\Kestrelview\\none.jpg"), 2);
    EXPECT_EQ(ScreenAt(5, 5), WHITE);
}

}  // namespace
