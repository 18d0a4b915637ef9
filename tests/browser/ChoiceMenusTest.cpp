#include "browser/ChoiceMenus.h"

#include <gtest/gtest.h>

#include "catalogue/FolderList.h"
#include "platform/base/Text.h"
#include "platform/shell/Menu.h"

namespace {

// Locations beyond what the ids of one menu hold are left out and said to
// be; every listed id reads back as its own location.
TEST(ChoiceMenusTest, LocationsBeyondTheRangeAreLeftOutAndSaidToBe) {
    struct Case {
        int locations;
        int listed;
        std::u16string last;
    };
    const Case cases[] = {{3, 3, u"Card 2"}, {256, 256, u"Card 255"}, {300, 256, u"(44 more not listed)"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locations);
        CFolderList locations;
        for (int i = 0; i < c.locations; ++i) {
            const std::u16string n = Utf8ToUtf16(std::to_string(i));
            locations.Add(u"\\Card " + n, u"Card " + n, true);
        }
        Menu menu;
        menu.AppendItem(MF_STRING, 32926, u"All");
        LocationChoices choices;
        choices.Fill(menu, -1, 5001, locations);
        EXPECT_EQ(menu.GetItemCount(), 1 + c.listed + (c.listed < c.locations ? 1 : 0));
        EXPECT_EQ(menu.GetItemText(UINT(menu.GetItemCount() - 1), MF_BYPOSITION), c.last);
        EXPECT_EQ(choices.LeftOut(), size_t(c.locations - c.listed));
        for (int i = 0; i < c.listed; ++i) {
            const UINT id = menu.GetItemId(i + 1);
            ASSERT_LE(id, 5256u);
            ASSERT_NE(choices.PathOf(id), nullptr);
            EXPECT_EQ(*choices.PathOf(id), u"\\Card " + Utf8ToUtf16(std::to_string(i)));
        }
        EXPECT_EQ(choices.PathOf(5001 + UINT(c.listed)), nullptr);
        EXPECT_EQ(choices.PathOf(5000), nullptr);
    }
}

}  // namespace
