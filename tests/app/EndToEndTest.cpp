#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TestSupport.h"

#ifdef KV_KESTRELVIEW_PROGRAM

namespace {

namespace fs = std::filesystem;
using std::chrono::steady_clock;

// A screenshot the program wrote, read back for pixel probes.
struct Shot {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    bool Read(const std::string& path) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, path.c_str()))
            return false;
        image.format = PNG_FORMAT_RGB;
        rgb.resize(PNG_IMAGE_SIZE(image));
        const bool ok = png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
        width = int(image.width);
        height = int(image.height);
        png_image_free(&image);
        return ok;
    }
    uint32_t At(int x, int y) const {
        const uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
};

// The list's geometry on the screen: rows of 17 pixels below the header.
constexpr int FIRST_ROW_Y = 68;
constexpr int ROW_HEIGHT = 17;
constexpr uint32_t TASK_BAR = 0x000084;
constexpr uint32_t SORTED_SHADE = 0xF6F6F6;  // the Name column, sorted by
constexpr uint32_t SELECTED = 0x000080;
constexpr uint32_t WHITE = 0xFFFFFF;
constexpr uint32_t BUTTON_FACE = 0xC0C0C0;
constexpr uint32_t PRESSED_BUTTON = 0xBEBEBE;
constexpr uint32_t RAISED_BUTTON = 0xD6D6D6;
constexpr int LIST_BUTTON_X = 63;
constexpr int LIST_BUTTON_Y = 307;

int RowY(int row) { return FIRST_ROW_Y + ROW_HEIGHT * row + ROW_HEIGHT / 2; }

// The rows drawn in the list: each has the sorted column's shade (or the
// selection) at its left edge and the photo's name written over it.
int RowsShown(const Shot& shot) {
    int rows = 0;
    for (; RowY(rows) < 294; ++rows) {
        const uint32_t edge = shot.At(2, RowY(rows));
        int text = 0;
        for (int x = 3; x < 95; ++x)
            for (int y = RowY(rows) - 6; y < RowY(rows) + 6; ++y)
                text += shot.At(x, y) != edge;
        if ((edge != SORTED_SHADE && edge != SELECTED) || text < 20)
            break;
    }
    return rows;
}

// The script's steps; each shot is named for the step it shows.
const char* const SCRIPT = R"(wait 10
shot {}/01-start.png
tap 63 307
wait 1000
shot {}/02-list.png
tap 60 75
wait 500
shot {}/03-photo.png
key Down
wait 500
shot {}/04-next.png
key Enter
wait 600
shot {}/05-back.png
hold 60 75
tap 95 158
wait 100
shot {}/06-confirm.png
tap 84 91
wait 500
shot {}/07-deleted.png
sleep 2500
shot {}/08-copied.png
)";

std::string Script(const std::string& shots) {
    std::string script = SCRIPT;
    for (size_t at = script.find("{}"); at != std::string::npos; at = script.find("{}", at))
        script.replace(at, 2, shots);
    return script;
}

// The program, started as a user would start it headless, on a device
// folder of camera photos; another program copies a photo in while it runs.
TEST(EndToEndTest, BrowseOpenPageReturnDeleteAndSeeAPhotoCopiedIn) {
    const std::string corpus = CorpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "the JPEG corpus is missing";
    TempDir root;
    TempDir shots;
    const fs::path photos = fs::path(root.Path()) / "My Documents" / "Kestrelview";
    fs::create_directories(photos);
    // Sorted by name: Canon, Kodak, Nikon C, Nikon D, Pentax, Sony.
    for (const char* name : {"ian_Canon_40D.jpg", "ian_Nikon_D70.jpg", "ian_Pentax_K10D.jpg",
                             "ian_Sony_HDR-HC3.jpg", "ian_Kodak_CX7530.jpg", "ian_Nikon_COOLPIX_P1.jpg"}) {
        fs::copy_file(fs::path(corpus) / "camera" / name, photos / name);
        fs::permissions(photos / name, fs::perms::owner_write, fs::perm_options::add);
    }
    const std::string scriptFile = shots / "script.txt";
    std::ofstream(scriptFile) << Script(shots.Path());

    std::atomic<bool> ended{false};
    int status = -1;
    std::string output;
    std::thread program([&] {
        const std::string command = std::string("timeout 60 '") + KV_KESTRELVIEW_PROGRAM +
                                    "' --headless --script '" + scriptFile + "' --root '" + root.Path() + "' 2>&1";
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[512];
            while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
                output.append(buffer, n);
            const int raw = pclose(pipe);
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        }
        ended = true;
    });
    // Once the deletion is on the screen the program sleeps: the copy
    // comes from outside then.
    const std::string deleted = shots / "07-deleted.png";
    const auto deadline = steady_clock::now() + std::chrono::seconds(60);
    while (!ended && !fs::exists(deleted) && steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));  // polling the folder
    const bool copiedWhileRunning = !ended && fs::exists(deleted);
    fs::copy_file(fs::path(corpus) / "camera" / "ian_Olympus_C8080WZ.jpg", photos / "ian_Olympus_C8080WZ.jpg");
    program.join();
    ASSERT_EQ(status, 0) << output;
    ASSERT_TRUE(copiedWhileRunning);

    const char* names[] = {"01-start", "02-list", "03-photo", "04-next",
                           "05-back",  "06-confirm", "07-deleted", "08-copied"};
    std::vector<Shot> shot(std::size(names));
    for (size_t i = 0; i < shot.size(); ++i)
        ASSERT_TRUE(shot[i].Read(shots / (std::string(names[i]) + ".png"))) << names[i];

    // The thumbnail grid at the start: the list's button is up.
    EXPECT_EQ(shot[0].At(150, 2), TASK_BAR);
    EXPECT_EQ(shot[0].At(LIST_BUTTON_X, LIST_BUTTON_Y), RAISED_BUTTON);
    EXPECT_EQ(shot[0].At(2, RowY(0)), WHITE);
    // The list: its button pressed, six rows.
    EXPECT_EQ(shot[1].At(LIST_BUTTON_X, LIST_BUTTON_Y), PRESSED_BUTTON);
    EXPECT_EQ(RowsShown(shot[1]), 6);
    // The first photo alone, full screen, then the next one: no task bar,
    // no top bar, and the two pictures differ.
    for (const Shot* alone : {&shot[2], &shot[3]}) {
        EXPECT_NE(alone->At(150, 2), TASK_BAR);
        EXPECT_NE(alone->At(5, 30), BUTTON_FACE);
    }
    int differing = 0;
    for (int y = 40; y < 300; y += 20)
        for (int x = 20; x < 220; x += 20)
            differing += shot[2].At(x, y) != shot[3].At(x, y);
    EXPECT_GT(differing, 100) << "Down shows another photo";
    // Back in the list on the photo shown last: the second row.
    EXPECT_EQ(RowsShown(shot[4]), 6);
    EXPECT_EQ(shot[4].At(2, RowY(1)), SELECTED);
    EXPECT_EQ(shot[4].At(2, RowY(0)), SORTED_SHADE);
    // The popup's Delete asks first.
    EXPECT_EQ(shot[5].At(84, 91), BUTTON_FACE) << "the Yes button";
    EXPECT_EQ(shot[5].At(20, 200), WHITE);
    // Yes: the first photo's file and row are gone.
    EXPECT_FALSE(fs::exists(photos / "ian_Canon_40D.jpg"));
    EXPECT_EQ(RowsShown(shot[6]), 5);
    // The photo copied in has its row, without a Refresh.
    EXPECT_EQ(RowsShown(shot[7]), 6);
}

}  // namespace

#endif
