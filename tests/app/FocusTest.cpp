#include <gtest/gtest.h>

#include "browser/KestrelviewHHView.h"
#include "handheld/Strings.h"
#include "handheld/ViewModes.h"
#include "platform/shell/MenuBar.h"
#include "tests/app/AppTestSupport.h"
#include "viewer/SinglePhotoView.h"

namespace {

// The program on a device holding three photos, in the list mode.
struct FocusTest : ::testing::Test {
    StartedProgram program;
    void SetUp() override {
        const std::vector<uint8_t> photo = ReadHostFile(FixturePath("jpeg/baseline.jpg"));
        MakeHostDirs(program.device.Host("My Documents/Kestrelview"));
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
            WriteHostFile(program.device.Host(std::string("My Documents/Kestrelview/") + name), photo);
        ASSERT_TRUE(program.Start());
    }
    CKestrelviewHHView& View() { return *dynamic_cast<CKestrelviewHHView*>(program.Frame().GetActiveView()); }
};

TEST_F(FocusTest, AtStartTheFrameIsActiveAndItsViewHoldsTheFocus) {
    WindowManager& manager = program.screen.manager;
    EXPECT_EQ(manager.GetActiveWindow(), &program.Frame());
    const HWND focus = manager.GetFocus();
    EXPECT_TRUE(focus == &View() || View().IsChild(focus));
    // Not the menu bar, the top-most window, which used to take the keys.
    EXPECT_FALSE(program.Frame().GetMenuBar()->GetHwnd() == focus);
}

TEST_F(FocusTest, ArrowKeysReachTheFocusedList) {
    SendMessage(&program.Frame(), WM_COMMAND, ID_MODE_LIST, 0);
    ASSERT_EQ(View().Mode(), uint32_t(VIEW_LIST));
    ListViewControl& list = View().List();
    ASSERT_EQ(list.GetItemCount(), 3);
    list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    program.screen.backend.Key(VK_DOWN);
    program.screen.backend.Key(VK_DOWN);
    program.Run();
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 2);
}

TEST(SinglePhotoFocusTest, TheViewGettingTheFocusAtStartPutsTheFrameFullScreen) {
    StartedProgram program;
    ASSERT_TRUE(program.Start(Utf8ToUtf16(FixturePath("jpeg/baseline.jpg"))));
    auto* view = dynamic_cast<CSinglePhotoView*>(program.Frame().GetActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(program.screen.manager.GetFocus(), view);
    EXPECT_TRUE(program.Frame().IsFullScreen());
}

}  // namespace
