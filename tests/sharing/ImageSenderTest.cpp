#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

#include "catalogue/ImageItem.h"
#include "platform/base/DialogResults.h"
#include "platform/window/ModalResponder.h"
#include "sharing/ImageSender.h"
#include "tests/platform/WindowTestSupport.h"
#include "tests/sharing/SharingTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

// A photo whose name holds blanks, quotes and a leading dash.
constexpr char PHOTO_NAME[] = "-a \"b\" c's.jpg";

// Stand-in senders on a PATH of their own: each writes its arguments,
// one per NUL, to <name>.args beside it, so a test sees exactly what the
// program was given. KDE Connect's stand-in also answers the device query.
class SenderTest : public ::testing::Test {
protected:
    TempDevice device;
    TempDir bin;
    ScopedEnv path{"PATH", bin.Path()};
    HeadlessScreen screen;
    ModalResponder responder;
    CImageItem record;
    std::string hostPath;

    void SetUp() override {
        responder.onMessageBox = [](const ShownMessageBox&) { return IDOK; };
        MakeHostDirs(device.Host("My Documents/Kestrelview"));
        hostPath = device.Host(std::string("My Documents/Kestrelview/") + PHOTO_NAME);
        WriteHostFile(hostPath, ReadHostFile(FixturePath("jpeg/baseline.jpg")));
        ASSERT_EQ(0u, record.InitFromFile(u"\\My Documents\\Kestrelview\\-a \"b\" c's.jpg", false));
    }

    void StandIn(const std::string& name) {
        const std::string script = bin / name;
        std::string text = "#!/bin/sh\nPATH=/usr/bin:/bin\n";
        if (name == "kdeconnect-cli")
            text += "if [ \"$1\" = --list-available ]; then echo phone42; echo tablet7; exit 0; fi\n";
        text += "printf '%s\\0' \"$@\" > \"" + script + ".args.part\"\n";
        text += "mv \"" + script + ".args.part\" \"" + script + ".args\"\n";
        WriteHostFile(script, std::vector<uint8_t>(text.begin(), text.end()));
        chmod(script.c_str(), 0755);
    }

    // The arguments a stand-in was started with; it runs detached, so the
    // test waits for its record to appear.
    std::vector<std::string> ArgumentsOf(const std::string& name) {
        const std::string file = bin / (name + ".args");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!std::filesystem::exists(file) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::vector<std::string> args;
        std::string current;
        for (uint8_t byte : ReadHostFile(file)) {
            if (byte == 0) {
                args.push_back(current);
                current.clear();
            } else {
                current += char(byte);
            }
        }
        return args;
    }
};

}  // namespace

TEST_F(SenderTest, BeamUsesTheFirstInstalledSenderWithTheHostPathAsOneArgument) {
    const struct {
        std::vector<std::string> installed;
        std::string used;
        std::vector<std::string> leading;  // arguments before the path
    } cases[] = {
        {{"bluetooth-sendto", "blueman-sendto", "kdeconnect-cli"}, "bluetooth-sendto", {}},
        {{"blueman-sendto", "kdeconnect-cli"}, "blueman-sendto", {}},
        {{"kdeconnect-cli"}, "kdeconnect-cli", {"--device", "phone42", "--share"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.used);
        for (const auto& entry : std::filesystem::directory_iterator(bin.Path()))
            std::filesystem::remove(entry.path());
        for (const std::string& name : c.installed) StandIn(name);
        ASSERT_EQ(0u, BeamImage(record));
        std::vector<std::string> expected = c.leading;
        expected.push_back(hostPath);
        EXPECT_EQ(expected, ArgumentsOf(c.used));
    }
    EXPECT_TRUE(responder.boxes.empty());
}

TEST_F(SenderTest, EmailAttachesThePhotoThroughXdgEmail) {
    StandIn("xdg-email");
    ASSERT_EQ(0u, EmailImage(record));
    EXPECT_EQ((std::vector<std::string>{"--attach", hostPath}), ArgumentsOf("xdg-email"));
}

TEST_F(SenderTest, WithoutASenderAMessageSaysWhatToInstall) {
    EXPECT_NE(0u, BeamImage(record));
    EXPECT_NE(0u, EmailImage(record));
    ASSERT_EQ(2u, responder.boxes.size());
    EXPECT_NE(std::u16string::npos, responder.boxes[0].text.find(u"blueman"));
    EXPECT_EQ(u"Beam", responder.boxes[0].caption);
    EXPECT_NE(std::u16string::npos, responder.boxes[1].text.find(u"xdg-utils"));
}
