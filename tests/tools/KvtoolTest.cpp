#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <sstream>

#include "imaging/JpegPicture.h"
#include "tests/support/TestSupport.h"
#include "tools/kvtool/Kvtool.h"
#include "tools/kvtool/ThumbnailPass.h"

namespace {
// A device folder holding one sample photo, and kvtool run against it.
class KvtoolTest : public ::testing::Test {
protected:
    TempDir root;
    std::string photo;
    std::string out, err;

    void SetUp() override {
        photo = root / "My Documents/Kestrelview/sunset.jpg";
        WriteHostFile(photo, ReadHostFile(std::string(KV_SOURCE_DIR) + "/samples/sunset.jpg"));
    }

    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--root", root.Path()});
        std::ostringstream o, e;
        const int status = RunKvtool(args, o, e);
        out = o.str();
        err = e.str();
        return status;
    }
};
}  // namespace

TEST_F(KvtoolTest, InfoJsonDescribesAPhotoWithoutTrailer) {
    ASSERT_EQ(0, Run({"info", "--json", photo})) << err;
    EXPECT_EQ("{\"path\": \"" + photo +
                  "\", \"size\": 45126, \"width\": 640, \"height\": 480, "
                  "\"date\": \"2024-06-01T21:15:00\", \"exif_date\": \"2024-06-01T21:15:00\", "
                  "\"trailer\": false, \"category\": \"0000000000000000\", \"private\": false, "
                  "\"note\": \"\", \"thumbnail\": null, \"exif_thumbnail\": true, \"header_error\": 0, "
                  "\"coding\": \"baseline\"}\n",
              out);
}

TEST_F(KvtoolTest, NotePrivateAndCategoryRoundTrip) {
    ASSERT_EQ(0, Run({"note", photo, "Evening\non the hill \"west\""})) << err;
    ASSERT_EQ(0, Run({"note", photo}));
    EXPECT_EQ("Evening\non the hill \"west\"\n", out);

    ASSERT_EQ(0, Run({"private", photo}));
    EXPECT_EQ("off\n", out);
    ASSERT_EQ(0, Run({"private", photo, "on"})) << err;
    ASSERT_EQ(0, Run({"private", photo}));
    EXPECT_EQ("on\n", out);

    ASSERT_EQ(0, Run({"categories", "add", "Holidays"})) << err;
    const std::string id = out.substr(0, 16);
    ASSERT_EQ(0, Run({"category", photo, "holidays"})) << err;
    ASSERT_EQ(0, Run({"category", photo}));
    EXPECT_EQ("Holidays (" + id + ")\n", out);

    ASSERT_EQ(0, Run({"info", "--json", "--db", root / "Program Files/Farrowdale/Kestrelview/_CategoryDB", photo}));
    EXPECT_NE(std::string::npos, out.find("\"trailer\": true"));
    EXPECT_NE(std::string::npos, out.find("\"category\": \"" + id + "\", \"category_name\": \"Holidays\""));
    EXPECT_NE(std::string::npos, out.find("\"private\": true"));
    EXPECT_NE(std::string::npos, out.find("\"note\": \"Evening\\non the hill \\\"west\\\"\""));

    ASSERT_EQ(0, Run({"category", photo, "--unfiled"}));
    ASSERT_EQ(0, Run({"category", photo}));
    EXPECT_EQ("Unfiled\n", out);
    ASSERT_EQ(0, Run({"category", photo, "--id", id}));
    ASSERT_EQ(0, Run({"category", photo}));
    EXPECT_EQ("Holidays (" + id + ")\n", out);
}

TEST_F(KvtoolTest, CategoriesCommandKeepsNamesUniqueAndShort) {
    ASSERT_EQ(0, Run({"categories", "add", "zoo"}));
    ASSERT_EQ(0, Run({"categories", "add", "Art"}));
    ASSERT_EQ(0, Run({"categories", "add", "beach"}));
    EXPECT_EQ(1, Run({"categories", "add", "BEACH"}));
    EXPECT_EQ("kvtool: BEACH: A category with that name already exists.\n", err);
    EXPECT_EQ(1, Run({"categories", "add", std::string(32, 'x')}));
    EXPECT_NE(std::string::npos, err.find("The category name cannot be greater than 31 characters."));
    EXPECT_EQ(0, Run({"categories", "add", std::string(31, 'x')}));
    ASSERT_EQ(0, Run({"categories", "rename", "Art", "Zebra"}));
    ASSERT_EQ(0, Run({"categories", "delete", "zoo"}));
    EXPECT_EQ(1, Run({"categories", "delete", "zoo"}));
    ASSERT_EQ(0, Run({"categories", "list"}));
    std::vector<std::string> names;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) names.push_back(line.substr(18));
    EXPECT_EQ((std::vector<std::string>{"beach", std::string(31, 'x'), "Zebra"}), names);
}

TEST_F(KvtoolTest, FailuresNameTheFileAndLeaveItUnchanged) {
    const std::vector<uint8_t> before = ReadHostFile(photo);
    chmod(photo.c_str(), 0444);
    EXPECT_EQ(1, Run({"note", photo, "text"}));
    EXPECT_EQ("kvtool: " + photo + ": access denied (read-only file or folder) (5)\n", err);
    EXPECT_EQ(before, ReadHostFile(photo));
    chmod(photo.c_str(), 0644);

    EXPECT_EQ(1, Run({"note", root / "missing.jpg", "x"}));
    EXPECT_EQ("kvtool: " + root / "missing.jpg" + ": file not found (2)\n", err);
    EXPECT_EQ(2, Run({"private", photo, "maybe"}));
    EXPECT_EQ(1, Run({"category", photo, "Nowhere"}));
    EXPECT_EQ(before, ReadHostFile(photo));
    EXPECT_EQ(2, Run({"frobnicate"}));
    EXPECT_EQ(2, Run({"info", "--bogus", photo}));
}

TEST_F(KvtoolTest, FilesOutsideTheDeviceFolderCanBeEdited) {
    TempDir elsewhere;
    const std::string copy = elsewhere / "copy.jpg";
    WriteHostFile(copy, ReadHostFile(photo));
    ASSERT_EQ(0, Run({"note", copy, "outside"})) << err;
    ASSERT_EQ(0, Run({"note", copy}));
    EXPECT_EQ("outside\n", out);
    EXPECT_FALSE(std::filesystem::exists(elsewhere / "Program Files"));
}

TEST_F(KvtoolTest, ScanListsDisplayedRecordsAndWritesCaches) {
    const std::vector<uint8_t> bytes = ReadHostFile(photo);
    WriteHostFile(root / "My Documents/Kestrelview/Beach.jpg", bytes);
    WriteHostFile(root / "My Documents/Kestrelview/attic.jpg", bytes);
    ASSERT_EQ(0, Run({"categories", "add", "Trips"}));
    ASSERT_EQ(0, Run({"category", root / "My Documents/Kestrelview/Beach.jpg", "Trips"}));
    ASSERT_EQ(0, Run({"private", root / "My Documents/Kestrelview/attic.jpg", "on"}));

    const auto firstColumn = [&] {
        std::vector<std::string> paths;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) paths.push_back(line.substr(0, line.find('\t')));
        return paths;
    };
    ASSERT_EQ(0, Run({"scan", "--full"})) << err;
    EXPECT_EQ((std::vector<std::string>{"\\My Documents\\Kestrelview\\attic.jpg", "\\My Documents\\Kestrelview\\Beach.jpg",
                                        "\\My Documents\\Kestrelview\\sunset.jpg"}),
              firstColumn());
    EXPECT_TRUE(std::filesystem::exists(root / "My Documents/Kestrelview/KVFileListCache.fdf"));

    ASSERT_EQ(0, Run({"scan", "--descending", "--hide-private"})) << err;
    EXPECT_EQ((std::vector<std::string>{"\\My Documents\\Kestrelview\\sunset.jpg", "\\My Documents\\Kestrelview\\Beach.jpg"}),
              firstColumn());
    ASSERT_EQ(0, Run({"scan", "--category", "Trips", "--location", "Internal"}));
    EXPECT_EQ(std::vector<std::string>{"\\My Documents\\Kestrelview\\Beach.jpg"}, firstColumn());
    EXPECT_NE(std::string::npos, out.find("\tTrips\t"));
    ASSERT_EQ(0, Run({"scan", "--category", "unfiled", "--sort", "size"}));
    EXPECT_EQ(2u, firstColumn().size());
    EXPECT_EQ(2, Run({"scan", "--sort", "colour"}));
    EXPECT_EQ(1, Run({"scan", "--category", "Nowhere"}));
}

TEST_F(KvtoolTest, DecodeWritesThePictureAtEachScale) {
    const struct {
        const char* scale;
        const char* size;
    } cases[] = {{"1", "640x480"}, {"2", "320x240"}, {"4", "160x120"}, {"8", "80x60"}};
    for (const auto& c : cases) {
        const std::string output = root / (std::string("out") + c.scale + ".png");
        ASSERT_EQ(0, Run({"decode", photo, "--scale", c.scale, "-o", output})) << err;
        EXPECT_EQ(output + ": " + c.size + "\n", out);
        EXPECT_TRUE(std::filesystem::exists(output));
    }
    ASSERT_EQ(0, Run({"decode", photo, "--thumbnail", "-o", root / "thumb.ppm"})) << err;
    EXPECT_EQ(root / "thumb.ppm" + ": 160x120\n", out);
    EXPECT_EQ("P6", std::string(reinterpret_cast<const char*>(ReadHostFile(root / "thumb.ppm").data()), 2));

    const std::string progressive = root / "progressive.jpg";
    WriteHostFile(progressive, ReadHostFile(FixturePath("jpeg/progressive.jpg")));
    ASSERT_EQ(0, Run({"decode", progressive, "-o", root / "p.png"})) << err;
    EXPECT_EQ(root / "p.png" + ": 16x16\n", out);
    const std::string twelveBit = root / "precision12.jpg";
    WriteHostFile(twelveBit, ReadHostFile(FixturePath("jpeg/precision12.jpg")));
    EXPECT_EQ(1, Run({"decode", twelveBit, "-o", root / "q.png"}));
    EXPECT_EQ("kvtool: " + twelveBit + ": sample precision other than 8 bits not supported (-205)\n", err);
    EXPECT_FALSE(std::filesystem::exists(root / "q.png"));
    EXPECT_EQ(2, Run({"decode", photo, "--scale", "3", "-o", root / "x.png"}));
    EXPECT_EQ(2, Run({"decode", photo, "-o", root / "x.gif"}));
}

// A PPM is written row by row straight from the decoder: the same pixels as
// the whole decoded picture, at every scale; a photo that fails to decode
// leaves no file.
TEST_F(KvtoolTest, DecodeToPpmGivesThePicturesPixels) {
    for (int shift = 0; shift <= 3; ++shift) {
        const std::string output = root / "rows.ppm";
        ASSERT_EQ(0, Run({"decode", photo, "--scale", std::to_string(1 << shift), "-o", output})) << err;
        const std::vector<uint8_t> jpeg = ReadHostFile(photo);
        JpegPicture picture;
        ASSERT_EQ(0, DecodeJpegMemory(jpeg.data(), jpeg.size(), shift, false, picture));
        const std::string header =
            "P6\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n255\n";
        std::vector<uint8_t> expected(header.begin(), header.end());
        for (uint32_t pixel : picture.pixels)
            expected.insert(expected.end(), {uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel)});
        EXPECT_EQ(expected, ReadHostFile(output)) << "scale shift " << shift;
    }
    const std::string twelveBit = root / "precision12.jpg";
    WriteHostFile(twelveBit, ReadHostFile(FixturePath("jpeg/precision12.jpg")));
    EXPECT_EQ(1, Run({"decode", twelveBit, "-o", root / "q.ppm"}));
    EXPECT_FALSE(std::filesystem::exists(root / "q.ppm"));
}

TEST_F(KvtoolTest, RenderReportsTheFitAndTheSource) {
    const std::string output = root / "r.png";
    ASSERT_EQ(0, Run({"render", photo, "240x320", "-o", output})) << err;
    EXPECT_EQ("fit 0,0 240x320, turned, from decode at scale 1/2\n", out);
    ASSERT_EQ(0, Run({"render", photo, "240x320", "--no-rotate", "-o", output})) << err;
    EXPECT_EQ("fit 0,70 240x180, from decode at scale 1/2\n", out);
    ASSERT_EQ(0, Run({"render", photo, "60x45", "--store-thumbnail", "-o", output})) << err;
    EXPECT_EQ("fit 0,0 60x45, from EXIF thumbnail at scale 1/1, thumbnail stored\n", out);
    EXPECT_EQ(2, Run({"render", photo, "0x10", "-o", output}));
}

// The workers make thumbnails while photos are renamed and deleted under
// them (after a few files, so that some are being drawn at that moment):
// every photo left holds its thumbnail, and nothing appears at a path that
// went away.
TEST_F(KvtoolTest, ThumbnailsFollowPhotosRenamedAndDeletedMeanwhile) {
    const std::string folder = root / "My Documents/Kestrelview";
    const std::vector<uint8_t> bytes = ReadHostFile(photo);
    constexpr int kPhotos = 16;
    for (int i = 0; i < kPhotos; ++i) WriteHostFile(folder + "/p" + std::to_string(i) + ".jpg", bytes);
    std::set<std::string> expected = {"sunset.jpg"}, vanished;
    for (int i = 0; i < kPhotos; ++i) {
        const std::string name = "p" + std::to_string(i) + ".jpg";
        if (i % 3 == 0) {
            vanished.insert(name);
        } else if (i % 3 == 1) {
            vanished.insert(name);
            expected.insert("moved" + name);
        } else {
            expected.insert(name);
        }
    }
    std::atomic<int> opens{0};
    ThumbnailPass::SetBeforeOpen([&](const std::u16string&) {
        if (opens.fetch_add(1) != 3) return;
        for (int i = 0; i < kPhotos; ++i) {
            const std::string name = "p" + std::to_string(i) + ".jpg";
            if (i % 3 == 0) std::filesystem::remove(folder + "/" + name);
            if (i % 3 == 1) std::filesystem::rename(folder + "/" + name, folder + "/moved" + name);
        }
    });
    const int status = Run({"thumbnails"});
    ThumbnailPass::SetBeforeOpen(nullptr);
    ASSERT_EQ(0, status) << err;
    EXPECT_EQ("", err);

    std::set<std::string> photos;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 4 && name.substr(name.size() - 4) == ".jpg") photos.insert(name);
    }
    EXPECT_EQ(expected, photos);
    for (const std::string& name : vanished) EXPECT_FALSE(std::filesystem::exists(folder + "/" + name)) << name;
    for (const std::string& name : photos) {
        ASSERT_EQ(0, Run({"info", "--json", folder + "/" + name})) << err;
        EXPECT_NE(std::string::npos, out.find("\"thumbnail\": [96, 72]")) << name;
    }
}

TEST_F(KvtoolTest, ThumbnailsAreStoredOnceForEveryImage) {
    WriteHostFile(root / "My Documents/Kestrelview/second.jpg", ReadHostFile(photo));
    ASSERT_EQ(0, Run({"thumbnails"})) << err;
    EXPECT_EQ("2 thumbnails stored, 0 already there, 0 could not be decoded, 0 failed\n", out);
    ASSERT_EQ(0, Run({"thumbnails"})) << err;
    EXPECT_EQ("0 thumbnails stored, 2 already there, 0 could not be decoded, 0 failed\n", out);
    ASSERT_EQ(0, Run({"info", "--json", photo}));
    EXPECT_NE(std::string::npos, out.find("\"thumbnail\": [96, 72]"));
}
