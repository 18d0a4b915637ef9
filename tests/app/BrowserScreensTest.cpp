#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "catalogue/TrailerEdits.h"
#include "platform/gdi/Colour.h"
#include "tests/app/ScreenShot.h"
#include "tests/support/TestSupport.h"

#ifdef KV_KESTRELVIEW_PROGRAM

namespace {

// Camera photos of the corpus, of several sizes and makers, some with an
// EXIF thumbnail and some without.
const char* const PHOTOS[] = {
    "ian_exiforg_canon-ixus.jpg",    "ian_exiforg_fujifilm-dx10.jpg", "ian_exiforg_kodak-dc210.jpg",
    "ian_exiforg_nikon-e950.jpg",    "ian_exiforg_olympus-d320l.jpg", "ian_exiforg_ricoh-rdc5300.jpg",
    "ian_exiforg_sony-d700.jpg",     "ian_exiforg_sony-powershota5.jpg", "ian_gps_DSCN0010.jpg",
    "ian_gps_DSCN0021.jpg",          "ian_hdr_canon_hdr_NO.jpg",      "ian_mobile_jolla.jpg",
    "ian_tests_11-tests.jpg",        "ian_tests_22-canon_tags.jpg",   "ian_tests_45-gps_ifd.jpg",
    "ian_Reconyx_HC500_Hyperfire.jpg",
};

// Where the screen's parts lie: the view below the task bar, the grid and
// the list below the view's top bar, and the tool bar's mode buttons.
constexpr int32_t GRID_TOP = 26 + 24;
constexpr int32_t MODE_BUTTON_Y = 307;
constexpr int32_t LIST_BUTTON_X = 63, DETAIL_BUTTON_X = 87, GALLERY_BUTTON_X = 132;
constexpr uint32_t WHITE = 0xFFFFFF;

int RunScript(const std::string& root, const std::string& script) {
    TempDir dir;
    std::ofstream(dir / "script.txt") << script;
    const std::string command = std::string("timeout 120 '") + KV_KESTRELVIEW_PROGRAM + "' --headless --script '" +
                                (dir / "script.txt") + "' --root '" + root + "' > /dev/null 2>&1";
    return std::system(command.c_str());
}

// The number of distinct colours in a rectangle: a photo has many, a white
// cell or a flat placeholder few.
size_t Colours(const Shot& shot, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    std::vector<uint32_t> seen;
    for (int32_t y = top; y < bottom; ++y)
        for (int32_t x = left; x < right; ++x)
            if (std::find(seen.begin(), seen.end(), shot.At(x, y)) == seen.end())
                seen.push_back(shot.At(x, y));
    return seen.size();
}

class BrowserScreensTest : public ::testing::Test {
protected:
    TempDevice root;
    TempDir shots;
    Shot thumbnails, photo, selected, gallery, detail, list;

    void SetUp() override {
        const std::string corpus = CorpusDir();
        ASSERT_FALSE(corpus.empty()) << "the JPEG corpus is missing";
        const std::string folder = root.Host("My Documents/Kestrelview");
        std::filesystem::create_directories(folder);
        for (const char* name : PHOTOS) {
            std::filesystem::copy_file(corpus + "/camera/" + name, folder + "/" + name);
            std::filesystem::permissions(folder + "/" + name, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add);
        }
        // A note long enough to wrap over the detail cell's lines.
        ASSERT_EQ(SetTrailerNote(u"\\My Documents\\Kestrelview\\ian_exiforg_canon-ixus.jpg",
                                 u"Grandmother's garden in June, the roses out and the old bench"),
                  0);
        // A wait lets the thumbnail threads work for as long as they are busy,
        // and passes at once when they are done: long waits cost nothing.
        const std::string script =
            "wait 60000\nshot " + (shots / "thumbnails.png") + "\n" +
            "tap 110 120\nwait 1000\nshot " + (shots / "photo.png") + "\n" +
            "tap 120 160\nwait 1000\nshot " + (shots / "selected.png") + "\n" +
            "tap " + std::to_string(GALLERY_BUTTON_X) + " " + std::to_string(MODE_BUTTON_Y) +
            "\nwait 60000\nshot " + (shots / "gallery.png") + "\n" +
            "tap " + std::to_string(DETAIL_BUTTON_X) + " " + std::to_string(MODE_BUTTON_Y) +
            "\nwait 60000\nshot " + (shots / "detail.png") + "\n" +
            "tap " + std::to_string(LIST_BUTTON_X) + " " + std::to_string(MODE_BUTTON_Y) +
            "\nwait 1000\nshot " + (shots / "list.png") + "\n";
        ASSERT_EQ(RunScript(root.Root(), script), 0);
        thumbnails = ReadShot(shots / "thumbnails.png");
        photo = ReadShot(shots / "photo.png");
        selected = ReadShot(shots / "selected.png");
        gallery = ReadShot(shots / "gallery.png");
        detail = ReadShot(shots / "detail.png");
        list = ReadShot(shots / "list.png");
        for (const Shot* s : {&thumbnails, &photo, &selected, &gallery, &detail, &list})
            ASSERT_EQ(s->width, 240);
        if (const char* keep = std::getenv("KV_KEEP_SHOTS"))
            std::filesystem::copy(shots.Path(), keep, std::filesystem::copy_options::overwrite_existing |
                                                           std::filesystem::copy_options::recursive);
    }
};

// Cells at the layout's places with photos in them, white between them,
// and the scroll bar only while not every photo fits.
TEST_F(BrowserScreensTest, GridLayoutsAtTheirGeometry) {
    const struct {
        const char* what;
        const Shot* shot;
        int columns;
        int32_t marginX, marginY, pitchX, pitchY, width, height;
        bool scrollBar;
        int selectedColumn;  // photo 1, tapped in the thumbnails, stays selected
    } layouts[] = {
        {"thumbnails", &thumbnails, 3, 5, 3, 71, 80, 66, 77, true, -1},
        {"gallery", &gallery, 4, 3, 12, 54, 56, 51, 51, false, 1},
        {"detail", &detail, 1, 3, 5, 0, 79, 221, 75, true, -1},
    };
    const uint32_t frame = PixelFromColour(GetSysColor(COLOR_BTNSHADOW));
    for (const auto& l : layouts) {
        SCOPED_TRACE(l.what);
        const Shot& s = *l.shot;
        for (int c = 0; c < l.columns; ++c) {
            const int32_t left = l.marginX + c * l.pitchX, top = GRID_TOP + l.marginY;
            EXPECT_EQ(s.At(left, top), c == l.selectedColumn ? frame : WHITE) << "cell corner " << c;
            EXPECT_EQ(s.At(left - 1, top + 20), WHITE) << "gap before cell " << c;
            EXPECT_GT(Colours(s, left + 8, top + 8, left + 40, top + 40), 50u) << "a photo in cell " << c;
        }
        EXPECT_EQ(s.At(l.marginX + 10, GRID_TOP + l.marginY + l.height + 1), WHITE) << "gap below row 0";
        EXPECT_EQ(s.At(234, GRID_TOP + 100) != WHITE, l.scrollBar) << "scroll bar";
    }
}

// The tapped cell gets a frame 3 pixels wide in the button-shadow colour,
// drawn inside the cell; the cell beside it stays unframed.
TEST_F(BrowserScreensTest, SelectionFrameIsThreePixelsWide) {
    const uint32_t frame = PixelFromColour(GetSysColor(COLOR_BTNSHADOW));
    const int32_t left = 76, top = GRID_TOP + 3, mid = top + 38;
    for (int32_t x = left; x < left + 3; ++x)
        EXPECT_EQ(selected.At(x, mid), frame) << x;
    EXPECT_EQ(selected.At(left + 3, mid), WHITE);
    EXPECT_EQ(selected.At(left + 33, top + 1), frame);
    EXPECT_EQ(selected.At(left + 33, top + 76), frame) << "bottom edge";
    EXPECT_EQ(selected.At(left - 1, mid), WHITE);
    EXPECT_EQ(selected.At(5, mid), WHITE) << "photo 0 unselected";
    EXPECT_EQ(thumbnails.At(left, mid), WHITE) << "nothing selected before the tap";
}

// A tapped photo is shown alone over the whole screen: the task bar at the
// top and the tool bar at the bottom give way to the picture.
TEST_F(BrowserScreensTest, ATappedPhotoFillsTheScreen) {
    EXPECT_EQ(photo.height, 320);
    EXPECT_GT(Colours(photo, 0, 0, 240, 26), 200u) << "where the task bar was";
    EXPECT_GT(Colours(photo, 0, 294, 240, 320), 200u) << "where the tool bar was";
    EXPECT_GT(Colours(photo, 100, 140, 140, 180), 100u) << "the middle";
    EXPECT_LT(Colours(thumbnails, 0, 294, 240, 320), 100u) << "the tool bar before";
}

// The list: its header, then rows of the photos with the sorted Name
// column shaded on unselected rows.
TEST_F(BrowserScreensTest, ListShowsAHeaderAndShadedNameColumn) {
    const uint32_t shade = 0xF6F6F6;
    const int32_t firstRow = GRID_TOP + 19;
    EXPECT_NE(list.At(50, GRID_TOP + 5), WHITE) << "header";
    int shaded = 0;
    for (int row = 0; row < 10; ++row)
        shaded += list.At(97, firstRow + row * 17 + 8) == shade;
    EXPECT_GE(shaded, 9) << "one row may be the selected one";
    EXPECT_GT(Colours(list, 2, firstRow, 95, firstRow + 17 * 10), 10u) << "names are written";
}

}  // namespace

#endif
