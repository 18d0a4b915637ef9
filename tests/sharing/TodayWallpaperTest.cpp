#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/ImageItem.h"
#include "catalogue/StringTable.h"
#include "handheld/RegistryKey.h"
#include "platform/base/DialogResults.h"
#include "platform/window/ModalResponder.h"
#include "sharing/TodayWallpaper.h"
#include "tests/platform/WindowTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

class TodayWallpaperTest : public ::testing::Test {
protected:
    TempDevice device;
    HeadlessScreen screen;
    ModalResponder responder;
    std::vector<Seen> log;
    LoggingWindow top{&log};

    void SetUp() override {
        responder.onMessageBox = [](const ShownMessageBox&) { return IDOK; };
        ASSERT_TRUE(top.Create(nullptr, {0, 26, 240, 294}, 0, u"top", 0));
        MakeHostDirs(device.Host("My Documents/Kestrelview"));
    }

    // A record of a photo whose bytes are the given fixture's.
    std::unique_ptr<CImageItem> Photo(const std::string& name, const std::string& fixture) {
        WriteHostFile(device.Host("My Documents/Kestrelview/" + name), ReadHostFile(FixturePath(fixture)));
        auto record = std::make_unique<CImageItem>();
        std::u16string path = u"\\My Documents\\Kestrelview\\";
        path.append(name.begin(), name.end());
        EXPECT_EQ(0u, record->InitFromFile(path, false));
        return record;
    }
    std::vector<uint8_t> Wallpaper() const { return ReadHostFile(device.Host("Windows/tdycust.jpg")); }
    std::u16string Watermark() const {
        CRegistryKey key(HKEY_CURRENT_USER, u"Software\\Microsoft\\Today");
        std::u16string text;
        if (key.Open()) key.QueryText(u"Watermark", text);
        return text;
    }
};

}  // namespace

TEST_F(TodayWallpaperTest, SettingTwiceOverwritesAndNamesTheFileWhenTheKeyExists) {
    CRegistryKey today(HKEY_CURRENT_USER, u"Software\\Microsoft\\Today");
    ASSERT_TRUE(today.Create());
    today.Close();
    auto first = Photo("a.jpg", "jpeg/baseline.jpg");
    auto second = Photo("b.jpg", "jpeg/grey.jpg");
    ASSERT_EQ(0u, SetTodayWallpaper(*first));
    ASSERT_EQ(0u, SetTodayWallpaper(*second));
    EXPECT_EQ(ReadHostFile(FixturePath("jpeg/grey.jpg")), Wallpaper());
    EXPECT_EQ(u"tdycust.jpg", Watermark());
    const auto reloads = Only(log, {WM_SETTINGCHANGE});
    ASSERT_EQ(2u, reloads.size());
    EXPECT_EQ(WPARAM(0xF2), reloads[0].wParam);
    EXPECT_TRUE(responder.boxes.empty());
    // Nothing but the wallpaper is left in the Windows folder.
    size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(device.Host("Windows")))
        entries += entry.path().filename() != "registry.reg";
    EXPECT_EQ(1u, entries);
}

TEST_F(TodayWallpaperTest, AMissingTodayKeyIsNotMadeButTheScreenStillReloads) {
    auto photo = Photo("a.jpg", "jpeg/baseline.jpg");
    ASSERT_EQ(0u, SetTodayWallpaper(*photo));
    CRegistryKey today(HKEY_CURRENT_USER, u"Software\\Microsoft\\Today");
    EXPECT_FALSE(today.Open());
    EXPECT_EQ(1u, Only(log, {WM_SETTINGCHANGE}).size());
}

TEST_F(TodayWallpaperTest, AFailedCopyKeepsTheOldWallpaperAndSaysSo) {
    auto old = Photo("a.jpg", "jpeg/baseline.jpg");
    ASSERT_EQ(0u, SetTodayWallpaper(*old));
    auto gone = Photo("b.jpg", "jpeg/grey.jpg");
    std::filesystem::remove(device.Host("My Documents/Kestrelview/b.jpg"));
    log.clear();
    EXPECT_NE(0u, SetTodayWallpaper(*gone));
    EXPECT_EQ(ReadHostFile(FixturePath("jpeg/baseline.jpg")), Wallpaper());
    ASSERT_EQ(1u, responder.boxes.size());
    EXPECT_EQ(LoadString(135), responder.boxes[0].text);
    EXPECT_TRUE(Only(log, {WM_SETTINGCHANGE}).empty());
}
