#include <gtest/gtest.h>

#include <filesystem>

#include "browser/GridCellPainter.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/FolderList.h"
#include "catalogue/ImageTrailer.h"
#include "platform/shell/Menu.h"
#include "platform/shell/MessageBoxWindow.h"
#include "platform/window/ModalResponder.h"
#include "tests/browser/GridTestSupport.h"

namespace {

// The detail layout's category and location lines open pop-ups at the
// tap; the category chosen is written into the photo's file, the location
// chosen moves the file there.
class GridDetailPopupTest : public ::testing::Test {
protected:
    TempDevice device;
    CCategoryDB categories;
    CFolderList locations;
    GridFixture f;
    RecordId sea{}, hills{};
    std::vector<std::u16string> paths;

    void SetUp() override {
        paths = CopyPhotos(device, CorpusPhotos(3));
        ASSERT_EQ(paths.size(), 3u) << "the JPEG corpus is missing";
        ASSERT_EQ(categories.Add(u"Sea", sea), 0);
        ASSERT_EQ(categories.Add(u"Hills", hills), 0);
        locations.Add(PHOTO_FOLDER, u"Internal", false);
        locations.Add(u"\\Storage Card", u"Storage Card", true);
        MakeHostDirs(device.Host("Storage Card/My Documents/Kestrelview"));
        f.list.SetCategoryDB(&categories);
        f.grid.SetCatalogue(&categories, &locations);
        AddFileRecords(f.list, paths);
        ASSERT_TRUE(f.Create(GRID_DETAIL));
    }
    // A point on one of the detail lines of photo `index` (row = index).
    Point OnLine(int index, bool category) {
        const Rect cell = f.grid.Layout().CellRect(index, 0);
        const Size size{cell.Width(), cell.Height()};
        const Rect line = category ? GridCellPainter::CategoryLine(size, f.grid.LineHeight())
                                   : GridCellPainter::LocationLine(size, f.grid.LineHeight());
        return f.At({cell.left + line.left + 30, cell.top + (line.top + line.bottom) / 2});
    }
};

TEST_F(GridDetailPopupTest, CategoryChosenIsWrittenToThePhoto) {
    ModalResponder responder;
    responder.onMenu = [](const ShownMenu& menu) { return menu.items.at(0).id; };  // Hills
    std::vector<RecordId> told;
    f.grid.onCategoryChanged = [&](const RecordId& old, CImageItem*) { told.push_back(old); };
    f.screen.backend.Tap(OnLine(1, true));
    f.screen.backend.Wait(1000);
    f.Run();
    ASSERT_EQ(responder.menus.size(), 1u);
    const ShownMenu& shown = responder.menus[0];
    ASSERT_EQ(shown.items.size(), 3u);
    EXPECT_EQ(shown.items[0].text, u"Hills") << "the database's order";
    EXPECT_EQ(shown.items[1].text, u"Sea");
    EXPECT_EQ(shown.items[2].text, u"Unfiled");
    EXPECT_TRUE(shown.items[2].state & MF_CHECKED) << "the photo is unfiled";
    EXPECT_EQ(shown.anchor, OnLine(1, true));
    EXPECT_EQ(f.grid.RecordAt(1)->GetCategory(), hills);
    EXPECT_EQ(told, (std::vector<RecordId>{CATEGORY_ID_UNFILED}));
    EXPECT_TRUE(f.Opened().empty()) << "a tap on the line opens no photo";
    // Read back from the file itself.
    CImageItem again;
    again.InitFromFile(paths[1], false);
    EXPECT_EQ(again.GetCategory(), hills);
}

TEST_F(GridDetailPopupTest, APhotoLeavingTheFilterLeavesTheGrid) {
    f.grid.SetCategoryFilter(CATEGORY_ID_UNFILED);
    ASSERT_EQ(f.grid.Count(), 3);
    ModalResponder responder;
    responder.onMenu = [](const ShownMenu& menu) { return menu.items.at(1).id; };  // Sea
    f.screen.backend.Tap(OnLine(0, true));
    f.screen.backend.Wait(1000);
    f.Run();
    EXPECT_EQ(f.grid.Count(), 2);
}

TEST_F(GridDetailPopupTest, LocationChosenMovesTheFile) {
    ModalResponder responder;
    responder.onMenu = [](const ShownMenu& menu) { return menu.items.at(1).id; };  // the card
    f.screen.backend.Tap(OnLine(2, false));
    f.screen.backend.Wait(1000);
    f.Run();
    ASSERT_EQ(responder.menus.size(), 1u);
    EXPECT_TRUE(responder.menus[0].items[0].state & MF_CHECKED) << "the photo is in internal storage";
    EXPECT_TRUE(std::filesystem::exists(device.Host("Storage Card/My Documents/Kestrelview/photo002.jpg")));
    EXPECT_FALSE(std::filesystem::exists(device.Host("My Documents/Kestrelview/photo002.jpg")));
    EXPECT_TRUE(responder.boxes.empty());
}

TEST_F(GridDetailPopupTest, AMoveOntoAnExistingNameIsRefusedAndSaid) {
    std::filesystem::copy_file(device.Host("My Documents/Kestrelview/photo000.jpg"),
                               device.Host("Storage Card/My Documents/Kestrelview/photo000.jpg"));
    ModalResponder responder;
    responder.onMenu = [](const ShownMenu& menu) { return menu.items.at(1).id; };
    responder.onMessageBox = [](const ShownMessageBox&) { return IDOK; };
    f.screen.backend.Tap(OnLine(0, false));
    f.screen.backend.Wait(1000);
    f.Run();
    ASSERT_EQ(responder.boxes.size(), 1u);
    EXPECT_EQ(responder.boxes[0].text, u"A file with that name already exists.");
    EXPECT_TRUE(std::filesystem::exists(device.Host("My Documents/Kestrelview/photo000.jpg")));
}

}  // namespace

namespace {

// The photo goes away (its file deleted from outside) while its category
// or location popup is open: the user is told and nothing is done with it.
TEST_F(GridDetailPopupTest, APhotoGoneWhileItsPopupIsOpenIsLeftAlone) {
    for (const bool category : {true, false}) {
        SCOPED_TRACE(category ? "category" : "location");
        ModalResponder responder;
        responder.onMenu = [&](const ShownMenu& menu) {
            f.list.Remove(f.grid.RecordAt(0));  // freed here
            return menu.items.at(1).id;
        };
        responder.onMessageBox = [](const ShownMessageBox&) { return IDOK; };
        f.screen.backend.Tap(OnLine(0, category));
        f.screen.backend.Wait(1000);
        f.Run();
        ASSERT_EQ(responder.boxes.size(), 1u);
        EXPECT_EQ(responder.boxes[0].text, u"The selected image has been deleted.");
    }
    for (const auto& path : paths) {
        CImageItem again;
        again.InitFromFile(path, false);
        EXPECT_EQ(again.GetCategory(), CATEGORY_ID_UNFILED);
    }
    EXPECT_FALSE(std::filesystem::exists(device.Host("Storage Card/My Documents/Kestrelview/photo000.jpg")));
    EXPECT_FALSE(std::filesystem::exists(device.Host("Storage Card/My Documents/Kestrelview/photo001.jpg")));
}

}  // namespace
