#include <gtest/gtest.h>

#include <filesystem>

#include "handheld/RegistryKey.h"
#include "platform/base/Process.h"
#include "sharing/DesktopJpegViewer.h"
#include "sharing/FileAssociation.h"
#include "tests/platform/WindowTestSupport.h"
#include "tests/sharing/SharingTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

std::u16string DefaultText(const std::u16string& path) {
    CRegistryKey key(HKEY_CLASSES_ROOT, path);
    std::u16string text;
    if (key.Open()) key.QueryText(u"", text);
    return text;
}

void SetDefault(const std::u16string& path, std::u16string_view text) {
    CRegistryKey key(HKEY_CLASSES_ROOT, path);
    ASSERT_TRUE(key.Create());
    ASSERT_TRUE(key.SetText(u"", text));
}

constexpr char16_t OWN_COMMAND[] = u"\"\\Program Files\\Farrowdale\\Kestrelview\\Kestrelview.exe\" %1";
constexpr char16_t OWN_ICON[] = u"\"\\Program Files\\Farrowdale\\Kestrelview\\Kestrelview.exe\", -128";

// The desktop side works in folders of the test's own.
class FileAssociationTest : public ::testing::Test {
protected:
    TempDevice device;
    TempDir home;
    ScopedEnv config{"XDG_CONFIG_HOME", home / "config"};
    ScopedEnv data{"XDG_DATA_HOME", home / "data"};
    ScopedEnv dataDirs{"XDG_DATA_DIRS", home / "none"};
    HeadlessScreen screen;
};

}  // namespace

TEST_F(FileAssociationTest, ANewDeviceGetsTheJpegClassesOnceAndTheyAreSwitched) {
    EnsureJpegClassKeys();
    EXPECT_EQ(u"jpegfile", DefaultText(u".jpg"));
    EXPECT_EQ(u"jpegfile", DefaultText(u".jpeg"));
    EXPECT_EQ(u"iexplore.exe file:%1", DefaultText(u"jpegfile\\Shell\\Open\\Command"));
    SetDefault(u".jpg", u"photo");
    EnsureJpegClassKeys();  // keys already there stay
    EXPECT_EQ(u"photo", DefaultText(u".jpg"));

    SetDefault(u"photo\\DefaultIcon", u"old icon");
    SetDefaultViewer(true);
    // ".jpg" names a class with an icon key but no command key: only the icon changes.
    EXPECT_EQ(OWN_ICON, DefaultText(u"photo\\DefaultIcon"));
    EXPECT_EQ(u"", DefaultText(u"photo\\Shell\\Open\\Command"));
    // ".jpeg" still names the shipped class, which has both.
    EXPECT_EQ(OWN_COMMAND, DefaultText(u"jpegfile\\Shell\\Open\\Command"));
    EXPECT_EQ(OWN_ICON, DefaultText(u"jpegfile\\DefaultIcon"));

    SetDefaultViewer(false);
    EXPECT_EQ(u"iexplore.exe file:%1", DefaultText(u"jpegfile\\Shell\\Open\\Command"));
    EXPECT_EQ(u"iexplore.exe, -1004", DefaultText(u"jpegfile\\DefaultIcon"));
    EXPECT_EQ(u"iexplore.exe, -1004", DefaultText(u"photo\\DefaultIcon"));
}

TEST_F(FileAssociationTest, AClassWithACommandButNoIconStillGetsItsCommand) {
    SetDefault(u".jpg", u"photo");
    SetDefault(u"photo\\Shell\\Open\\Command", u"old");
    SetFileClassCommand(u".jpg", u"icon", u"command");
    EXPECT_EQ(u"command", DefaultText(u"photo\\Shell\\Open\\Command"));
    CRegistryKey icon(HKEY_CLASSES_ROOT, u"photo\\DefaultIcon");
    EXPECT_FALSE(icon.Open());  // never created
}

TEST_F(FileAssociationTest, TheDesktopViewerIsOursWhileOnAndThePreviousOneAfter) {
    // A viewer the user had before, and this program at a path with a
    // blank; the desktop counts only entries whose program exists.
    const std::string other = "other.desktop";
    const std::string entry = "[Desktop Entry]\nType=Application\nName=Other\nExec=/bin/true %f\n";
    WriteHostFile(home / "data/applications/other.desktop", std::vector<uint8_t>(entry.begin(), entry.end()));
    const std::string program = home / "with blank/kestrelview";
    MakeHostDirs(home / "with blank");
    std::filesystem::copy_file("/bin/true", program);
    std::string output;
    ASSERT_EQ(0u, SetDesktopJpegViewer(true, program));
    EXPECT_EQ(DESKTOP_ENTRY_NAME, DesktopJpegViewer());
    ASSERT_EQ(0u, SetDesktopJpegViewer(false, ""));
    EXPECT_EQ("", DesktopJpegViewer());  // there was none before

    ASSERT_EQ(0, RunProgram({"xdg-mime", "default", other, "image/jpeg"}, output));
    ASSERT_EQ(other, DesktopJpegViewer());
    ASSERT_EQ(0u, SetDesktopJpegViewer(true, program));
    EXPECT_EQ(DESKTOP_ENTRY_NAME, DesktopJpegViewer());
    ASSERT_EQ(0u, SetDesktopJpegViewer(false, ""));
    EXPECT_EQ(other, DesktopJpegViewer());
}
