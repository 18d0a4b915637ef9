#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/FlatComboBox.h"
#include "browser/KestrelviewHHView.h"
#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/CategoryListImport.h"
#include "catalogue/FileOperations.h"
#include "catalogue/FolderList.h"
#include "catalogue/ImageItem.h"
#include "catalogue/ImageScanner.h"
#include "handheld/FullScreen.h"
#include "handheld/Preferences.h"
#include "handheld/RegisteredMessages.h"
#include "handheld/Strings.h"
#include "handheld/ViewModes.h"
#include "platform/base/DeviceFolder.h"
#include "platform/controls/ComboBoxControl.h"
#include "platform/controls/ListBoxControl.h"
#include "platform/fonts/Font.h"
#include "platform/shell/Menu.h"
#include "platform/shell/MessageBoxWindow.h"
#include "platform/window/ModalResponder.h"
#include "tests/app/AppTestSupport.h"

namespace {

namespace fs = std::filesystem;

// The program on a device folder that outlives it, so that it can be
// started again on what the first run left.
struct Program {
    HeadlessScreen screen;
    Shell shell;
    CKestrelviewApp app;

    bool Start() { return app.InitApplication() && app.InitInstance(); }
    CMainFrame& Frame() { return *static_cast<CMainFrame*>(app.m_pMainWnd); }
    CKestrelviewHHView& View() { return *dynamic_cast<CKestrelviewHHView*>(Frame().GetActiveView()); }
};

const char* const PHOTOS[] = {"ian_Canon_40D.jpg",    "ian_Nikon_D70.jpg",    "ian_Pentax_K10D.jpg",
                              "ian_Sony_HDR-HC3.jpg", "ian_Kodak_CX7530.jpg", "ian_Nikon_COOLPIX_P1.jpg"};

const UINT SELECTOR_LOCATION_FIRST = ID_LOCATION_FIRST + 1;
const UINT SELECTOR_CATEGORY_FIRST = ID_CATEGORY_FIRST + 1;

// Six photos named photo0.jpg .. photo5.jpg in internal storage.
class BrowserViewTest : public ::testing::Test {
protected:
    TempDevice device;
    std::unique_ptr<Program> program;
    std::string folder;

    void SetUp() override {
        const std::string corpus = CorpusDir();
        ASSERT_FALSE(corpus.empty()) << "the JPEG corpus is missing";
        folder = device.Host("My Documents/Kestrelview");
        fs::create_directories(folder);
        int i = 0;
        for (const char* name : PHOTOS) {
            const std::string to = folder + "/photo" + std::to_string(i++) + ".jpg";
            fs::copy_file(corpus + "/camera/" + name, to);
            fs::permissions(to, fs::perms::owner_write, fs::perm_options::add);
        }
        ASSERT_TRUE(CreatePreferencesKey());
    }
    void TearDown() override { program.reset(); }

    void Start() {
        program.reset();
        program = std::make_unique<Program>();
        ASSERT_TRUE(program->Start());
        Run();
    }
    CKestrelviewHHView& View() { return program->View(); }
    void Run() { program->app.Run(); }
    void Command(UINT id) {
        SendMessage(&program->Frame(), WM_COMMAND, id, 0);
        Run();
    }
    // Runs the loop, outside events included, until done or a deadline.
    bool RunUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            program->screen.manager.DispatchEventSources(20);
            program->screen.manager.PumpMessages();
        }
        return true;
    }
    CImageItem* Displayed(int n) { return View().Catalogue().Nth(View().Filter(), n); }
    int Count() { return View().Catalogue().Count(View().Filter()); }
    std::u16string PathOf(int n) { return u"\\My Documents\\Kestrelview\\photo" + Utf8ToUtf16(std::to_string(n)) + u".jpg"; }
    RecordId AddCategory(std::u16string_view name) {
        CreateFolderTree(PROGRAM_FOLDER);
        CCategoryDB db;
        db.Load(CATEGORY_DB_PATH);
        RecordId id{};
        EXPECT_EQ(db.Add(name, id), 0);
        EXPECT_EQ(db.Save(), 0);
        return id;
    }
    // The popup of a selector as it would open.
    Menu& SelectorPopup(CFlatComboBox* selector) { return *selector->GetMenu()->GetSubMenu(0); }
    // The category at a position of the database's order (live ones only).
    CategoryRecord LiveCategory(size_t n) {
        for (size_t i = 0; i < View().Categories().Count(); ++i) {
            const CategoryRecord record = View().Categories().RecordAt(i);
            if (record.IsLive() && n-- == 0)
                return record;
        }
        return {};
    }
    static std::vector<std::u16string> Texts(const Menu& menu) {
        std::vector<std::u16string> texts;
        for (int i = 0; i < menu.GetItemCount(); ++i)
            texts.push_back(menu.GetItemText(UINT(i), MF_BYPOSITION));
        return texts;
    }
    // The photo popup over a record; the current responder chooses.
    UINT Popup(CImageItem* record, bool single) {
        const UINT command = View().ShowImagePopup(*record, {60, 100}, single);
        Run();
        return command;
    }
    // As the shell reports a file deleted from outside.
    void DeleteOutside(const std::u16string& path) {
        fs::remove(device.Host(Utf16ToUtf8(path.substr(1))).c_str());
        CImageScanner scanner(View().Catalogue(), View().Locations(), View().Categories(),
                              std::u16string(CATEGORY_DB_PATH));
        scanner.OnFileDeleted(path);
    }
};

std::string Slashed(std::u16string path) {
    std::replace(path.begin(), path.end(), u'\\', u'/');
    return Utf16ToUtf8(path.substr(1));
}

// ---- start --------------------------------------------------------------------

// The filters the user left come back; a category deleted since then gives
// way to "All", and the old category list beside the program is taken in.
TEST_F(BrowserViewTest, StartRestoresTheFiltersAndTakesInTheOldCategoryList) {
    const RecordId gone{1, 2, 3, 4, 5, 6, 7, 8};
    SetLastViewedCategory(gone);
    SetLastViewedLocation(u"\\My Documents\\Kestrelview");
    COldCategoryList old;
    old.AddEntry(std::make_unique<OldCategoryListEntry>(7, u"Holidays"));
    const std::u16string oldPath = std::u16string(PROGRAM_FOLDER) + std::u16string(OLD_CATEGORY_LIST_NAME);
    fs::create_directories(device.Host(Slashed(std::u16string(PROGRAM_FOLDER))));
    ASSERT_EQ(old.Write(DeviceFolder::Current(), oldPath), 0u);

    Start();
    EXPECT_EQ(View().Filter().category, CATEGORY_ID_ALL);
    EXPECT_EQ(View().CategorySelector()->GetText(), u"All");
    EXPECT_EQ(View().Filter().location, u"\\My Documents\\Kestrelview");
    EXPECT_EQ(View().LocationSelector()->GetText(), u"Internal");
    EXPECT_EQ(Count(), 6);
    EXPECT_FALSE(fs::exists(device.Host(Slashed(oldPath)))) << "the old list is deleted";
    EXPECT_EQ(Texts(SelectorPopup(View().CategorySelector())),
              (std::vector<std::u16string>{u"All", u"Holidays", u"Unfiled", u"Edit Categories..."}));
    EXPECT_EQ(Texts(SelectorPopup(View().LocationSelector())), (std::vector<std::u16string>{u"All", u"Internal"}));
}

// ---- selectors ------------------------------------------------------------------

// A category chosen in the selector filters the list and grid and is
// stored; the same location chosen again changes nothing, not even the
// stored text nor the list's selection.
TEST_F(BrowserViewTest, SelectorsSetTheFiltersAndTheSameChoiceChangesNothing) {
    const RecordId sea = AddCategory(u"Sea");
    Start();
    ASSERT_EQ(View().Catalogue().SetCategory(*Displayed(2), sea), 0);

    Command(SELECTOR_CATEGORY_FIRST);
    EXPECT_EQ(View().Filter().category, sea);
    EXPECT_EQ(View().Grid().GetFilter().category, sea);
    EXPECT_EQ(View().List().GetItemCount(), 1);
    EXPECT_EQ(View().CategorySelector()->GetText(), u"Sea");
    EXPECT_EQ(GetLastViewedCategory(), sea);
    Command(ID_CATEGORY_ALL);
    EXPECT_EQ(View().List().GetItemCount(), 6);

    SetLastViewedLocation(u"untouched");
    View().List().SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    Command(ID_LOCATION_ALL);
    EXPECT_EQ(GetLastViewedLocation(), u"untouched") << "nothing written";
    EXPECT_EQ(View().List().GetNextItem(-1, LVNI_SELECTED), 3) << "the list was not filled again";

    Command(SELECTOR_LOCATION_FIRST);
    EXPECT_EQ(View().Filter().location, u"\\My Documents\\Kestrelview");
    EXPECT_EQ(GetLastViewedLocation(), u"\\My Documents\\Kestrelview");
    SetLastViewedLocation(u"untouched");
    // The location popup's own path, in another letter case, is the same.
    View().Locations().Add(u"\\my documents\\kestrelview", u"x", false);
    Command(SELECTOR_LOCATION_FIRST);
    EXPECT_EQ(GetLastViewedLocation(), u"untouched");
}

// The photo popup's ids are its own: choosing its first category or
// location files or moves the photo and leaves the filters alone, and the
// ids the popup uses mean nothing when they reach the view as commands.
TEST_F(BrowserViewTest, PhotoPopupIdsAreNeverTakenForSelectorCommands) {
    AddCategory(u"Sea");
    AddCategory(u"Hills");
    Start();
    const RecordId first = LiveCategory(0).id;
    CImageItem* photo = Displayed(1);
    ModalResponder responder;
    responder.onMenu = [](const ShownMenu&) { return ID_CATEGORY_FIRST; };
    EXPECT_EQ(Popup(photo, false), ID_CATEGORY_FIRST);
    EXPECT_EQ(photo->GetCategory(), first) << "the first category of the popup";
    EXPECT_EQ(View().Filter().category, CATEGORY_ID_ALL);

    responder.onMenu = [](const ShownMenu&) { return ID_LOCATION_FIRST; };
    Popup(photo, false);
    EXPECT_EQ(View().Filter().location, u"") << "moving to Internal is no filter";
    EXPECT_TRUE(responder.boxes.empty()) << "already there: nothing to do";

    for (UINT id : {ID_CATEGORY_FIRST, ID_LOCATION_FIRST, ID_LOCATION_FIRST + 2, ID_CATEGORY_FIRST + 3}) {
        Command(id);
        EXPECT_EQ(View().Filter().category, CATEGORY_ID_ALL) << id;
        EXPECT_EQ(View().Filter().location, u"") << id;
    }
}

// With more categories than ids, the menus list what fits and say how many
// were left out; no item carries an id beyond its range.
TEST_F(BrowserViewTest, MoreThan256CategoriesListWhatFits) {
    {
        CreateFolderTree(PROGRAM_FOLDER);
        CCategoryDB db;
        db.Load(CATEGORY_DB_PATH);
        for (int i = 0; i < 300; ++i) {
            RecordId id{};
            ASSERT_EQ(db.Add(u"C" + Utf8ToUtf16(std::to_string(i)), id), 0);
        }
        ASSERT_EQ(db.Save(), 0);
    }
    Start();
    const Menu& selector = SelectorPopup(View().CategorySelector());
    ASSERT_EQ(selector.GetItemCount(), 1 + 256 + 1 + 2);
    EXPECT_EQ(selector.GetItemText(257, MF_BYPOSITION), u"(44 more not listed)");
    EXPECT_TRUE(selector.GetMenuState(257, MF_BYPOSITION) & MF_GRAYED);
    for (int i = 1; i <= 256; ++i)
        EXPECT_EQ(selector.GetItemId(i), ID_CATEGORY_FIRST + UINT(i));
    const std::u16string last = LiveCategory(255).Name();
    Command(ID_CATEGORY_LAST);
    EXPECT_EQ(View().CategorySelector()->GetText(), last);

    ModalResponder responder;
    responder.onMenu = [](const ShownMenu& menu) {
        const ShownMenuItem* category = nullptr;
        for (const ShownMenuItem& item : menu.items)
            if (item.text == u"Category") {
                category = &item;
            }
        EXPECT_NE(category, nullptr);
        if (!category)
            return 0u;
        EXPECT_EQ(category->sub.size(), 256u + 2u);
        EXPECT_EQ(category->sub[256].text, u"(44 more not listed)");
        return category->sub[255].id;
    };
    Command(ID_CATEGORY_ALL);
    CImageItem* photo = Displayed(0);
    EXPECT_EQ(Popup(photo, false), ID_CATEGORY_FIRST + 255);
    std::u16string name;
    ASSERT_TRUE(View().Categories().NameOf(photo->GetCategory(), name));
    EXPECT_EQ(name, last);
}

// ---- the record acted on ----------------------------------------------------------

// A photo deleted from outside while its popup, or the question or dialog
// it led to, is open: the user is told, and nothing is done to it.
TEST_F(BrowserViewTest, APhotoGoneWhileItsPopupIsOpenIsLeftAlone) {
    const RecordId sea = AddCategory(u"Sea");
    struct Case {
        const char* name;
        UINT command;
        bool goneInMenu;  // else gone while the question or dialog is open
    };
    const Case cases[] = {
        {"category", ID_CATEGORY_FIRST, true},
        {"delete", ID_IMAGE_DELETE, true},
        {"delete, gone at the question", ID_IMAGE_DELETE, false},
        {"note, gone in the dialog", ID_IMAGE_NOTE, false},
    };
    Start();
    int photo = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CImageItem* record = View().Catalogue().Find(PathOf(photo));
        ASSERT_NE(record, nullptr);
        const std::u16string path = PathOf(photo++);
        const std::u16string other = PathOf(photo);
        ModalResponder responder;
        responder.onMenu = [&](const ShownMenu&) {
            EXPECT_EQ(View().ActedOnRecord(), record);
            if (c.goneInMenu)
                DeleteOutside(path);
            EXPECT_EQ(View().ActedOnRecord(), c.goneInMenu ? nullptr : record);
            return c.command;
        };
        responder.onMessageBox = [&](const ShownMessageBox& box) {
            if (!c.goneInMenu && box.type == MB_YESNO)
                DeleteOutside(path);
            return box.type == MB_YESNO ? IDYES : IDOK;
        };
        responder.onDialog = [&](Window&) {
            DeleteOutside(path);
            return IDOK;
        };
        EXPECT_EQ(Popup(record, false), 0u);
        ASSERT_FALSE(responder.boxes.empty());
        EXPECT_EQ(responder.boxes.back().text, u"The selected image has been deleted.");
        EXPECT_EQ(View().ActedOnRecord(), nullptr);
        EXPECT_TRUE(fs::exists(device.Host(Slashed(other)))) << "no other photo deleted";
        EXPECT_EQ(View().Catalogue().Find(other)->GetCategory(), CATEGORY_ID_UNFILED);
    }
    (void)sea;
}

// Delete from the popup: asked first; the file and its row go.
TEST_F(BrowserViewTest, DeleteFromThePopupRemovesTheFileAndTheRow) {
    Start();
    Command(ID_MODE_LIST);
    CImageItem* record = Displayed(2);
    const std::u16string path = record->GetPath();
    ModalResponder responder;
    responder.onMenu = [](const ShownMenu&) { return ID_IMAGE_DELETE; };
    responder.onMessageBox = [](const ShownMessageBox&) { return IDNO; };
    Popup(record, false);
    EXPECT_TRUE(fs::exists(device.Host(Slashed(path))));
    ASSERT_EQ(responder.boxes.size(), 1u);
    EXPECT_EQ(responder.boxes[0].text, u"Are you sure you want to delete this image?");

    responder.onMessageBox = [](const ShownMessageBox&) { return IDYES; };
    Popup(record, false);
    EXPECT_FALSE(fs::exists(device.Host(Slashed(path))));
    EXPECT_EQ(View().Catalogue().Find(path), nullptr);
    EXPECT_EQ(View().List().GetItemCount(), 5);
    EXPECT_EQ(View().Grid().Count(), 5);
}

// Deleting the photo shown alone comes back to the grid, out of full
// screen, with the photo window hidden.
TEST_F(BrowserViewTest, DeletingThePhotoShownAloneComesBackToTheGrid) {
    Start();
    SendMessage(&View(), ImageSelectedMessage(), 0, 2);
    Run();
    ASSERT_EQ(View().Mode(), VIEW_SINGLE);
    CImageItem* record = Displayed(2);
    const std::u16string path = record->GetPath();
    ModalResponder responder;
    responder.onMenu = [](const ShownMenu&) { return ID_IMAGE_DELETE; };
    responder.onMessageBox = [](const ShownMessageBox&) { return IDYES; };
    Popup(record, true);
    EXPECT_EQ(View().Mode(), VIEW_THUMBNAIL);
    EXPECT_FALSE(View().Photo().IsWindowVisible());
    EXPECT_EQ(View().ShownRecord(), nullptr);
    EXPECT_FALSE(GetFullScreenSwitch()->IsFullScreen());
    EXPECT_FALSE(fs::exists(device.Host(Slashed(path))));
    EXPECT_EQ(View().Grid().Count(), 5);
}

// A location chosen in the popup moves the file there; a name taken there
// is refused and said.
TEST_F(BrowserViewTest, ALocationChosenInThePopupMovesThePhoto) {
    Start();
    View().Locations().Add(u"\\Storage Card", u"Storage Card", true);
    const std::string card = device.Host("Storage Card/My Documents/Kestrelview");
    fs::create_directories(card);
    fs::copy_file(folder + "/photo1.jpg", card + "/photo1.jpg");
    struct Case {
        int photo;
        bool moved;
        std::vector<std::u16string> boxes;
    };
    const Case cases[] = {{2, true, {}}, {1, false, {u"A file with that name already exists."}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.photo);
        CImageItem* record = View().Catalogue().Find(PathOf(c.photo));
        ModalResponder responder;
        responder.onMenu = [](const ShownMenu& menu) {
            for (const ShownMenuItem& item : menu.items) {
                if (item.text == u"Location") {
                    EXPECT_TRUE(item.sub.at(0).state & MF_CHECKED) << "where the photo is";
                    return item.sub.at(1).id;
                }
            }
            return 0u;
        };
        responder.onMessageBox = [](const ShownMessageBox&) { return IDOK; };
        Popup(record, false);
        std::vector<std::u16string> boxes;
        for (const ShownMessageBox& box : responder.boxes)
            boxes.push_back(box.text);
        EXPECT_EQ(boxes, c.boxes);
        const std::string name = "/photo" + std::to_string(c.photo) + ".jpg";
        EXPECT_EQ(fs::exists(folder + name), !c.moved);
        EXPECT_TRUE(fs::exists(card + name));
        if (c.moved) {
            // The shell then reports the file gone from its old place, and
            // the view gives that record up: it must not be used after.
            EXPECT_TRUE(RunUntil([&] { return !View().Catalogue().Find(PathOf(c.photo)); }));
        } else {
            EXPECT_EQ(View().Catalogue().Find(PathOf(c.photo)), record);
            EXPECT_FALSE(record->IsRemovable());
        }
    }
}

// Paging and zoom are offered only over the photo shown alone.
TEST_F(BrowserViewTest, PagingAndZoomAreGreyedOutsideTheSinglePhoto) {
    Start();
    ModalResponder responder;
    responder.onMenu = [](const ShownMenu&) { return 0u; };
    Popup(Displayed(0), false);
    Popup(Displayed(0), true);
    ASSERT_EQ(responder.menus.size(), 2u);
    for (size_t m = 0; m < 2; ++m) {
        for (const ShownMenuItem& item : responder.menus[m].items) {
            const bool paging = item.id == ID_IMAGE_NEXT || item.id == ID_IMAGE_PREVIOUS || item.id == ID_IMAGE_ZOOM;
            if (item.id != 0 && item.sub.empty()) {
                EXPECT_EQ((item.state & MF_GRAYED) != 0, paging && m == 0) << item.id;
            }
        }
    }
}

// ---- the photo alone ---------------------------------------------------------------

// Down and Up page through the displayed photos, round at the ends; the
// release of Enter comes back to the same photo, selected in the grid.
TEST_F(BrowserViewTest, SinglePhotoPagesAndComesBackToTheSamePhoto) {
    Start();
    ASSERT_EQ(View().Mode(), VIEW_THUMBNAIL);
    SendMessage(&View(), ImageSelectedMessage(), 0, 4);
    Run();
    ASSERT_EQ(View().Mode(), VIEW_SINGLE);
    EXPECT_TRUE(View().Photo().IsWindowVisible());
    EXPECT_TRUE(GetFullScreenSwitch()->IsFullScreen());
    EXPECT_EQ(View().ShownRecord(), Displayed(4));

    for (UINT key : {VK_DOWN, VK_DOWN, VK_UP, VK_DOWN})
        program->screen.backend.Key(key);
    Run();
    EXPECT_EQ(View().ShownRecord(), Displayed(0)) << "5, then round to 0, back to 5, and 0 again";
    EXPECT_EQ(program->shell.BeepCount(), 0);

    program->screen.backend.Key(VK_RETURN);
    Run();
    EXPECT_EQ(View().Mode(), VIEW_THUMBNAIL);
    EXPECT_FALSE(View().Photo().IsWindowVisible());
    EXPECT_FALSE(GetFullScreenSwitch()->IsFullScreen());
    EXPECT_EQ(View().Grid().GetAnchor(), 0);
    EXPECT_TRUE(Displayed(0)->IsSelected());
    EXPECT_EQ(View().Catalogue().FirstSelectedIndex(View().Filter()), 0);
}

// With one photo displayed there is nowhere to page to: a beep.
TEST_F(BrowserViewTest, PagingWithOnePhotoBeeps) {
    const RecordId sea = AddCategory(u"Sea");
    Start();
    ASSERT_EQ(View().Catalogue().SetCategory(*Displayed(3), sea), 0);
    Command(SELECTOR_CATEGORY_FIRST);
    ASSERT_EQ(Count(), 1);
    SendMessage(&View(), ImageSelectedMessage(), 0, 0);
    program->screen.backend.Key(VK_DOWN);
    program->screen.backend.Key(VK_UP);
    Run();
    EXPECT_EQ(program->shell.BeepCount(), 2);
    EXPECT_EQ(View().ShownRecord()->GetPath(), PathOf(3));
}

// A path rides on the message only when it is sent: a posted one would
// point to memory the sender may have let go.
TEST_F(BrowserViewTest, APhotoPathIsTakenOnlyFromASentMessage) {
    Start();
    auto path = std::make_unique<std::u16string>(PathOf(2));
    PostMessage(&View(), ImageSelectedMessage(), 1, reinterpret_cast<LPARAM>(path->c_str()));
    path.reset();
    Run();
    EXPECT_EQ(View().Mode(), VIEW_THUMBNAIL);
    EXPECT_EQ(View().ShownRecord(), nullptr);

    const std::u16string sent = PathOf(2);
    SendMessage(&View(), ImageSelectedMessage(), 1, reinterpret_cast<LPARAM>(sent.c_str()));
    EXPECT_EQ(View().Mode(), VIEW_SINGLE);
    EXPECT_EQ(View().ShownRecord(), View().Catalogue().Find(sent));
}

// ---- Tools ---------------------------------------------------------------------

// "Slideshow" needs a displayed photo; it starts at the grid's selected one
// and ends on the exit, its timers gone.
TEST_F(BrowserViewTest, SlideshowNeedsAPhotoAndStartsAtTheSelectedOne) {
    const RecordId empty = AddCategory(u"Empty");
    Start();
    Command(SELECTOR_CATEGORY_FIRST);
    ASSERT_EQ(View().Filter().category, empty);
    EXPECT_FALSE(program->Frame().QueryCommand(ID_SLIDESHOW).IsEnabled());
    Command(ID_SLIDESHOW);
    EXPECT_EQ(View().Mode(), VIEW_THUMBNAIL);

    Command(ID_CATEGORY_ALL);
    EXPECT_TRUE(program->Frame().QueryCommand(ID_SLIDESHOW).IsEnabled());
    Displayed(3)->SetSelected(true);
    Command(ID_SLIDESHOW);
    ASSERT_EQ(View().Mode(), VIEW_SINGLE);
    EXPECT_EQ(View().ShownRecord(), Displayed(3));
    EXPECT_TRUE(View().SlideShow().IsRunning());

    SendMessage(&View(), ImageExitMessage(), 0, 0);
    EXPECT_FALSE(View().SlideShow().IsRunning());
    EXPECT_FALSE(WindowManager::Current()->HasTimer(&View(), TIMER_SLIDE_NEXT));
    EXPECT_EQ(View().Mode(), VIEW_THUMBNAIL);
}

// The slide being made ready, and the one on screen, deleted from outside:
// the show goes on with the others, never touching the freed ones.
TEST_F(BrowserViewTest, SlidesFreedDuringTheShowAreNeverUsed) {
    Start();
    Command(ID_SLIDESHOW);
    ASSERT_TRUE(View().SlideShow().IsRunning());
    const CImageItem* prepared = View().SlideShow().SlideRecord();
    ASSERT_NE(prepared, nullptr);
    ASSERT_NE(prepared, View().ShownRecord());
    DeleteOutside(prepared->GetPath());
    EXPECT_NE(View().SlideShow().SlideRecord(), prepared);
    DeleteOutside(View().ShownRecord()->GetPath());
    EXPECT_EQ(View().ShownRecord(), nullptr);
    for (int i = 0; i < 3; ++i) {
        program->screen.backend.Wait(10000);
        Run();
    }
    ASSERT_TRUE(View().SlideShow().IsRunning());
    ASSERT_NE(View().ShownRecord(), nullptr);
    EXPECT_TRUE(View().HoldsRecord(View().ShownRecord()));
    EXPECT_TRUE(View().HoldsRecord(View().SlideShow().SlideRecord()));
    EXPECT_EQ(Count(), 4);
}

// Refresh reads every folder again, caches or not: photos deleted outside
// are gone, photos added are there.
TEST_F(BrowserViewTest, RefreshFindsWhatChangedOutsideDespiteACache) {
    Start();
    CImageScanner(View().Catalogue(), View().Locations(), View().Categories(), std::u16string(CATEGORY_DB_PATH))
        .SaveCaches();
    ASSERT_TRUE(fs::exists(folder + "/KVFileListCache.fdf")) << "a cache was written";
    fs::remove(folder + "/photo1.jpg");
    fs::remove(folder + "/photo4.jpg");
    Command(ID_REFRESH);
    EXPECT_EQ(Count(), 4);
    EXPECT_EQ(View().Catalogue().Find(PathOf(1)), nullptr);
    EXPECT_EQ(View().List().GetItemCount(), 4);
    EXPECT_EQ(View().Grid().Count(), 4);
}

// "Delete All" asks, then deletes what is displayed and nothing else.
TEST_F(BrowserViewTest, DeleteAllDeletesTheDisplayedPhotos) {
    const RecordId sea = AddCategory(u"Sea");
    Start();
    for (int n : {1, 2})
        ASSERT_EQ(View().Catalogue().SetCategory(*View().Catalogue().Find(PathOf(n)), sea), 0);
    Command(SELECTOR_CATEGORY_FIRST);
    ModalResponder responder;
    responder.onMessageBox = [](const ShownMessageBox&) { return IDYES; };
    Command(ID_DELETE_ALL);
    ASSERT_EQ(responder.boxes.size(), 1u);
    EXPECT_EQ(responder.boxes[0].text, u"Delete all images currently being displayed?");
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(View().Catalogue().Size(), 4u);
    for (int n = 0; n < 6; ++n)
        EXPECT_EQ(fs::exists(folder + "/photo" + std::to_string(n) + ".jpg"), n != 1 && n != 2) << n;
}

// With no password stored, "Show/Hide Private Images" flips at once, and
// the state is there at the next start.
TEST_F(BrowserViewTest, PrivatePhotosToggleAtOnceAndStaySoAfterARestart) {
    Start();
    ASSERT_TRUE(View().ShowsPrivate());
    ASSERT_EQ(View().Catalogue().SetPrivate(*Displayed(0), true), 0);
    ModalResponder responder;
    Command(ID_TOGGLE_PRIVATE);
    EXPECT_TRUE(responder.dialogs.empty()) << "no password asked";
    EXPECT_FALSE(View().ShowsPrivate());
    EXPECT_EQ(View().List().GetItemCount(), 5);
    EXPECT_EQ(View().Grid().Count(), 5);

    Start();
    EXPECT_FALSE(View().ShowsPrivate());
    EXPECT_EQ(Count(), 5);
    EXPECT_EQ(program->Frame().QueryCommand(ID_TOGGLE_PRIVATE).GetText(), std::optional<std::u16string>(u"Show Private Images"));
}

}  // namespace

namespace {

// Both prompts, and names as long as a card's, show whole in their
// selectors and end before the screen's edge; a prompt too wide for the
// selector's font takes a smaller one.
TEST_F(BrowserViewTest, PromptsAndNamesFitTheirSelectors) {
    Start();
    struct Seen {
        std::u16string text;
        int32_t width = 0, height = 0, end = 0;
    };
    auto seen = [](CFlatComboBox& selector) {
        const Rect r = selector.GetWindowRect();
        return Seen{selector.GetDisplayedText(), selector.GetTextWidth(), selector.GetFontHeight(),
                    r.left + selector.GetContentStart() + CFlatComboBox::LEFT_MARGIN + selector.GetTextWidth() +
                        CFlatComboBox::TRIANGLE_AREA};
    };
    auto check = [](const Seen& s) {
        SCOPED_TRACE(Utf16ToUtf8(s.text));
        const auto font = Font::Create(s.height, FW_BOLD);
        EXPECT_EQ(s.width, font->MeasureWidth(s.text)) << "shown whole";
        EXPECT_GE(s.height, CFlatComboBox::MIN_FONT_HEIGHT);
        EXPECT_LE(s.end, 240);
    };
    for (CFlatComboBox* selector : {View().LocationSelector(), View().CategorySelector()}) {
        ModalResponder responder;
        Seen prompt;
        responder.onMenu = [&](const ShownMenu&) {
            prompt = seen(*selector);
            return 0u;
        };
        const Rect r = selector->GetWindowRect();
        program->screen.backend.Tap({r.left + 10, (r.top + r.bottom) / 2});
        program->screen.backend.Wait(1000);
        Run();
        ASSERT_EQ(responder.menus.size(), 1u);
        EXPECT_TRUE(prompt.text.starts_with(u"Select ")) << Utf16ToUtf8(prompt.text);
        check(prompt);
        for (const char16_t* name : {u"All", u"Internal", u"Unfiled", u"Storage Card"}) {
            selector->SetText(name);
            check(seen(*selector));
        }
        selector->SetText(u"Internal");
        EXPECT_EQ(selector->GetFontHeight(), CFlatComboBox::FONT_HEIGHT) << "short names keep the bar's font";
    }
}

}  // namespace

namespace {

// The dialogs' lists: the locations, the one holding the path selected;
// "All" when asked, the categories in the database's order and "Unfiled",
// the given category selected or else "Unfiled"; the category names.
TEST_F(BrowserViewTest, TheDialogsListsFollowTheLocationsAndCategories) {
    AddCategory(u"Sea");
    AddCategory(u"Hills");
    Start();
    ComboBoxControl combo;
    ListBoxControl list;
    ASSERT_TRUE(combo.Create(&View(), {0, 0, 100, 100}, 50, u"", WS_CHILD));
    ASSERT_TRUE(list.Create(&View(), {0, 0, 100, 100}, 51, u"", WS_CHILD));
    View().FillLocationCombo(&combo, PathOf(1));
    ASSERT_EQ(combo.GetCount(), 1);
    EXPECT_EQ(combo.GetLBText(0), u"Internal");
    EXPECT_EQ(combo.GetCurSel(), 0);
    EXPECT_EQ(reinterpret_cast<const CFolderItem*>(combo.GetItemData(0)),
              View().Locations().Find(MAIN_PHOTO_FOLDER));

    const std::u16string first = LiveCategory(0).Name(), second = LiveCategory(1).Name();
    const RecordId secondId = LiveCategory(1).id, gone{9, 9, 9, 9, 9, 9, 9, 9};
    struct Case {
        bool withAll;
        RecordId category;
        std::vector<std::u16string> texts;
        int selected;
    };
    const Case cases[] = {
        {true, CATEGORY_ID_ALL, {u"All", first, second, u"Unfiled"}, 0},
        {false, CATEGORY_ID_ALL, {first, second, u"Unfiled"}, 2},
        {false, secondId, {first, second, u"Unfiled"}, 1},
        {true, gone, {u"All", first, second, u"Unfiled"}, 3},
        {true, CATEGORY_ID_UNFILED, {u"All", first, second, u"Unfiled"}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selected);
        View().FillCategoryCombo(&combo, c.withAll, c.category);
        std::vector<std::u16string> texts;
        for (int i = 0; i < combo.GetCount(); ++i)
            texts.push_back(combo.GetLBText(i));
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(combo.GetCurSel(), c.selected);
    }
    View().FillCategoryListBox(&list);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetItemText(0), first);
    EXPECT_EQ(list.GetItemText(1), second);
}

// Closing the program writes the list's column widths and the file list
// caches of the photo folders.
TEST_F(BrowserViewTest, ClosingSavesTheColumnWidthsAndTheCaches) {
    Start();
    Command(ID_MODE_LIST);
    ASSERT_TRUE(View().List().SetColumnWidth(0, 77));
    ASSERT_FALSE(fs::exists(folder + "/KVFileListCache.fdf"));
    Command(ID_APP_EXIT);
    EXPECT_EQ(GetColumnWidths()[COLUMN_NAME], 77);
    EXPECT_TRUE(fs::exists(folder + "/KVFileListCache.fdf"));
}

}  // namespace
