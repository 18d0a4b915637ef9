#include "browser/ImageDetailsChanges.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/FileOperations.h"
#include "catalogue/FolderList.h"
#include "catalogue/ImageItem.h"
#include "catalogue/ImageItemList.h"
#include "catalogue/StringTable.h"
#include "dialogs/ImageDetailsDlg.h"
#include "platform/base/FileSystem.h"
#include "platform/base/Text.h"
#include "platform/base/WinError.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr char16_t FOLDER[] = u"\\My Documents\\Kestrelview";
constexpr char16_t CARD[] = u"\\Storage Card";
const RecordId SEA{0, 0, 0, 0, 0, 0, 0, 7};

class ImageDetailsChangesTest : public ::testing::Test {
protected:
    TempDevice device;
    CFolderList locations;
    CImageItemList list;
    CImageItem* record = nullptr;

    void SetUp() override {
        MakeHostDirs(device.Host("My Documents/Kestrelview"));
        MakeHostDirs(device.Host("Storage Card"));
        const std::vector<uint8_t> jpeg = ReadHostFile(FixturePath("viewer/landscape.jpg"));
        WriteHostFile(device.Host("My Documents/Kestrelview/Beach.jpg"), jpeg);
        WriteHostFile(device.Host("My Documents/Kestrelview/Rock.jpg"), jpeg);
        locations.Add(FOLDER, u"Internal", false);
        locations.Add(CARD, u"Storage Card", true);
        auto item = std::make_unique<CImageItem>();
        ASSERT_EQ(item->InitFromFile(Path(FOLDER, u"Beach"), false), 0u);
        record = list.Insert(std::move(item));
        ASSERT_NE(record, nullptr);
    }

    static std::u16string Path(std::u16string_view folder, std::u16string_view title) {
        return std::u16string(folder) + u"\\" + std::u16string(title) + u".jpg";
    }
    // The photo as a fresh scan would read it.
    static std::unique_ptr<CImageItem> Reread(const std::u16string& path) {
        auto item = std::make_unique<CImageItem>();
        return item->InitFromFile(path, false) == 0 ? std::move(item) : nullptr;
    }

    ImageDetails Edited(std::u16string_view name, bool isPrivate) {
        ImageDetails details = ImageDetails::Of(*record);
        details.name = name;
        details.isPrivate = isPrivate;
        return details;
    }
};

TEST_F(ImageDetailsChangesTest, NothingChangedDoesNothing) {
    CImageDetailsChanges changes(*record, Edited(u"Beach", false), CATEGORY_ID_UNFILED, FOLDER);
    EXPECT_FALSE(changes.Any());
    EXPECT_EQ(changes.Apply(list, locations), 0u);
    EXPECT_NE(Reread(Path(FOLDER, u"Beach")), nullptr);
}

TEST_F(ImageDetailsChangesTest, EveryChangeIsCarriedOutTogether) {
    CImageDetailsChanges changes(*record, Edited(u"Beach at dawn", true), SEA, CARD);
    EXPECT_TRUE(changes.NameChanged() && changes.CategoryChanged() && changes.PrivateChanged() &&
                changes.LocationChanged());
    ASSERT_EQ(changes.Apply(list, locations), 0u) << Utf16ToUtf8(changes.FailureText());
    EXPECT_FALSE(PathExists(Path(FOLDER, u"Beach")));
    const auto moved = Reread(Path(u"\\Storage Card\\My Documents\\Kestrelview", u"Beach at dawn"));
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->GetCategory(), SEA);
    EXPECT_TRUE(moved->IsPrivate());
    EXPECT_TRUE(record->IsRemovable());
    EXPECT_EQ(record->GetPath(), Path(FOLDER, u"Beach")) << "the notification brings the new record";
}

TEST_F(ImageDetailsChangesTest, AFailedRenameOrMoveLeavesThePhotoAsItWas) {
    struct Case {
        const char* what;
        std::u16string_view name;
        std::u16string_view location;
        bool cardGone;
        uint32_t error;
        uint16_t text;
    };
    const Case cases[] = {
        {"the name is taken", u"Rock", FOLDER, false, ERROR_FILE_EXISTS, STRING_FILE_EXISTS},
        {"a name no file can have", u"Beach?", FOLDER, false, ERROR_INVALID_NAME, STRING_INVALID_NAME},
        {"renamed, then the card went", u"Beach at dawn", CARD, true, ERROR_PATH_NOT_FOUND, STRING_MOVE_ERROR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.cardGone)
            locations.Remove(CARD);
        CImageDetailsChanges changes(*record, Edited(c.name, true), SEA, c.location);
        EXPECT_EQ(changes.Apply(list, locations), c.error);
        EXPECT_EQ(changes.FailureText(), LoadString(c.text));
        // The file has its name, place and trailer of before, and so has the record.
        const auto same = Reread(Path(FOLDER, u"Beach"));
        ASSERT_NE(same, nullptr);
        EXPECT_EQ(same->GetCategory(), CATEGORY_ID_UNFILED);
        EXPECT_FALSE(same->IsPrivate());
        EXPECT_EQ(record->GetCategory(), CATEGORY_ID_UNFILED);
        EXPECT_FALSE(record->IsPrivate());
        EXPECT_FALSE(PathExists(Path(FOLDER, u"Beach at dawn")));
        EXPECT_FALSE(PathExists(Path(u"\\Storage Card\\My Documents\\Kestrelview", u"Beach at dawn")));
    }
}

}  // namespace
