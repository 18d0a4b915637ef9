#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "browser/FlatComboBox.h"
#include "browser/KestrelviewHHView.h"
#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryDB.h"
#include "handheld/RegisteredMessages.h"
#include "handheld/Strings.h"
#include "handheld/ViewModes.h"
#include "platform/shell/ShellChangeNotifier.h"
#include "tests/app/AppTestSupport.h"
#include "tests/platform/ModalTestSupport.h"

namespace {

namespace fs = std::filesystem;

// Menu item texts, top level only.
std::vector<std::u16string> Texts(const Menu* menu) {
    std::vector<std::u16string> texts;
    if (menu)
        for (const Menu::Item& item : menu->Items())
            texts.push_back(item.text);
    return texts;
}

bool Holds(const std::vector<std::u16string>& texts, std::u16string_view text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// The program running on a device folder with three photos while other
// programs change its files; the view hears of each change from the shell
// (inotify underneath), without a Refresh.
struct BrowserChangesTest : ::testing::Test {
    StartedProgram program;
    TempDir cardFolder;
    std::string corpus;

    void SetUp() override {
        corpus = CorpusDir();
        if (corpus.empty())
            GTEST_SKIP() << "the JPEG corpus is missing";
        MakeHostDirs(program.device.Host("My Documents/Kestrelview"));
        Copy("ian_Canon_40D.jpg", "My Documents/Kestrelview/b.jpg");
        Copy("ian_Nikon_D70.jpg", "My Documents/Kestrelview/d.jpg");
        Copy("ian_Pentax_K10D.jpg", "My Documents/Kestrelview/f.jpg");
        ASSERT_TRUE(program.Start());
        ASSERT_TRUE(View().HearsChanges());
    }

    CKestrelviewHHView& View() { return *dynamic_cast<CKestrelviewHHView*>(program.Frame().GetActiveView()); }
    // Copies a corpus photo to a path of the device folder, as a file
    // manager would: written whole, then closed.
    void Copy(const char* photo, const std::string& to) {
        fs::copy_file(corpus + "/camera/" + photo, program.device.Host(to), fs::copy_options::overwrite_existing);
    }
    // Runs the program's loop until the view shows what is expected, or
    // the deadline passes.
    bool RunUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            program.screen.manager.DispatchEventSources(20);
            program.screen.manager.PumpMessages();
        }
        return true;
    }
    CImageItem* Record(const char16_t* name) {
        return View().Catalogue().Find(std::u16string(MAIN_PHOTO_FOLDER) + u"\\" + name);
    }
    // The rows, the grid's cells and the displayed records agree.
    void ExpectShown(int count) {
        EXPECT_EQ(View().Catalogue().Count(View().Filter()), count);
        EXPECT_EQ(View().List().GetItemCount(), count);
        EXPECT_EQ(View().Grid().Count(), count);
    }
    void OpenList() {
        SendMessage(program.app.m_pMainWnd, WM_COMMAND, ID_MODE_LIST, 0);
        ASSERT_EQ(View().Mode(), VIEW_LIST);
    }
    CImageItem* SelectedRow() {
        const int row = View().List().GetNextItem(-1, LVNI_SELECTED);
        return row >= 0 ? View().Catalogue().Nth(View().Filter(), row) : nullptr;
    }
};

TEST_F(BrowserChangesTest, APhotoCopiedInAppearsInItsPlaceAndOneDeletedGoes) {
    OpenList();
    ExpectShown(3);
    View().List().SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    CImageItem* selected = SelectedRow();
    ASSERT_EQ(selected, Record(u"d.jpg"));

    // Sorted by name, the new photo comes first: the rows after it move
    // down, and the selected one stays on its photo.
    Copy("ian_Sony_HDR-HC3.jpg", "My Documents/Kestrelview/a.jpg");
    ASSERT_TRUE(RunUntil([&] { return Record(u"a.jpg"); }));
    ExpectShown(4);
    EXPECT_EQ(View().Catalogue().Nth(View().Filter(), 0), Record(u"a.jpg"));
    EXPECT_EQ(SelectedRow(), selected);

    fs::remove(program.device.Host("My Documents/Kestrelview/b.jpg"));
    ASSERT_TRUE(RunUntil([&] { return !Record(u"b.jpg"); }));
    ExpectShown(3);
    EXPECT_EQ(SelectedRow(), selected);

    // A photo renamed in place keeps one record, under its new name.
    fs::rename(program.device.Host("My Documents/Kestrelview/f.jpg"),
               program.device.Host("My Documents/Kestrelview/g.jpg"));
    ASSERT_TRUE(RunUntil([&] { return Record(u"g.jpg"); }));
    EXPECT_FALSE(Record(u"f.jpg"));
    ExpectShown(3);

    // Files that are not photos, or lie outside every location, add nothing.
    WriteHostFile(program.device.Host("My Documents/Kestrelview/notes.txt"), {'h', 'i'});
    MakeHostDirs(program.device.Host("Windows"));
    Copy("ian_Nikon_D70.jpg", "Windows/wallpaper.jpg");
    Copy("ian_Kodak_CX7530.jpg", "My Documents/Kestrelview/last.jpg");
    ASSERT_TRUE(RunUntil([&] { return Record(u"last.jpg"); }));
    ExpectShown(4);
    EXPECT_EQ(View().Catalogue().Size(), 4u);
}

TEST_F(BrowserChangesTest, ThePhotoShownAloneIsLeftWhenItsFileIsDeleted) {
    CImageItem* record = Record(u"d.jpg");
    ASSERT_TRUE(record);
    SendMessage(&View(), ImageSelectedMessage(), 0, View().DisplayedIndexOf(record));
    ASSERT_EQ(View().Mode(), VIEW_SINGLE);
    ASSERT_EQ(View().ShownRecord(), record);

    fs::remove(program.device.Host("My Documents/Kestrelview/d.jpg"));
    ASSERT_TRUE(RunUntil([&] { return !Record(u"d.jpg"); }));
    EXPECT_NE(View().Mode(), VIEW_SINGLE);
    EXPECT_EQ(View().ShownRecord(), nullptr);
    EXPECT_FALSE(View().Photo().IsWindowVisible());
    ExpectShown(2);
}

TEST_F(BrowserChangesTest, ACardBringsItsLocationAndPhotosAndTakesThePhotosAway) {
    // A card with two camera folders, its own photo folder, and a folder
    // that is not scanned.
    const std::string card = cardFolder.Path();
    MakeHostDirs(card + "/DCIM/100CAMRA");
    MakeHostDirs(card + "/DCIM/101CAMRA");
    MakeHostDirs(card + "/My Documents/Kestrelview");
    MakeHostDirs(card + "/Music");
    fs::copy_file(corpus + "/camera/ian_Kodak_CX7530.jpg", card + "/DCIM/100CAMRA/IMG_0001.JPG");
    fs::copy_file(corpus + "/camera/ian_Nikon_COOLPIX_P1.jpg", card + "/DCIM/101CAMRA/IMG_0002.JPG");
    fs::copy_file(corpus + "/camera/ian_Sony_HDR-HC3.jpg", card + "/My Documents/Kestrelview/kept.jpg");
    fs::copy_file(corpus + "/camera/ian_Canon_40D.jpg", card + "/Music/cover.jpg");
    ExpectShown(3);
    ASSERT_EQ(View().Locations().Count(), 1u);

    fs::create_directory_symlink(card, program.device.Host("Storage Card"));
    ASSERT_TRUE(RunUntil([&] { return View().Catalogue().Size() == 6; }));
    ExpectShown(6);
    ASSERT_EQ(View().Locations().Count(), 2u);
    EXPECT_EQ(View().Locations().GetItems().back()->GetName(), u"Storage Card");
    EXPECT_TRUE(Holds(Texts(View().LocationSelector()->GetMenu()->GetSubMenu(0)), u"Storage Card"));
    for (const char16_t* path : {u"\\Storage Card\\DCIM\\100CAMRA\\IMG_0001.JPG",
                                 u"\\Storage Card\\DCIM\\101CAMRA\\IMG_0002.JPG",
                                 u"\\Storage Card\\My Documents\\Kestrelview\\kept.jpg"}) {
        const CImageItem* record = View().Catalogue().Find(path);
        ASSERT_TRUE(record) << std::string(path, path + std::char_traits<char16_t>::length(path));
        EXPECT_TRUE(record->IsRemovable());
    }

    // A photo of the card shown alone is left as the card goes.
    const CImageItem* onCard = View().Catalogue().Find(u"\\Storage Card\\DCIM\\100CAMRA\\IMG_0001.JPG");
    SendMessage(&View(), ImageSelectedMessage(), 0, View().DisplayedIndexOf(onCard));
    ASSERT_EQ(View().Mode(), VIEW_SINGLE);

    fs::remove(program.device.Host("Storage Card"));
    ASSERT_TRUE(RunUntil([&] { return View().Catalogue().Size() == 3; }));
    ExpectShown(3);
    EXPECT_NE(View().Mode(), VIEW_SINGLE);
    EXPECT_EQ(View().ShownRecord(), nullptr);
    EXPECT_EQ(View().Locations().Count(), 2u) << "the card's location stays listed";
}

TEST_F(BrowserChangesTest, AReplacedCategoryDatabaseIsReadAgain) {
    {
        // Another program (the desktop's synchronisation) writes the
        // database whole and renames it into place.
        CCategoryDB other;
        ASSERT_EQ(other.Load(CATEGORY_DB_PATH), 0);
        RecordId birds;
        ASSERT_EQ(other.Add(u"Birds", birds), 0);
        ASSERT_EQ(other.Save(), 0);
    }
    ASSERT_TRUE(RunUntil([&] { return View().Categories().FindByName(u"Birds") != CATEGORY_ID_UNFILED; }));
    EXPECT_TRUE(Holds(Texts(View().CategorySelector()->GetMenu()->GetSubMenu(0)), u"Birds"));
    ExpectShown(3);
}

// The photo popup holds its record while the menu is open: the photo's
// file deleted meanwhile must not free the record under it. The deletion
// waits until the menu has closed, and then takes the photo away.
TEST_F(BrowserChangesTest, AChangeWaitsUntilTheOpenPopupHasClosed) {
    CImageItem* record = Record(u"d.jpg");
    ASSERT_TRUE(record);
    IdleSteps idle;
    bool posted = false;
    bool keptWhileOpen = false;
    const CImageItem* actedOn = nullptr;
    idle.Then([&] {
        fs::remove(program.device.Host("My Documents/Kestrelview/d.jpg"));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (program.shell.ChangeNotifier().OutstandingRecords() == 0 &&
               std::chrono::steady_clock::now() < deadline)
            program.screen.manager.DispatchEventSources(20);
        posted = program.shell.ChangeNotifier().OutstandingRecords() > 0;
        idle.Then([&] {
            keptWhileOpen = Record(u"d.jpg") == record;
            actedOn = View().ActedOnRecord();
            program.screen.backend.Key(VK_ESCAPE);
        });
    });
    View().ShowImagePopup(*record, {60, 120}, false);
    EXPECT_TRUE(posted);
    EXPECT_TRUE(keptWhileOpen);
    EXPECT_EQ(actedOn, record);
    ASSERT_TRUE(RunUntil([&] { return !Record(u"d.jpg"); }));
    ExpectShown(2);
}

// The shell watches the device folder for the view from its start, and
// stops when the program's Exit takes the view away.
TEST_F(BrowserChangesTest, TheViewHearsChangesFromItsStartUntilItGoes) {
    EXPECT_TRUE(program.shell.ChangeNotifier().IsWatching());
    SendMessage(program.app.m_pMainWnd, WM_COMMAND, ID_APP_EXIT, 0);
    program.screen.manager.PumpMessages();
    EXPECT_FALSE(program.Frame().IsAlive());
    EXPECT_FALSE(program.shell.ChangeNotifier().IsWatching());
}

}  // namespace
