#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "desktop/DeviceStorage.h"
#include "desktop/SyncReporter.h"
#include "platform/base/WinError.h"
#include "tests/desktop/SyncFixture.h"

namespace {

constexpr time_t kT0 = 1700000000;

class CardSyncTest : public SyncFixture {};

bool IsUpperHex(const std::string& s) {
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c)) && (c < 'A' || c > 'F')) return false;
    return true;
}

TEST_F(CardSyncTest, ANewCardGetsAnIdentityThatLaterRunsReuse) {
    std::string card = AddCard();
    Write(card + "/My Documents/Kestrelview/c.jpg", "card photo", kT0);

    ASSERT_EQ(0, Run());
    std::string id = Read(card + "/volID.txt");
    ASSERT_EQ(16u, id.size());
    EXPECT_TRUE(IsUpperHex(id)) << id;
    EXPECT_EQ("card photo", Read(Desktop(id + "/Kestrelview/c.jpg")));
    EXPECT_TRUE(Exists(Desktop(id + "/DCIM/_LastSyncCache")));

    ASSERT_EQ(0, Run());
    EXPECT_EQ(id, Read(card + "/volID.txt"));
    EXPECT_FALSE(Saw("Copying \"c.jpg\" to Desktop"));
    EXPECT_FALSE(Exists(card + "/TestKV.KVF"));
}

TEST_F(CardSyncTest, AnIdentityFileOfTheWrongLengthLeavesTheFolderName) {
    std::string card = AddCard("SD");
    Write(card + "/volID.txt", "0123456789");
    Write(card + "/My Documents/Kestrelview/c.jpg", "c", kT0);
    ASSERT_EQ(0, Run());
    EXPECT_EQ("0123456789", Read(card + "/volID.txt"));
    EXPECT_EQ("c", Read(Desktop("SD/Kestrelview/c.jpg")));
}

TEST_F(CardSyncTest, AnIdentityThatIsNoPlainNameIsNotUsedAsAFolder) {
    std::string card = AddCard("SD");
    Write(card + "/volID.txt", "../../../escaped");
    Write(card + "/My Documents/Kestrelview/c.jpg", "c", kT0);
    ASSERT_EQ(0, Run());
    EXPECT_EQ("c", Read(Desktop("SD/Kestrelview/c.jpg")));
    // Nothing was written outside the desktop folder, at any level above it.
    std::filesystem::path above = std::filesystem::path(DesktopRoot());
    for (int level = 0; level < 4 && above.has_parent_path(); ++level) {
        above = above.parent_path();
        EXPECT_FALSE(std::filesystem::exists(above / "escaped")) << above;
        EXPECT_FALSE(std::filesystem::exists(above / "Kestrelview" / "c.jpg")) << above;
    }
    std::vector<std::string> top;
    for (const auto& e : std::filesystem::directory_iterator(DesktopRoot())) top.push_back(e.path().filename());
    std::sort(top.begin(), top.end());
    EXPECT_EQ((std::vector<std::string>{"Internal", "SD"}), top);
}

TEST_F(CardSyncTest, CardsBeyondFiveOrWithLongNamesAreNamedInAMessage) {
    // Made in reverse order, so the listing order is not the name order.
    for (char c = 'G'; c >= 'A'; --c) {
        std::string card = AddCard(std::string("Card ") + c);
        Write(card + "/My Documents/Kestrelview/p.jpg", std::string(1, c), kT0);
    }
    AddCard(std::string(35, 'L'));
    ASSERT_EQ(0, Run());
    for (char c = 'A'; c <= 'G'; ++c) {
        std::string name = std::string("Card ") + c;
        bool taken = c <= 'E';
        EXPECT_EQ(taken, Exists(Handheld(name + "/volID.txt"))) << name;
        EXPECT_EQ(taken ? 0 : 1, CountMessages("The card \"" + name +
                                                "\" was not synchronised: at most 5 cards are synchronised in one run."))
            << name;
    }
    EXPECT_EQ(1, CountMessages("The card \"" + std::string(35, 'L') +
                               "\" was not synchronised: its name is longer than 34 characters."));
    EXPECT_EQ(3u, messages.size());
}

TEST_F(CardSyncTest, AWriteProtectedCardIsSkippedWithAMessage) {
    std::string card = AddCard("Locked Card");
    Write(card + "/volID.txt", "00112233AABBCCDD");
    Write(card + "/My Documents/Kestrelview/c.jpg", "c", kT0);
    Write(Handheld("My Documents/Brand/i.jpg"), "i", kT0);
    FaultInjection::FailPath(RapiCallKind::CreateFile, u"TestKV.KVF", 1, ERROR_WRITE_PROTECT);

    EXPECT_EQ(0, Run(0, "Brand"));
    EXPECT_EQ(1, CountMessages(
                     "Brand could not synchronize the expansion card \"Locked Card\" because it is write protected."));
    EXPECT_FALSE(Exists(Desktop("00112233AABBCCDD")));
    EXPECT_EQ("i", Read(Desktop("Internal/Brand/i.jpg")));
}

TEST_F(CardSyncTest, AProbeLeftByAnEarlierRunCountsAsWritable) {
    std::string card = AddCard();
    Write(card + "/TestKV.KVF", "");
    std::vector<CardInfo> cards = CDeviceStorage::EnumerateCards(CSyncReporter(nullptr, "K", "K"));
    ASSERT_EQ(1u, cards.size());
    EXPECT_FALSE(cards[0].writeProtected);
    EXPECT_EQ(u"Storage Card", cards[0].folderName);
}

TEST_F(CardSyncTest, AnUnreadableRootGivesNoCards) {
    AddCard();
    FaultInjection::FailCall(RapiCallKind::FindAllFiles, 1, ERROR_NOT_READY);
    std::vector<CardInfo> cards = CDeviceStorage::EnumerateCards(CSyncReporter(nullptr, "K", "K"));
    EXPECT_TRUE(cards.empty());
    EXPECT_EQ(1, CountMessages("Error reading External Cards."));
}

TEST_F(CardSyncTest, CameraFoldersAreMirroredWithTheirSubFolders) {
    std::string card = AddCard();
    Write(card + "/volID.txt", "CAFEBABE00000001");
    Write(card + "/DCIM/100CANON/IMG_0001.JPG", "one", kT0);
    Write(card + "/DCIM/101CANON/IMG_0001.JPG", "other one", kT0);
    Write(card + "/DCIM/top.jpg", "top", kT0);
    std::string desk = Desktop("CAFEBABE00000001/DCIM");

    ASSERT_EQ(0, Run());
    EXPECT_EQ("one", Read(desk + "/100CANON/IMG_0001.JPG"));
    EXPECT_EQ("other one", Read(desk + "/101CANON/IMG_0001.JPG"));
    EXPECT_EQ("top", Read(desk + "/top.jpg"));

    // Back from the desktop: a new file and a changed one go to the same
    // sub-folder of the card; a desktop deletion removes the card's file.
    Write(desk + "/100CANON/IMG_0002.JPG", "new on desktop", kT0 + 10);
    Write(desk + "/101CANON/IMG_0001.JPG", "edited", kT0 + 20);
    unlink((desk + "/top.jpg").c_str());
    ASSERT_EQ(0, Run());
    EXPECT_EQ("new on desktop", Read(card + "/DCIM/100CANON/IMG_0002.JPG"));
    EXPECT_EQ("edited", Read(card + "/DCIM/101CANON/IMG_0001.JPG"));
    EXPECT_EQ("one", Read(card + "/DCIM/100CANON/IMG_0001.JPG"));
    EXPECT_FALSE(Exists(card + "/DCIM/top.jpg"));
    EXPECT_TRUE(messages.empty());

    // A handheld deletion in a sub-folder removes the desktop copy.
    unlink((card + "/DCIM/100CANON/IMG_0001.JPG").c_str());
    ASSERT_EQ(0, Run());
    EXPECT_FALSE(Exists(desk + "/100CANON/IMG_0001.JPG"));
    EXPECT_TRUE(Exists(desk + "/100CANON/IMG_0002.JPG"));
}

TEST_F(CardSyncTest, HandheldFolderPathsLongerThanTheirFieldAreRefused) {
    std::string card = AddCard();
    Write(card + "/volID.txt", "CAFEBABE00000002");
    std::string deep = "DCIM/" + std::string(40, 'd');
    Write(card + "/" + deep + "/x.jpg", "x", kT0);
    ASSERT_EQ(0, Run());
    std::string folder = "\\Storage Card\\DCIM\\" + std::string(40, 'd');
    EXPECT_EQ(1, CountMessages("**** Folder \"" + folder + "\" is too long; Maximum length is 47."));
    EXPECT_FALSE(Exists(Desktop("CAFEBABE00000002/" + deep + "/x.jpg")));
}

TEST_F(CardSyncTest, DeleteRetriesOnlyWhileTheFileIsLocked) {
    struct Case {
        uint32_t error;
        uint32_t failures;
        uint32_t result;
        size_t waits;
    } cases[] = {
        {ERROR_HANDHELD_FILE_LOCKED, 0, 0, 0},
        {ERROR_HANDHELD_FILE_LOCKED, 5, 0, 5},
        {ERROR_HANDHELD_FILE_LOCKED, 6, ERROR_HANDHELD_FILE_LOCKED, 5},
        {ERROR_ACCESS_DENIED, 1, ERROR_ACCESS_DENIED, 0},
    };
    for (const Case& c : cases) {
        FaultInjection::Reset();
        std::vector<uint32_t> waits;
        FaultInjection::SetSleepHook([&](uint32_t ms) { waits.push_back(ms); });
        Write(Handheld("f.jpg"), "f");
        if (c.failures) FaultInjection::FailCall(RapiCallKind::DeleteFile, 1, c.error, c.failures);
        EXPECT_EQ(c.result, CDeviceStorage::DeleteFile(u"\\f.jpg")) << c.error << "/" << c.failures;
        EXPECT_EQ(c.waits, waits.size());
        for (uint32_t ms : waits) EXPECT_EQ(500u, ms);
        EXPECT_EQ(c.result == 0, !Exists(Handheld("f.jpg")));
    }
}

}  // namespace
