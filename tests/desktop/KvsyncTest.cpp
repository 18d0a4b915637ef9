#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/ImageItem.h"
#include "platform/base/Process.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

std::string ReadText(const std::string& path) {
    std::vector<uint8_t> b = ReadHostFile(path);
    return std::string(b.begin(), b.end());
}

void WriteText(const std::string& path, const std::string& text) {
    WriteHostFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string LastLine(std::string t) {
    while (!t.empty() && t.back() == '\n') t.pop_back();
    size_t at = t.rfind('\n');
    return at == std::string::npos ? t : t.substr(at + 1);
}

// kvsync as a user runs it: a home of its own, a documents folder named in
// the user-dirs file, and the built library.
class KvsyncTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeHostDirs(m_home / "config");
        WriteText(m_home / "config/user-dirs.dirs", "# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    }
    std::string Env() const {
        return "env -u XDG_DOCUMENTS_DIR -u KESTRELVIEW_PROFILE HOME=" + Quote(m_home.Path()) +
               " XDG_CONFIG_HOME=" + Quote(m_home / "config") + " KVSYNC_LIBRARY=" + Quote(KV_PLATFORM_LIBRARY) +
               " " + KV_KVSYNC_PROGRAM + " ";
    }
    // Exit status; out and err receive the two streams.
    int Kvsync(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
        std::string o = m_home / "out", e = m_home / "err";
        int status = std::system((Env() + args + " >" + Quote(o) + " 2>" + Quote(e)).c_str());
        if (out) *out = ReadText(o);
        if (err) *err = ReadText(e);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Pairs a device folder and gives back its profile.
    std::string Pair(const std::string& name, const std::string& device) {
        std::string out;
        EXPECT_EQ(0, Kvsync("pair --name " + Quote(name) + " --device " + Quote(device), &out)) << out;
        size_t at = out.find(" as profile ");
        return at == std::string::npos ? "" : out.substr(at + 12, out.find(' ', at + 12) - at - 12);
    }
    std::string Documents() const { return m_home / "Dokumente"; }

    TempDir m_home;
};

TEST_F(KvsyncTest, HelpUnknownOptionsAndBadValues) {
    struct Case {
        const char* args;
        int status;
        const char* text;  // in standard output for status 0, else in standard error
    } cases[] = {
        {"--help", 0, "kvsync sync"},
        {"sync --help", 0, "--desktop DIR"},
        {"pair -h", 0, "--device DIR"},
        {"sync --desktp /tmp/x", 2, "sync has no option --desktp"},
        {"sync --mode mirror", 2, "--mode is merge, desktop-overwrites or handheld-overwrites, not mirror"},
        {"sync --profile abc", 2, "abc is no partnership number"},
        {"sync --desktop", 2, "--desktop needs a value"},
        {"users extra", 2, "users takes no argument extra"},
        {"frobnicate", 2, "no command frobnicate"},
        {"pair --name X --device / --type Desktop", 2, "cannot pair a device of type Desktop"},
        {"status 42", 1, "no partnership 42"},
        {"sync --profile 42", 1, "no partnership 42"},
        {"unpair 42", 1, "no partnership 42"},
    };
    for (const Case& c : cases) {
        std::string out, err;
        EXPECT_EQ(c.status, Kvsync(c.args, &out, &err)) << c.args << "\n" << out << err;
        EXPECT_NE(std::string::npos, (c.status == 0 ? out : err).find(c.text)) << c.args << "\n" << out << err;
    }
}

TEST_F(KvsyncTest, PairingTwiceIsRefusedAndUnpairRemovesThePartnership) {
    TempDir device;
    std::string profile = Pair("PPC", device.Path());
    std::string out, err;
    EXPECT_EQ(1, Kvsync("pair --name Again --device " + Quote(device.Path() + "/."), &out, &err));
    EXPECT_NE(std::string::npos, err.find("is paired already, as partnership " + profile + " (\"PPC\")")) << err;
    ASSERT_EQ(0, Kvsync("users", &out));
    EXPECT_EQ(1, std::count(out.begin(), out.end(), '\n')) << out;

    EXPECT_EQ(0, Kvsync("unpair " + profile, &out, &err)) << err;
    ASSERT_EQ(0, Kvsync("users", &out));
    EXPECT_EQ("", out);
    EXPECT_TRUE(fs::exists(device / "Windows/KVDevice.txt"));
}

// Each partnership synchronises into a folder of its own, so one handheld's
// photos never replace or delete another's.
TEST_F(KvsyncTest, TwoPartnershipsKeepTheirOwnDesktopFolders) {
    TempDir a, b;
    WriteText(a / "My Documents/Kestrelview/IMG_0001.jpg", "photo of A");
    WriteText(a / "My Documents/Kestrelview/only-a.jpg", "only A");
    WriteText(b / "My Documents/Kestrelview/IMG_0001.jpg", "photo of B");
    std::string pa = Pair("Anna", a.Path());
    std::string pb = Pair("Anna", b.Path());  // the same name: the folder is made unique

    std::string out;
    for (const std::string& p : {pa, pb, pa, pb}) {
        ASSERT_EQ(0, Kvsync("sync --profile " + p, &out)) << out;
        EXPECT_EQ("result: 0", LastLine(out));
    }
    EXPECT_NE(std::string::npos, out.find("syncing " + Documents() + "/Kestrelview/Anna 2 with Kestrelview")) << out;
    EXPECT_EQ("photo of A", ReadText(a / "My Documents/Kestrelview/IMG_0001.jpg"));
    EXPECT_EQ("only A", ReadText(a / "My Documents/Kestrelview/only-a.jpg"));
    EXPECT_EQ("photo of B", ReadText(b / "My Documents/Kestrelview/IMG_0001.jpg"));
    EXPECT_FALSE(fs::exists(b / "My Documents/Kestrelview/only-a.jpg"));
    EXPECT_EQ("photo of A", ReadText(Documents() + "/Kestrelview/Anna/Internal/Kestrelview/IMG_0001.jpg"));
    EXPECT_EQ("photo of B", ReadText(Documents() + "/Kestrelview/Anna 2/Internal/Kestrelview/IMG_0001.jpg"));
}

// Two runs started together: one waits for nothing and the other is turned
// away, and no photo is lost or holds another's bytes.
TEST_F(KvsyncTest, TwoRunsAtOnceCorruptNothing) {
    TempDir device, desktop;
    std::map<std::string, std::string> photos;
    for (int i = 0; i < 60; ++i) {
        std::string bytes(20000 + i * 97, static_cast<char>('a' + i % 26));
        bytes += std::to_string(i);
        std::string rel = (i % 2 ? device / "My Documents/Kestrelview/" : desktop / "Internal/Kestrelview/") +
                          "IMG_" + std::to_string(1000 + i) + ".jpg";
        WriteText(rel, bytes);
        photos["IMG_" + std::to_string(1000 + i) + ".jpg"] = bytes;
    }
    Pair("PPC", device.Path());
    std::string run = Env() + "sync --desktop " + Quote(desktop.Path());
    std::string script = "(" + run + " >" + Quote(m_home / "o1") + " 2>&1; echo $? >" + Quote(m_home / "s1") + ") & (" +
                         run + " >" + Quote(m_home / "o2") + " 2>&1; echo $? >" + Quote(m_home / "s2") + ") & wait";
    ASSERT_EQ(0, std::system(script.c_str()));

    int finished = 0;
    for (const char* n : {"1", "2"}) {
        std::string status = ReadText(m_home / (std::string("s") + n));
        std::string out = ReadText(m_home / (std::string("o") + n));
        if (status == "0\n") {
            ++finished;
            EXPECT_EQ("result: 0", LastLine(out));
        } else {
            EXPECT_EQ("1\n", status) << out;
            EXPECT_EQ("result: 170 (another synchronisation is running)", LastLine(out)) << out;
        }
    }
    EXPECT_GE(finished, 1);
    std::string out;
    ASSERT_EQ(0, Kvsync("sync --desktop " + Quote(desktop.Path()), &out)) << out;
    EXPECT_EQ(std::string::npos, out.find("Removing")) << out;
    for (const auto& [name, bytes] : photos) {
        EXPECT_EQ(bytes, ReadText(device / ("My Documents/Kestrelview/" + name))) << name;
        EXPECT_EQ(bytes, ReadText(desktop / ("Internal/Kestrelview/" + name))) << name;
    }
    for (const auto& e : fs::directory_iterator(device / "My Documents/Kestrelview"))
        EXPECT_EQ(std::string::npos, e.path().string().find("~~KvTempFile~~")) << e.path();
}

TEST_F(KvsyncTest, ARunThatLeavesAFolderAloneEndsNonZeroAndSaysWhy) {
    TempDir device, desktop;
    WriteText(device / "My Documents/Kestrelview/a.jpg", "a");
    Pair("PPC", device.Path());
    std::string out;
    ASSERT_EQ(0, Kvsync("sync --desktop " + Quote(desktop.Path()), &out)) << out;
    fs::remove_all(device / "My Documents/Kestrelview");
    EXPECT_EQ(1, Kvsync("sync --desktop " + Quote(desktop.Path()), &out)) << out;
    EXPECT_EQ("result: -1 (a folder was left alone: not everything was synchronised)", LastLine(out));
    EXPECT_EQ("a", ReadText(desktop / "Internal/Kestrelview/a.jpg"));
}

}  // namespace

// With --xmp, each desktop photo gets a sidecar naming its category and note
// for other photo tools; the photos themselves arrive byte for byte.
TEST_F(KvsyncTest, XmpSidecarsCarryTheHandheldsCategoriesAndNotes) {
    TempDevice device;
    const std::string photo = device.Host("My Documents/Kestrelview/sunset.jpg");
    MakeHostDirs(device.Host("Program Files/Farrowdale/Kestrelview"));
    WriteHostFile(photo, ReadHostFile(std::string(KV_SOURCE_DIR) + "/samples/sunset.jpg"));
    CCategoryDB db;
    db.Load(CATEGORY_DB_PATH);
    RecordId holidays{};
    ASSERT_EQ(0, db.Add(u"Holidays", holidays));
    ASSERT_EQ(0, db.Save());
    CImageItem item;
    ASSERT_EQ(0u, item.InitFromFile(u"\\My Documents\\Kestrelview\\sunset.jpg", false));
    ASSERT_EQ(0, item.SetCategory(holidays));
    ASSERT_EQ(0, item.SetNote(u"Evening on the hill"));
    const std::vector<uint8_t> bytes = ReadHostFile(photo);
    Pair("Anna", device.Root());

    std::string out;
    ASSERT_EQ(0, Kvsync("sync --xmp", &out)) << out;
    EXPECT_NE(std::string::npos, out.find("1 XMP sidecars written")) << out;
    const std::string copy = Documents() + "/Kestrelview/Anna/Internal/Kestrelview/sunset.jpg";
    EXPECT_EQ(bytes, ReadHostFile(copy));
    std::string subject, description;
    ASSERT_EQ(0, RunProgram({"exiftool", "-s3", "-Subject", copy + ".xmp"}, subject));
    ASSERT_EQ(0, RunProgram({"exiftool", "-s3", "-Description", copy + ".xmp"}, description));
    EXPECT_EQ("Holidays\n", subject);
    EXPECT_EQ("Evening on the hill\n", description);
}
