#pragma once
// A headless screen, shell, preferences hive and device folder for the
// viewer's tests, with photos copied into the device's main folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "catalogue/ImageItem.h"
#include "handheld/FullScreen.h"
#include "handheld/Preferences.h"
#include "handheld/RegisteredMessages.h"
#include "platform/base/Text.h"
#include "platform/registry/Registry.h"
#include "platform/shell/Shell.h"
#include "tests/platform/WindowTestSupport.h"
#include "tests/support/TestSupport.h"

namespace viewer_test {

// The frame's switch, kept as a flag.
class FakeFullScreen : public CFullScreenSwitch {
public:
    int SetFullScreen(bool on, bool) override {
        const bool changed = on != m_on;
        m_on = on;
        return changed ? 1 : 0;
    }
    bool IsFullScreen() const override { return m_on; }

private:
    bool m_on = false;
};

inline bool NearColour(uint32_t pixel, uint32_t expected, int tolerance = 48) {
    for (int shift : {0, 8, 16}) {
        const int a = int((pixel >> shift) & 0xFF), b = int((expected >> shift) & 0xFF);
        if (std::abs(a - b) > tolerance) return false;
    }
    return true;
}

constexpr uint32_t RED = 0xFF0000, GREEN = 0x00FF00, BLUE = 0x0000FF, WHITE = 0xFFFFFF;
constexpr char kMainFolder[] = "My Documents/Kestrelview/";

class ViewerTest : public testing::Test {
protected:
    ViewerTest() {
        RegSelectHive(RegHive::Device);
        CreatePreferencesKey();
        SetFullScreenSwitch(&fullScreen);
    }
    ~ViewerTest() override { SetFullScreenSwitch(nullptr); }

    // Copies a host file into the main folder; returns its handheld path.
    std::u16string AddPhoto(const std::string& hostSource, const std::string& name) {
        MakeHostDirs(device.Host(kMainFolder));
        WriteHostFile(device.Host(std::string(kMainFolder) + name), ReadHostFile(hostSource));
        return u"\\My Documents\\Kestrelview\\" + Utf8ToUtf16(name);
    }
    std::u16string AddFixture(const std::string& fixture, const std::string& name) {
        return AddPhoto(FixturePath(fixture), name);
    }
    // A record of a photo in the main folder.
    static std::unique_ptr<CImageItem> Record(const std::u16string& path) {
        auto record = std::make_unique<CImageItem>();
        record->InitFromFile(path, false);
        return record;
    }
    uint32_t ScreenAt(int32_t x, int32_t y) { return screen.manager.Screen().Value(x, y); }

    TempDevice device;
    HeadlessScreen screen;
    Shell shell;
    FakeFullScreen fullScreen;
};

// Where screenshots go: KV_SCREENSHOT_DIR when set (for a person to look
// at them), else a temporary folder.
class ShotFolder {
public:
    std::string operator/(const std::string& name) const {
        const char* dir = std::getenv("KV_SCREENSHOT_DIR");
        return dir && *dir ? std::string(dir) + "/" + name : m_temp / name;
    }

private:
    TempDir m_temp;
};

}  // namespace viewer_test
