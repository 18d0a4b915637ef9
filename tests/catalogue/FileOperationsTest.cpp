#include "catalogue/FileOperations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/FolderList.h"
#include "catalogue/ImageItemList.h"
#include "platform/base/FileSystem.h"
#include "platform/base/WinError.h"
#include "tests/catalogue/ImageFiles.h"

using namespace image_files;

namespace {

const std::u16string kMain(MAIN_PHOTO_FOLDER);
const std::u16string kCardFolder = u"\\Storage Card\\My Documents\\Kestrelview";

class FileOperationsTest : public ::testing::Test {
protected:
    void SetUp() override { MakeHostDirs(m_device.Host("Storage Card")); }

    std::unique_ptr<CImageItem> Image(const std::u16string& path, bool removable = false) {
        PutFile(m_device, path, PlainJpeg());
        return RecordOf(path, removable);
    }
    bool Exists(std::u16string_view path) const { return HostExists(m_device, path); }

    TempDevice m_device;
    const CFolderItem m_internal{kMain, u"Internal", false};
    const CFolderItem m_card{u"\\Storage Card", u"Storage Card", true};
};

TEST_F(FileOperationsTest, MoveToACardMakesItsPhotoFolder) {
    auto image = Image(kMain + u"\\a.jpg");
    ASSERT_FALSE(Exists(u"\\Storage Card\\My Documents"));
    EXPECT_EQ(0u, MoveImageToLocation(*image, m_card));
    EXPECT_TRUE(Exists(kCardFolder + u"\\a.jpg"));
    EXPECT_FALSE(Exists(kMain + u"\\a.jpg"));
    EXPECT_TRUE(image->IsRemovable());
    EXPECT_EQ(kMain + u"\\a.jpg", image->GetPath()) << "the notification brings the new path";

    auto back = RecordOf(kCardFolder + u"\\a.jpg", true);
    EXPECT_EQ(0u, MoveImageToLocation(*back, m_internal));
    EXPECT_TRUE(Exists(kMain + u"\\a.jpg"));
    EXPECT_FALSE(back->IsRemovable());
}

TEST_F(FileOperationsTest, MoveWithinTheSameLocationDoesNothing) {
    const std::u16string inDcim = u"\\Storage Card\\DCIM\\100ABC\\p.jpg";
    auto image = Image(inDcim, true);
    EXPECT_EQ(0u, MoveImageToLocation(*image, m_card));
    EXPECT_TRUE(Exists(inDcim));
    EXPECT_FALSE(Exists(u"\\Storage Card\\My Documents"));
}

TEST_F(FileOperationsTest, ATakenNameGives80AndLeavesBothFiles) {
    auto image = Image(kMain + u"\\a.jpg");
    const auto other = WithTrailer(PlainJpeg(), Noted("the other one"));
    PutFile(m_device, kCardFolder + u"\\A.JPG", other);
    const uint32_t result = MoveImageToLocation(*image, m_card);
    EXPECT_EQ(ERROR_FILE_EXISTS, result);
    EXPECT_TRUE(Exists(kMain + u"\\a.jpg"));
    EXPECT_EQ(other, ReadHostFile(m_device.Host("Storage Card/My Documents/Kestrelview/A.JPG")));
    EXPECT_FALSE(image->IsRemovable());
    EXPECT_EQ(STRING_FILE_EXISTS, MoveImageFailureText(result).id);
    EXPECT_EQ(u"A file with that name already exists.", MoveImageFailureText(result).text);
}

TEST_F(FileOperationsTest, FailureTexts) {
    struct Case {
        uint32_t result;
        uint16_t one, all;
    };
    const Case cases[] = {{0, 0, 0},
                          {ERROR_FILE_EXISTS, STRING_FILE_EXISTS, STRING_MOVE_ALL_EXISTS},
                          {ERROR_ALREADY_EXISTS, STRING_MOVE_ERROR, STRING_MOVE_ALL_ERROR},
                          {ERROR_DISK_FULL, STRING_MOVE_ERROR, STRING_MOVE_ALL_ERROR}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        EXPECT_EQ(c.one, MoveImageFailureText(c.result).id);
        EXPECT_EQ(c.all, MoveAllFailureText(c.result).id);
        EXPECT_EQ(c.result == 0, MoveImageFailureText(c.result).text.empty());
        EXPECT_EQ(c.one, RenameFailureText(c.result).id);
    }
    EXPECT_EQ(STRING_INVALID_NAME, RenameFailureText(ERROR_INVALID_NAME).id);
    EXPECT_EQ(u"A file name cannot be empty or hold any of these characters: \\ / : * ? \" < > |",
              RenameFailureText(ERROR_INVALID_NAME).text);
    EXPECT_EQ(STRING_MOVE_ERROR, RenameFailureText(ERROR_WRITE_PROTECT).id);
    EXPECT_EQ(u"There was an error moving the file. Check that you have sufficient space and write access.",
              MoveImageFailureText(5).text);
    EXPECT_EQ(u"An image with the same name already exists at the new location.",
              MoveAllFailureText(ERROR_FILE_EXISTS).text);
    EXPECT_EQ(u"There was an error moving one or more images to the new location. Check to make sure "
              u"there's sufficient space and that you have write access.",
              MoveAllFailureText(5).text);
}

TEST_F(FileOperationsTest, Rename) {
    struct Case {
        const char* name;
        std::u16string from, title, expected;
        uint32_t result;
    };
    const Case cases[] = {
        {"jpeg becomes jpg", u"beach.jpeg", u"sunset", u"sunset.jpg", 0},
        {"letter case alone renames nothing", u"beach.jpg", u"BEACH", u"beach.jpg", 0},
        {"a taken name", u"beach.jpg", u"taken", u"beach.jpg", ERROR_FILE_EXISTS},
        {"a taken name in other letters", u"beach.jpg", u"TAKEN", u"beach.jpg", ERROR_FILE_EXISTS},
        {"a folder of that name", u"beach.jpg", u"folder", u"beach.jpg", ERROR_FILE_EXISTS},
        {"no moving through the title", u"beach.jpg", u"folder\\x", u"beach.jpg", ERROR_INVALID_NAME},
        {"an empty title", u"beach.jpg", u"", u"beach.jpg", ERROR_INVALID_NAME},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDevice device;
        PutFile(device, kMain + u"\\" + c.from, PlainJpeg());
        PutFile(device, kMain + u"\\taken.jpg", PlainJpeg());
        MakeHostDirs(device.Host("My Documents/Kestrelview/folder.jpg"));
        auto image = RecordOf(kMain + u"\\" + c.from);
        EXPECT_EQ(c.result, RenameImage(*image, c.title));
        EXPECT_TRUE(HostExists(device, kMain + u"\\" + c.expected));
        EXPECT_EQ(c.expected == c.from, HostExists(device, kMain + u"\\" + c.from));
    }
}

TEST_F(FileOperationsTest, MoveImageMakesOneFolderLevelUnlessAskedForAll) {
    struct Case {
        const char* name;
        std::u16string folder;
        bool createFolders;
        uint32_t result;
    };
    const Case cases[] = {
        {"one missing level", u"\\Storage Card\\New", false, 0},
        {"two missing levels", u"\\Storage Card\\New\\Deeper", false, ERROR_PATH_NOT_FOUND},
        {"two missing levels, made", u"\\Storage Card\\New\\Deeper", true, 0},
        {"a file in the way", u"\\Storage Card\\file.txt\\Deeper", true, ERROR_ALREADY_EXISTS},
        {"its own folder", kMain, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDevice device;
        MakeHostDirs(device.Host("Storage Card"));
        WriteHostFile(device.Host("Storage Card/file.txt"), {1});
        PutFile(device, kMain + u"\\a.jpg", PlainJpeg());
        auto image = RecordOf(kMain + u"\\a.jpg");
        EXPECT_EQ(c.result, MoveImage(*image, c.folder, c.createFolders));
        EXPECT_EQ(c.result == 0, HostExists(device, c.folder + u"\\a.jpg"));
        EXPECT_EQ(c.result != 0 || c.folder == kMain, HostExists(device, kMain + u"\\a.jpg"));
    }
}

TEST_F(FileOperationsTest, CreateFolderTree) {
    EXPECT_EQ(0u, CreateFolderTree(u"\\Storage Card\\A\\B\\C"));
    uint32_t attributes = 0;
    ASSERT_EQ(0u, GetFileAttributes(u"\\Storage Card\\A\\B\\C", attributes));
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(0u, CreateFolderTree(u"\\storage card\\a\\B\\"));
    EXPECT_EQ(0u, CreateFolderTree(u"\\"));
    WriteHostFile(m_device.Host("Storage Card/A/file"), {1});
    EXPECT_NE(0u, CreateFolderTree(u"\\Storage Card\\A\\file\\D"));
}

TEST_F(FileOperationsTest, MoveAllStopsAtTheFirstFailureAndKeepsEarlierMoves) {
    CImageItemList list;
    for (const auto* name : {u"a.jpg", u"b.jpg", u"c.jpg"}) {
        PutFile(m_device, kMain + u"\\" + name, PlainJpeg());
        list.Insert(RecordOf(kMain + u"\\" + name));
    }
    PutFile(m_device, kCardFolder + u"\\b.jpg", PlainJpeg());
    const ImageFilter all;
    const uint32_t result = MoveAllToLocation(list, all, m_card);
    EXPECT_EQ(ERROR_FILE_EXISTS, result);
    EXPECT_EQ(STRING_MOVE_ALL_EXISTS, MoveAllFailureText(result).id);
    EXPECT_TRUE(Exists(kCardFolder + u"\\a.jpg"));
    EXPECT_FALSE(Exists(kMain + u"\\a.jpg"));
    EXPECT_TRUE(Exists(kMain + u"\\b.jpg"));
    EXPECT_TRUE(Exists(kMain + u"\\c.jpg"));
    EXPECT_EQ(3, list.Count(all)) << "records change only through the notifications";

    // A card whose photo folder cannot be made.
    WriteHostFile(m_device.Host("CF Card/My Documents"), {1});
    const CFolderItem blocked{u"\\CF Card", u"CF Card", true};
    EXPECT_EQ(STRING_MOVE_ALL_ERROR, MoveAllFailureText(MoveAllToLocation(list, all, blocked)).id);
    EXPECT_TRUE(Exists(kMain + u"\\c.jpg"));
}

}  // namespace
