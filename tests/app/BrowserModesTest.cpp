#include <gtest/gtest.h>

#include <filesystem>

#include "browser/KestrelviewHHView.h"
#include "handheld/Preferences.h"
#include "handheld/Strings.h"
#include "handheld/ViewModes.h"
#include "platform/controls/ToolBar.h"
#include "tests/app/AppTestSupport.h"

namespace {

// The program over a device folder with six photos: the browser starts in
// the stored mode, keys reach the control it shows, and the selection goes
// with the photo from one mode to the other.
struct BrowserModesTest : ::testing::Test {
    StartedProgram program;

    void SetUp() override {
        const std::string corpus = CorpusDir();
        ASSERT_FALSE(corpus.empty()) << "the JPEG corpus is missing";
        const std::string folder = program.device.Host("My Documents/Kestrelview");
        std::filesystem::create_directories(folder);
        const char* names[] = {"ian_Canon_40D.jpg", "ian_Nikon_D70.jpg", "ian_Pentax_K10D.jpg",
                               "ian_Sony_HDR-HC3.jpg", "ian_Kodak_CX7530.jpg", "ian_Nikon_COOLPIX_P1.jpg"};
        int i = 0;
        for (const char* name : names) {
            const std::string to = folder + "/photo" + std::to_string(i++) + ".jpg";
            std::filesystem::copy_file(corpus + "/camera/" + name, to);
            std::filesystem::permissions(to, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add);
        }
        ASSERT_TRUE(program.Start());
    }
    CKestrelviewHHView& View() {
        return *dynamic_cast<CKestrelviewHHView*>(program.Frame().GetActiveView());
    }
    void Mode(UINT command) {
        const ToolBar& bar = *program.Frame().GetToolBar();
        const Rect r = bar.ButtonRect(command);
        program.screen.backend.Tap(bar.ClientToScreen({(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
        program.screen.backend.Wait(1000);
        program.Run();
    }
    void Keys(std::initializer_list<UINT> keys) {
        for (UINT key : keys)
            program.screen.backend.Key(key);
        program.Run();
    }
};

TEST_F(BrowserModesTest, TheSelectionGoesWithThePhotoBetweenModes) {
    ASSERT_EQ(View().Mode(), VIEW_THUMBNAIL);
    EXPECT_TRUE(View().Grid().IsWindowVisible());
    EXPECT_FALSE(View().List().IsWindowVisible());
    EXPECT_EQ(View().Grid().Count(), 6);

    Keys({VK_RETURN, VK_RIGHT, VK_RIGHT});  // Enter without a selection selects photo 0
    EXPECT_EQ(View().Grid().GetAnchor(), 2);

    Mode(ID_MODE_LIST);
    ASSERT_EQ(View().Mode(), VIEW_LIST);
    EXPECT_TRUE(View().List().IsWindowVisible());
    EXPECT_FALSE(View().Grid().IsWindowVisible());
    EXPECT_EQ(View().List().GetItemCount(), 6);
    EXPECT_EQ(View().List().GetNextItem(-1, LVNI_SELECTED), 2);
    EXPECT_EQ(GetBrowserView(), VIEW_LIST) << "the mode is stored";

    Keys({VK_DOWN});
    EXPECT_EQ(View().List().GetNextItem(-1, LVNI_SELECTED), 3);

    Mode(ID_MODE_GALLERY);
    ASSERT_EQ(View().Mode(), VIEW_GALLERY);
    EXPECT_EQ(View().Grid().GetLayout(), GRID_GALLERY);
    EXPECT_TRUE(View().Grid().RecordAt(3)->IsSelected());
    EXPECT_FALSE(View().Grid().RecordAt(2)->IsSelected());

    Keys({VK_RETURN});
    EXPECT_EQ(View().ShownRecord(), View().Grid().RecordAt(3)) << "Enter opens the selected photo";
}

}  // namespace
