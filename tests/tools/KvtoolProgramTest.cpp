#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/TestSupport.h"
#include "tests/tools/KvtoolProgram.h"

namespace fs = std::filesystem;

namespace {
// A device folder with a storage card (a folder linked into the root), and
// the real kvtool run against it.
class KvtoolProgramTest : public ::testing::Test {
protected:
    TempDir root, card;
    const std::vector<uint8_t> sunset = ReadHostFile(std::string(KV_SOURCE_DIR) + "/samples/sunset.jpg");
    const std::vector<uint8_t> dated = ReadHostFile(FixturePath("catalogue/exif_date.jpg"));

    std::string Main(const std::string& name) const { return root / ("My Documents/Kestrelview/" + name); }
    std::string Cache() const { return Main("KVFileListCache.fdf"); }

    void SetUp() override {
        WriteHostFile(Main("sunset.jpg"), sunset);
        WriteHostFile(card / "DCIM/100CAMRA/beach.jpg", sunset);
        MakeHostDirs(card / "My Documents/Kestrelview");
        ASSERT_EQ(0, symlink(card.Path().c_str(), (root / "Storage Card").c_str()));
    }

    ProgramRun Run(std::vector<std::string> args, const std::string& locale = "C") const {
        args.insert(args.begin(), {"--root", root.Path()});
        return RunKvtoolProgram(args, LocaleEnvironment(locale));
    }
    // Runs and expects success.
    std::string Ok(const std::vector<std::string>& args, const std::string& locale = "C") const {
        const ProgramRun run = Run(args, locale);
        EXPECT_EQ(0, run.status) << run.err;
        return run.out;
    }
};

// One column of kvtool scan's tab-separated lines.
std::vector<std::string> Column(const std::string& out, size_t column) {
    std::vector<std::string> values;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string field;
        for (size_t i = 0; i <= column && std::getline(fields, field, '\t'); ++i) {
        }
        values.push_back(field);
    }
    return values;
}

std::string FileName(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

std::vector<std::string> Names(const std::string& out) {
    std::vector<std::string> names = Column(out, 0);
    std::transform(names.begin(), names.end(), names.begin(), FileName);
    return names;
}
}  // namespace

TEST_F(KvtoolProgramTest, TheReadmeExampleListsTheCategorisedPhoto) {
    Ok({"scan"});
    ASSERT_TRUE(fs::exists(Cache()));
    Ok({"categories", "add", "Holidays"});
    Ok({"category", Main("sunset.jpg"), "Holidays"});
    Ok({"note", Main("sunset.jpg"), "Evening on the hill"});
    const std::string out = Ok({"scan", "--sort", "date", "--category", "Holidays"});
    EXPECT_EQ(std::vector<std::string>{"\\My Documents\\Kestrelview\\sunset.jpg"}, Column(out, 0));
    EXPECT_EQ(std::vector<std::string>{"Holidays"}, Column(out, 1));
}

// Every command that changes a photo deletes the cache of the photo's
// folder, which would otherwise bring the old facts back at the next start.
TEST_F(KvtoolProgramTest, EditsDeleteTheCacheOfThePhotosFolder) {
    Ok({"categories", "add", "Holidays"});
    const std::string output = root / "out.png";
    const struct {
        std::vector<std::string> args;
    } cases[] = {
        {{"category", Main("sunset.jpg"), "Holidays"}},
        {{"note", Main("sunset.jpg"), "Evening"}},
        {{"private", Main("sunset.jpg"), "on"}},
        {{"render", Main("sunset.jpg"), "60x45", "--store-thumbnail", "-o", output}},
        {{"thumbnails"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0]);
        WriteHostFile(Main("sunset.jpg"), sunset);
        Ok({"scan", "--full"});
        ASSERT_TRUE(fs::exists(Cache()));
        Ok(c.args);
        EXPECT_FALSE(fs::exists(Cache()));
    }
    // And the next scan shows the change.
    WriteHostFile(Main("sunset.jpg"), sunset);
    Ok({"scan", "--full"});
    Ok({"category", Main("sunset.jpg"), "Holidays"});
    EXPECT_EQ(std::vector<std::string>{"Holidays"}, Column(Ok({"scan", "--category", "Holidays"}), 1));
}

// A file manager or a camera import adds and deletes photos without
// deleting the cache; the next scan still lists the folder as it is.
TEST_F(KvtoolProgramTest, AScanAfterOutsideChangesListsTheFolderAsItIs) {
    WriteHostFile(Main("old.jpg"), sunset);
    Ok({"scan"});
    ASSERT_TRUE(fs::exists(Cache()));
    WriteHostFile(Main("new.jpg"), sunset);
    fs::remove(Main("old.jpg"));
    EXPECT_EQ((std::vector<std::string>{"new.jpg", "sunset.jpg", "beach.jpg"}),
              Names(Ok({"scan", "--sort", "location"})));

    // Unchanged, the folder is taken from its cache: a photo rewritten in
    // place (its folder untouched) keeps the category the cache recorded
    // until a full scan reads it.
    Ok({"categories", "add", "Trips"});
    TempDir elsewhere;
    WriteHostFile(elsewhere / "new.jpg", sunset);
    Ok({"category", elsewhere / "new.jpg", "Trips"});
    const std::vector<uint8_t> filed = ReadHostFile(elsewhere / "new.jpg");
    std::ofstream(Main("new.jpg"), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(filed.data()), std::streamsize(filed.size()));
    EXPECT_EQ(std::vector<std::string>{}, Column(Ok({"scan", "--category", "Trips"}), 0));
    EXPECT_EQ(std::vector<std::string>{"\\My Documents\\Kestrelview\\new.jpg"},
              Column(Ok({"scan", "--full", "--category", "Trips"}), 0));
}

// Equal keys keep the order in which the scan found the photos (the order
// of the folder's entries), in both directions.
TEST_F(KvtoolProgramTest, TiesKeepTheOrderOfTheScan) {
    fs::remove(Main("sunset.jpg"));
    fs::remove(card / "DCIM/100CAMRA/beach.jpg");
    for (const char* name : {"a", "b", "c", "d", "e", "f", "g", "h"}) {
        WriteHostFile(Main(std::string(name) + ".jpg"), dated);
    }
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(root / "My Documents/Kestrelview")) {
        found.push_back(entry.path().filename().string());
    }
    std::vector<std::string> byName = found;
    std::sort(byName.begin(), byName.end());
    ASSERT_NE(byName, found) << "the folder lists its entries in name order; the test cannot tell";
    for (const char* key : {"location", "category", "size", "dimensions", "date", "note"}) {
        for (const bool descending : {false, true}) {
            SCOPED_TRACE(std::string(key) + (descending ? " descending" : ""));
            std::vector<std::string> args{"scan", "--full", "--sort", key};
            if (descending) args.push_back("--descending");
            EXPECT_EQ(found, Names(Ok(args)));
        }
    }
}

// Names, locations and categories sort as the user's language sorts them;
// the "C" locale sorts by code point.
TEST_F(KvtoolProgramTest, AccentedTextsSortByTheUsersLanguage) {
    fs::remove(Main("sunset.jpg"));
    fs::remove(card / "DCIM/100CAMRA/beach.jpg");
    const std::vector<std::string> names{"zoo", "Émile", "éa", "eb", "Zèbre", "apfel", "Äpfel", "Ole", "Öl"};
    for (const std::string& name : names) WriteHostFile(Main(name + ".jpg"), sunset);
    TempDir secondCard;
    WriteHostFile(secondCard / "DCIM/100CAMRA/écrin.jpg", sunset);
    ASSERT_EQ(0, symlink(secondCard.Path().c_str(), (root / "Écrin").c_str()));
    WriteHostFile(card / "My Documents/Kestrelview/card.jpg", sunset);
    Ok({"categories", "add", "zoo"});
    Ok({"categories", "add", "Été"});
    Ok({"categories", "add", "avion"});
    Ok({"category", Main("zoo.jpg"), "zoo"});
    Ok({"category", Main("eb.jpg"), "Été"});
    Ok({"category", Main("Ole.jpg"), "avion"});

    const std::vector<std::string> languageNames{"apfel", "Äpfel", "éa", "eb", "Émile", "Öl", "Ole", "Zèbre", "zoo"};
    const std::vector<std::string> languageLocations{"\\Écrin\\DCIM\\100CAMRA", "\\My Documents\\Kestrelview",
                                                     "\\Storage Card\\My Documents\\Kestrelview"};
    const std::vector<std::string> languageCategories{"avion", "Été", "zoo"};
    const struct {
        std::string locale;
        std::vector<std::string> names, locations, categories;
    } cases[] = {
        {"fr_FR.UTF-8", languageNames, languageLocations, languageCategories},
        {"de_DE.UTF-8", languageNames, languageLocations, languageCategories},
        {"C",
         {"apfel", "eb", "Ole", "zoo", "Zèbre", "Äpfel", "éa", "Émile", "Öl"},
         {"\\My Documents\\Kestrelview", "\\Storage Card\\My Documents\\Kestrelview", "\\Écrin\\DCIM\\100CAMRA"},
         {"avion", "zoo", "Été"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        std::string why;
        if (c.locale != "C") {
            ASSERT_TRUE(TestLocaleExists(c.locale, why)) << why;
        }
        std::vector<std::string> titles = Names(Ok({"scan", "--full", "--location", "Internal"}, c.locale));
        for (std::string& t : titles) t = t.substr(0, t.rfind('.'));
        EXPECT_EQ(c.names, titles);

        std::vector<std::string> folders;
        for (const std::string& path : Column(Ok({"scan", "--full", "--sort", "location"}, c.locale), 0)) {
            const std::string folder = path.substr(0, path.find_last_of('\\'));
            if (folders.empty() || folders.back() != folder) folders.push_back(folder);
        }
        EXPECT_EQ(c.locations, folders);

        std::vector<std::string> categories;
        for (const std::string& name : Column(Ok({"scan", "--full", "--sort", "category"}, c.locale), 1)) {
            if (name != "Unfiled" && (categories.empty() || categories.back() != name)) categories.push_back(name);
        }
        EXPECT_EQ(c.categories, categories);
    }
}

// A change that would lose part of what the user gave is refused, naming
// the loss, unless the user asks to go ahead.
TEST_F(KvtoolProgramTest, ChangesThatLoseSomethingAreRefusedUnlessForced) {
    const struct {
        std::vector<std::string> args;
        std::string named;  // in the refusal
    } cases[] = {
        {{"note", Main("sunset.jpg"), std::string(4096, 'x')}, "4096 bytes"},
        {{"note", Main("sunset.jpg"), "Sunset \xE6\x97\xA5\xE6\x9C\xAC"}, "\xE6\x97\xA5\xE6\x9C\xAC"},
        {{"note", Main("sunset.jpg"), "end\rstart"}, "carriage return"},
        {{"categories", "add", "\xC5\xB4" "ales"}, "\xC5\xB4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        WriteHostFile(Main("sunset.jpg"), sunset);
        const ProgramRun refused = Run(c.args);
        EXPECT_EQ(1, refused.status);
        EXPECT_NE(std::string::npos, refused.err.find(c.named)) << refused.err;
        EXPECT_NE(std::string::npos, refused.err.find("--force")) << refused.err;
        EXPECT_EQ(sunset, ReadHostFile(Main("sunset.jpg")));
        std::vector<std::string> forced = c.args;
        forced.push_back("--force");
        Ok(forced);
    }
    EXPECT_NE(std::string::npos, Ok({"categories", "list"}).find("?ales"));
    // What is stored whole goes through without asking.
    Ok({"note", Main("sunset.jpg"), "Line one\r\nline two, \xC3\xA9t\xC3\xA9"});
    EXPECT_EQ("Line one\nline two, \xC3\xA9t\xC3\xA9\n", Ok({"note", Main("sunset.jpg")}));
    Ok({"categories", "add", "\xC3\x89t\xC3\xA9"});
}

TEST_F(KvtoolProgramTest, CategoryFiltersTakeTheNamesScanPrints) {
    WriteHostFile(Main("filed.jpg"), sunset);
    const std::string id = Ok({"categories", "add", "all"}).substr(0, 16);
    Ok({"category", Main("filed.jpg"), "--id", id});
    const struct {
        std::vector<std::string> filter;
        std::vector<std::string> names;
    } cases[] = {
        {{"--category", "All"}, {"filed.jpg", "sunset.jpg", "beach.jpg"}},
        {{"--category", "ALL"}, {"filed.jpg", "sunset.jpg", "beach.jpg"}},
        {{"--category", "Unfiled"}, {"sunset.jpg", "beach.jpg"}},
        {{"--category", "unfiled"}, {"sunset.jpg", "beach.jpg"}},
        {{"--id", id}, {"filed.jpg"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter[1]);
        std::vector<std::string> args{"scan", "--sort", "location"};
        args.insert(args.end(), c.filter.begin(), c.filter.end());
        EXPECT_EQ(c.names, Names(Ok(args)));
    }
}

TEST_F(KvtoolProgramTest, LocationsAreNamedOrGivenAsFolders) {
    const struct {
        std::string location;
        std::vector<std::string> names;
    } cases[] = {
        {"Internal", {"sunset.jpg"}},
        {"storage card", {"beach.jpg"}},
        {"\\My Documents\\Kestrelview\\", {"sunset.jpg"}},
        {"/Storage Card/DCIM", {"beach.jpg"}},
        {root / "Storage Card/", {"beach.jpg"}},
        {root / "My Documents/Kestrelview", {"sunset.jpg"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location);
        EXPECT_EQ(c.names, Names(Ok({"scan", "--location", c.location})));
    }
    for (const std::string& unknown : std::vector<std::string>{"Nowhere", "\\Windows", root / "Windows"}) {
        const ProgramRun run = Run({"scan", "--location", unknown});
        EXPECT_EQ(1, run.status);
        EXPECT_EQ("kvtool: " + unknown + ": no such location (the locations are: Internal, Storage Card)\n", run.err);
        EXPECT_EQ("", run.out);
    }
}

TEST_F(KvtoolProgramTest, ScanShowsTheNoteAndThePrivateMark) {
    WriteHostFile(Main("plain.jpg"), sunset);
    Ok({"note", Main("sunset.jpg"), "Evening\non the hill"});
    Ok({"private", Main("sunset.jpg"), "on"});
    const std::string text = Ok({"scan", "--location", "Internal"});
    EXPECT_EQ((std::vector<std::string>{"-", "note"}), Column(text, 5));
    EXPECT_EQ((std::vector<std::string>{"-", "private"}), Column(text, 6));
    const std::string json = Ok({"scan", "--json", "--location", "Internal"});
    EXPECT_NE(std::string::npos, json.find("\"private\": true, \"note\": \"Evening\\non the hill\""));
    EXPECT_NE(std::string::npos, json.find("\"private\": false, \"note\": \"\""));
}

// Files the decoder refuses are passed over with their reason; only a
// photo that could be drawn but kept no thumbnail makes the run fail.
TEST_F(KvtoolProgramTest, ThumbnailsPassOverFilesThatCannotBeDecoded) {
    WriteHostFile(Main("twelve.jpg"), ReadHostFile(FixturePath("jpeg/precision12.jpg")));
    WriteHostFile(Main("text.jpg"), {'n', 'o', 't', ' ', 'a', ' ', 'p', 'h', 'o', 't', 'o'});
    ProgramRun run = Run({"thumbnails"});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("2 thumbnails stored, 0 already there, 2 could not be decoded, 0 failed\n", run.out);
    EXPECT_NE(std::string::npos,
              run.err.find("kvtool: " + Main("twelve.jpg") + ": cannot be decoded, passed over: sample precision "
                           "other than 8 bits not supported (-205)\n"))
        << run.err;
    EXPECT_NE(std::string::npos, run.err.find("kvtool: " + Main("text.jpg") + ": cannot be decoded, passed over: "))
        << run.err;

    WriteHostFile(Main("locked.jpg"), sunset);
    chmod(Main("locked.jpg").c_str(), 0444);
    run = Run({"thumbnails"});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("0 thumbnails stored, 2 already there, 2 could not be decoded, 1 failed\n", run.out);
    EXPECT_NE(std::string::npos, run.err.find("kvtool: " + Main("locked.jpg") +
                                              ": the thumbnail could not be stored: access denied (read-only file "
                                              "or folder) (5)\n"))
        << run.err;
}

TEST_F(KvtoolProgramTest, RenderOfAReadOnlyPhotoStillWritesThePicture) {
    chmod(Main("sunset.jpg").c_str(), 0444);
    const std::vector<uint8_t> before = ReadHostFile(Main("sunset.jpg"));
    const std::string output = root / "r.png";
    const ProgramRun run = Run({"render", Main("sunset.jpg"), "60x45", "--store-thumbnail", "-o", output});
    EXPECT_EQ(1, run.status);
    EXPECT_TRUE(fs::exists(output));
    EXPECT_EQ(0u, run.out.find("fit 0,0 60x45, from ")) << run.out;
    EXPECT_EQ(std::string::npos, run.out.find("thumbnail stored")) << run.out;
    EXPECT_EQ("kvtool: " + Main("sunset.jpg") +
                  ": the thumbnail could not be stored: access denied (read-only file or folder) (5)\n",
              run.err);
    EXPECT_EQ(before, ReadHostFile(Main("sunset.jpg")));
}

// "Read-only" is said only of a read-only file or folder. The unreadable
// case is run as an unprivileged user, for whom permissions apply.
TEST_F(KvtoolProgramTest, AccessDeniedSaysWhichKind) {
    for (const std::string& dir : {root.Path(), root / "My Documents", root / "My Documents/Kestrelview"}) {
        chmod(dir.c_str(), 0777);
    }
    WriteHostFile(Main("secret.jpg"), sunset);
    chmod(Main("secret.jpg").c_str(), 0200);
    WriteHostFile(Main("locked.jpg"), sunset);
    chmod(Main("locked.jpg").c_str(), 0444);
    const auto asNobody = [&](const std::vector<std::string>& args) {
        std::vector<std::string> all{"--root", root.Path()};
        all.insert(all.end(), args.begin(), args.end());
        return RunKvtoolProgram(all, LocaleEnvironment("C"), true);
    };
    ProgramRun run = asNobody({"note", Main("secret.jpg")});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("kvtool: " + Main("secret.jpg") + ": the file cannot be read (access denied) (5)\n", run.err);
    run = asNobody({"note", Main("locked.jpg"), "text"});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("kvtool: " + Main("locked.jpg") + ": access denied (read-only file or folder) (5)\n", run.err);
}

// A link under a card's camera folder that leads back up the tree is
// followed once: every photo is listed once.
TEST_F(KvtoolProgramTest, ALinkLoopUnderTheCameraFolderListsEachPhotoOnce) {
    ASSERT_EQ(0, symlink((card / "DCIM").c_str(), (card / "DCIM/100CAMRA/back").c_str()));
    ASSERT_EQ(0, symlink((card / "DCIM/100CAMRA").c_str(), (card / "DCIM/again").c_str()));
    EXPECT_EQ((std::vector<std::string>{"sunset.jpg", "beach.jpg"}),
              Names(Ok({"scan", "--full", "--sort", "location"})));
    EXPECT_EQ("2 thumbnails stored, 0 already there, 0 could not be decoded, 0 failed\n", Ok({"thumbnails"}));
}
