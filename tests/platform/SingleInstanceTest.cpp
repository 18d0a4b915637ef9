#include "platform/framework/SingleInstance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/framework/SingleInstanceProtocol.h"
#include "platform/base/WinError.h"
#include "tests/support/TestSupport.h"

namespace {

const std::u16string PROGRAM = u"\\Program Files\\Farrowdale\\Kestrelview\\Kestrelview.exe";

// What the running copy's main thread did with the waiting requests.
struct Taken {
    int broughtToFront = 0;
    std::vector<std::u16string> delivered;
};

Taken TakeAll(SingleInstance& instance) {
    Taken taken;
    instance.TakeRequests([&] { ++taken.broughtToFront; },
                          [&](std::u16string_view text) { taken.delivered.emplace_back(text); });
    return taken;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// Connects to the running copy's socket and sends raw bytes; returns the
// answer byte, or -1 when none came.
int SendRaw(const std::string& socketPath, const std::vector<uint8_t>& bytes) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof(address.sun_path) - 1);
    int answer = -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size())) {
        shutdown(fd, SHUT_WR);
        uint8_t byte = 0;
        if (recv(fd, &byte, 1, 0) == 1) answer = byte;
    }
    close(fd);
    return answer;
}

class SingleInstanceTest : public ::testing::Test {
protected:
    TempDir device;  // a fresh device folder gives names no other test shares
};

TEST_F(SingleInstanceTest, SecondCopyHandsItsCommandLineToTheRunningOne) {
    struct Case {
        std::u16string commandLine;
        bool delivered;
    };
    for (const Case& c : {Case{u"\\My Documents\\Kestrelview\\a.jpg", true}, Case{u"", false}}) {
        SingleInstance first(device.Path(), PROGRAM);
        ASSERT_EQ(first.Acquire(), 0u);
        first.SetMainWindowReady(true);

        SingleInstance second(device.Path(), PROGRAM);
        ASSERT_EQ(second.Acquire(), ERROR_ALREADY_EXISTS);
        EXPECT_TRUE(second.HandOver(c.commandLine, 3, 0));

        const Taken taken = TakeAll(first);
        EXPECT_EQ(taken.broughtToFront, 1);
        if (c.delivered) {
            ASSERT_EQ(taken.delivered.size(), 1u);
            EXPECT_EQ(taken.delivered[0], c.commandLine);
        } else {
            EXPECT_TRUE(taken.delivered.empty());
        }
        EXPECT_EQ(TakeAll(first).broughtToFront, 0) << "a request is taken once";
    }
}

// The lock and the socket work between processes, not only objects.
TEST_F(SingleInstanceTest, SecondProcessReachesTheFirst) {
    SingleInstance first(device.Path(), PROGRAM);
    ASSERT_EQ(first.Acquire(), 0u);
    first.SetMainWindowReady(true);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstance second(device.Path(), PROGRAM);
        const bool ok = second.Acquire() == ERROR_ALREADY_EXISTS && second.HandOver(u"c.jpg", 3, 0);
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(TakeAll(first).delivered, std::vector<std::u16string>{u"c.jpg"});
}

TEST_F(SingleInstanceTest, RequestsWaitInOrderUntilTheMainThreadTakesThem) {
    SingleInstance first(device.Path(), PROGRAM);
    ASSERT_EQ(first.Acquire(), 0u);
    first.SetMainWindowReady(true);
    SingleInstance second(device.Path(), PROGRAM);
    ASSERT_TRUE(second.HandOver(u"one.jpg", 1, 0));
    ASSERT_TRUE(second.HandOver(u"", 1, 0));
    ASSERT_TRUE(second.HandOver(u"three.jpg", 1, 0));

    const Taken taken = TakeAll(first);
    EXPECT_EQ(taken.broughtToFront, 3);
    EXPECT_EQ(taken.delivered, (std::vector<std::u16string>{u"one.jpg", u"three.jpg"}));
}

TEST_F(SingleInstanceTest, CopyDataCountsTheTerminator) {
    const std::u16string text = u"\\My Documents\\a.jpg";
    const COPYDATASTRUCT data = MakeCommandLineCopyData(text);
    EXPECT_EQ(data.dwData, 0u);
    EXPECT_EQ(data.cbData, (text.size() + 1) * 2);
    const auto* units = static_cast<const char16_t*>(data.lpData);
    EXPECT_EQ(std::u16string(units, text.size()), text);
    EXPECT_EQ(units[text.size()], u'\0');
}

TEST_F(SingleInstanceTest, InstancesAreToldApartByDeviceFolderAndProgramPath) {
    TempDir otherDevice;
    struct Case {
        const char* what;
        std::string root;
        std::u16string program;
        uint32_t expected;
    };
    const Case cases[] = {
        {"same program, slashes written the other way", device.Path(),
         u"/Program Files/Farrowdale/Kestrelview/Kestrelview.exe", ERROR_ALREADY_EXISTS},
        {"another program path", device.Path(), u"\\Windows\\Kestrelview.exe", 0},
        {"another device folder", otherDevice.Path(), PROGRAM, 0},
    };
    SingleInstance first(device.Path(), PROGRAM);
    ASSERT_EQ(first.Acquire(), 0u);
    for (const Case& c : cases) {
        SingleInstance other(c.root, c.program);
        EXPECT_EQ(other.Acquire(), c.expected) << c.what;
    }
}

TEST_F(SingleInstanceTest, RunningCopyNotReadyIsTriedThreeTimes) {
    SingleInstance first(device.Path(), PROGRAM);
    ASSERT_EQ(first.Acquire(), 0u);
    SingleInstance second(device.Path(), PROGRAM);
    std::vector<uint32_t> sleeps;
    second.SetSleeper([&](uint32_t ms) { sleeps.push_back(ms); });

    EXPECT_FALSE(second.HandOver(u"a.jpg", 3, 7));
    EXPECT_EQ(sleeps, (std::vector<uint32_t>{7, 7}));
    EXPECT_EQ(TakeAll(first).broughtToFront, 0);
}

TEST_F(SingleInstanceTest, RunningCopyThatBecomesReadyWhileWaitingIsFound) {
    SingleInstance first(device.Path(), PROGRAM);
    ASSERT_EQ(first.Acquire(), 0u);
    SingleInstance second(device.Path(), PROGRAM);
    int sleeps = 0;
    second.SetSleeper([&](uint32_t) {
        ++sleeps;
        first.SetMainWindowReady(true);
    });

    EXPECT_TRUE(second.HandOver(u"a.jpg", 3, 1000));
    EXPECT_EQ(sleeps, 1);
    EXPECT_EQ(TakeAll(first).delivered, std::vector<std::u16string>{u"a.jpg"});
}

TEST_F(SingleInstanceTest, EndingTheFirstCopyFreesTheNamesAndRemovesTheSocket) {
    std::string socketPath;
    {
        SingleInstance first(device.Path(), PROGRAM);
        ASSERT_EQ(first.Acquire(), 0u);
        socketPath = first.SocketPath();
        EXPECT_TRUE(FileExists(socketPath));
    }
    EXPECT_FALSE(FileExists(socketPath));
    SingleInstance next(device.Path(), PROGRAM);
    EXPECT_FALSE(next.HandOver(u"", 3, 0)) << "nobody answers";
    EXPECT_EQ(next.Acquire(), 0u);
}

TEST_F(SingleInstanceTest, SocketLeftByACrashedCopyDoesNotBlockTheNextOne) {
    std::string socketPath;
    {
        SingleInstance earlier(device.Path(), PROGRAM);
        ASSERT_EQ(earlier.Acquire(), 0u);  // makes the private folder
        socketPath = earlier.SocketPath();
    }
    // A copy that died keeps no lock but leaves its socket file behind.
    const int dead = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof(address.sun_path) - 1);
    ASSERT_EQ(bind(dead, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    close(dead);
    ASSERT_TRUE(FileExists(socketPath));

    SingleInstance first(device.Path(), PROGRAM);
    ASSERT_EQ(first.Acquire(), 0u);
    first.SetMainWindowReady(true);
    SingleInstance second(device.Path(), PROGRAM);
    EXPECT_EQ(second.Acquire(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(second.HandOver(u"b.jpg", 1, 0));
    EXPECT_EQ(TakeAll(first).delivered, std::vector<std::u16string>{u"b.jpg"});
}

TEST_F(SingleInstanceTest, ListenerSurvivesMalformedRequests) {
    SingleInstance first(device.Path(), PROGRAM);
    ASSERT_EQ(first.Acquire(), 0u);
    first.SetMainWindowReady(true);

    std::vector<uint8_t> good;
    ASSERT_EQ(EncodeHandOverRequest({device.Path(), u"/Program Files/Farrowdale/Kestrelview/"
                                                    u"Kestrelview.exe", u"x.jpg"},
                                    good),
              0u);
    std::vector<uint8_t> hugeLength = good;
    hugeLength[12] = 0xFF;  // command line length far over the limit
    hugeLength[15] = 0x7F;
    std::vector<uint8_t> truncated(good.begin(), good.end() - 3);
    std::vector<uint8_t> otherRoot;
    ASSERT_EQ(EncodeHandOverRequest({"/elsewhere", u"/Program Files/Farrowdale/Kestrelview/"
                                                   u"Kestrelview.exe", u"x.jpg"},
                                    otherRoot),
              0u);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int answer;
    };
    const Case cases[] = {
        {"not the protocol", {'G', 'E', 'T', ' ', '/', '\r', '\n'}, -1},
        {"length over the limit", hugeLength, -1},
        {"cut short", truncated, -1},
        {"another device folder", otherRoot, HANDOVER_NOT_FOUND},
        {"the real thing", good, HANDOVER_FOUND},
    };
    for (const Case& c : cases) EXPECT_EQ(SendRaw(first.SocketPath(), c.bytes), c.answer) << c.what;
    EXPECT_EQ(TakeAll(first).delivered, std::vector<std::u16string>{u"x.jpg"});
}

TEST(SingleInstanceProtocolTest, RequestsRoundTripAndLiesAreRefused) {
    const HandOverRequest request{"/home/u/device", u"/Program Files/K.exe", u"\\a \u00e9.jpg"};
    std::vector<uint8_t> bytes;
    ASSERT_EQ(EncodeHandOverRequest(request, bytes), 0u);
    HandOverRequest back;
    ASSERT_EQ(ParseHandOverRequest(bytes.data(), bytes.size(), back), 0u);
    EXPECT_EQ(back.deviceRoot, request.deviceRoot);
    EXPECT_EQ(back.programPath, request.programPath);
    EXPECT_EQ(back.commandLine, request.commandLine);

    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    std::vector<uint8_t> badMagic = bytes;
    badMagic[0] = 'X';
    const std::vector<std::vector<uint8_t>> refused = {
        {}, {bytes.begin(), bytes.begin() + 15}, {bytes.begin(), bytes.end() - 1}, longer, badMagic};
    for (const auto& r : refused)
        EXPECT_EQ(ParseHandOverRequest(r.data(), r.size(), back), ERROR_INVALID_DATA) << r.size();

    const HandOverRequest tooLong{"/d", u"/p", std::u16string(HANDOVER_MAX_COMMAND_LINE + 1, u'a')};
    EXPECT_EQ(EncodeHandOverRequest(tooLong, bytes), ERROR_INVALID_PARAMETER);
    SingleInstance second("/d", u"/p");
    EXPECT_FALSE(second.HandOver(tooLong.commandLine, 1, 0));
}

}  // namespace
