#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/ImageItemList.h"
#include "dialogs/CategoryCommands.h"
#include "dialogs/DialogIds.h"
#include "platform/controls/ComboBoxControl.h"
#include "tests/catalogue/ImageFiles.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/dialogs/FakeBrowser.h"

namespace {

using namespace image_files;

const std::u16string kMain(MAIN_PHOTO_FOLDER);
const std::u16string kCardFolder = u"\\Storage Card\\My Documents\\Kestrelview";
constexpr char16_t kExistsThere[] = u"An image with the same name already exists at the new location.";
constexpr char16_t kMoveFailed[] =
    u"There was an error moving one or more images to the new location. Check to make sure there's "
    u"sufficient space and that you have write access.";
constexpr char16_t kLocationGone[] = u"That location is no longer there. Choose another one.";

// Three photos in internal storage are displayed (the location filter);
// one in the card's camera folder is not.
class GroupCommandTest : public DialogHostTest {
protected:
    FakeBrowser view;
    CImageItemList photos;
    ImageFilter displayed{kMain, CATEGORY_ID_ALL};
    ModalResponder responder;
    RecordId beach{}, harbour{};

    void SetUp() override {
        DialogHostTest::SetUp();
        ASSERT_EQ(view.db.Add(u"Harbour", harbour), 0);
        ASSERT_EQ(view.db.Add(u"Beach", beach), 0);
        view.locations.Add(kMain, STRING_INTERNAL, false);
        view.locations.Add(u"\\Storage Card", u"Storage Card", true);
        photos.SetCategoryDB(&view.db);
        for (const std::u16string& path : {kMain + u"\\a.jpg", kMain + u"\\b.jpg", kMain + u"\\c.jpg",
                                           std::u16string(u"\\Storage Card\\DCIM\\100ABC\\d.jpg")}) {
            PutFile(device, path, WithTrailer(PlainJpeg(), Filed(harbour)));
            photos.Insert(RecordOf(path, path.starts_with(u"\\Storage")));
        }
        responder.onMessageBox = [](const ShownMessageBox&) { return IDOK; };
    }

    // Picks the entry of that text in the dialog's drop-down list.
    static void Choose(Window& shown, int comboId, std::u16string_view text) {
        auto* combo = static_cast<Dialog&>(shown).GetControl<ComboBoxControl>(comboId);
        ASSERT_NE(combo, nullptr);
        const int at = combo->FindStringExact(-1, text);
        ASSERT_GE(at, 0) << Utf16ToUtf8(text);
        combo->SetCurSel(at);
    }
    static std::vector<std::u16string> Entries(Window& shown, int comboId) {
        auto* combo = static_cast<Dialog&>(shown).GetControl<ComboBoxControl>(comboId);
        std::vector<std::u16string> texts;
        for (int i = 0; i < combo->GetCount(); ++i)
            texts.push_back(combo->GetLBText(i));
        return texts;
    }
    static std::u16string Selected(Window& shown, int comboId) {
        auto* combo = static_cast<Dialog&>(shown).GetControl<ComboBoxControl>(comboId);
        return combo->GetLBText(combo->GetCurSel());
    }
    // The category kept in the photo's trailer, read from the file.
    static RecordId StoredCategory(std::u16string_view path) { return RecordOf(path)->GetCategory(); }
    std::vector<std::u16string> BoxTexts() const {
        std::vector<std::u16string> texts;
        for (const ShownMessageBox& box : responder.boxes)
            texts.push_back(box.text);
        return texts;
    }
};

TEST_F(GroupCommandTest, CategorizeAllFilesEveryDisplayedPhoto) {
    struct Case {
        const char* name;
        std::u16string chosen;  // empty: cancelled
        RecordId expected;
    };
    const Case cases[] = {
        {"cancelled", u"", {}},
        {"a category", u"Beach", {}},
        {"unfiled", u"Unfiled", CATEGORY_ID_UNFILED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (size_t i = 0; i < photos.Size(); ++i)
            ASSERT_EQ(photos.SetCategory(*photos.At(i), harbour), 0);
        responder.onDialog = [&](Window& shown) {
            // Sorted, "Unfiled" at its alphabetical place and chosen at first.
            EXPECT_EQ(Entries(shown, IDC_CATEGORIZE_CATEGORY),
                      (std::vector<std::u16string>{u"Beach", u"Harbour", u"Unfiled"}));
            EXPECT_EQ(Selected(shown, IDC_CATEGORIZE_CATEGORY), u"Unfiled");
            ExpectLaidOut(static_cast<Dialog&>(shown));
            Shoot("Categorize All");
            if (c.chosen.empty())
                return IDCANCEL;
            Choose(shown, IDC_CATEGORIZE_CATEGORY, c.chosen);
            return IDOK;
        };
        const RecordId expected = c.chosen == u"Beach" ? beach : c.chosen.empty() ? harbour : c.expected;
        EXPECT_EQ(RunCategorizeAllCommand(&host, view, photos, displayed), c.chosen.empty() ? IDCANCEL : IDOK);
        for (const char16_t* name : {u"a.jpg", u"b.jpg", u"c.jpg"})
            EXPECT_EQ(StoredCategory(kMain + u"\\" + name), expected) << Utf16ToUtf8(name);
        EXPECT_EQ(StoredCategory(u"\\Storage Card\\DCIM\\100ABC\\d.jpg"), harbour) << "not displayed";
        EXPECT_EQ(shell.WaitCursorDepth(), 0);
    }
}

TEST_F(GroupCommandTest, MoveAllMovesTheDisplayedPhotosAndTellsWhyItStopped) {
    struct Case {
        const char* name;
        const char* block;  // what stands in the way on the card
        std::vector<std::u16string> boxes;
        std::vector<std::u16string> moved;
    };
    const Case cases[] = {
        {"all moved", "", {}, {u"a.jpg", u"b.jpg", u"c.jpg"}},
        {"a name taken there", "Storage Card/My Documents/Kestrelview/b.jpg", {kExistsThere}, {u"a.jpg"}},
        {"no photo folder can be made", "Storage Card/My Documents", {kMoveFailed}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDevice fresh;
        for (const char16_t* name : {u"a.jpg", u"b.jpg", u"c.jpg"})
            PutFile(fresh, kMain + u"\\" + name, PlainJpeg());
        if (*c.block)
            WriteHostFile(fresh.Host(c.block), {1});
        responder.boxes.clear();
        responder.onDialog = [&](Window& shown) {
            // Sorted by display name, internal storage chosen at first.
            EXPECT_EQ(Entries(shown, IDC_MOVE_LOCATION),
                      (std::vector<std::u16string>{u"Internal", u"Storage Card"}));
            EXPECT_EQ(Selected(shown, IDC_MOVE_LOCATION), u"Internal");
            ExpectLaidOut(static_cast<Dialog&>(shown));
            Shoot("Move All");
            Choose(shown, IDC_MOVE_LOCATION, u"Storage Card");
            return IDOK;
        };
        EXPECT_EQ(RunMoveAllCommand(&host, view, photos, displayed), IDOK);
        EXPECT_EQ(BoxTexts(), c.boxes);
        for (const char16_t* name : {u"a.jpg", u"b.jpg", u"c.jpg"}) {
            const bool moved = std::find(c.moved.begin(), c.moved.end(), name) != c.moved.end();
            if (moved) {
                EXPECT_TRUE(HostExists(fresh, kCardFolder + u"\\" + name)) << Utf16ToUtf8(name);
            }
            EXPECT_EQ(HostExists(fresh, kMain + u"\\" + name), !moved) << Utf16ToUtf8(name);
        }
        EXPECT_EQ(shell.WaitCursorDepth(), 0);
    }
}

TEST_F(GroupCommandTest, ALocationThatGoesAwayWhileMoveAllIsOpenIsNotUsed) {
    int round = 0;
    responder.onDialog = [&](Window& shown) {
        if (round++ == 0) {
            Choose(shown, IDC_MOVE_LOCATION, u"Storage Card");
            // The card is taken out: the view drops its location.
            EXPECT_TRUE(view.locations.Remove(u"\\Storage Card"));
            return IDOK;
        }
        // Told, and offered the locations there are now.
        EXPECT_EQ(Entries(shown, IDC_MOVE_LOCATION), std::vector<std::u16string>{u"Internal"});
        return IDCANCEL;
    };
    EXPECT_EQ(RunMoveAllCommand(&host, view, photos, displayed), IDCANCEL);
    EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{kLocationGone});
    for (const char16_t* name : {u"a.jpg", u"b.jpg", u"c.jpg"})
        EXPECT_TRUE(HostExists(device, kMain + u"\\" + name));
}

}  // namespace
