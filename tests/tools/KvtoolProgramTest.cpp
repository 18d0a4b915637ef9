#include <gtest/gtest.h>

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
