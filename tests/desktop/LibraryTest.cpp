#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/rapi/CeServices.h"
#include "tests/support/TestSupport.h"

namespace {

// The record as a host declares it: the library's fields and more.
struct HostUserInfo {
    char displayName[200];
    char userId[200];
    int32_t profileId, width, height, depth;
    char hostOwn[32];
};

std::vector<std::string> g_lines;
long Collect(char* line) {
    if (*line) g_lines.push_back(line);
    return 0;
}

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", m_config.Path().c_str(), 1);
        m_handle = dlopen(KV_PLATFORM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(nullptr, m_handle) << dlerror();
    }
    void TearDown() override {
        if (m_handle) dlclose(m_handle);
        unsetenv("XDG_CONFIG_HOME");
    }
    template <typename F>
    F Bind(const char* mangled) {
        void* symbol = dlsym(m_handle, mangled);
        EXPECT_NE(nullptr, symbol) << mangled;
        return reinterpret_cast<F>(symbol);
    }

    TempDir m_config;
    void* m_handle = nullptr;
};

TEST_F(LibraryTest, TheEightExportsBindByTheirMangledNamesAndRunASync) {
    auto initialize = Bind<int (*)(char const*)>("_Z18InitializePlatformPKc");
    auto release = Bind<void (*)()>("_Z15ReleasePlatformv");
    auto platform = Bind<int (*)()>("_Z11GetPlatformv");
    auto rootDir = Bind<void (*)(char const*, char const*, char const*, char*)>(
        "_Z29GetPlatformKestrelviewRootDirPKcS0_S0_Pc");
    auto users = Bind<int (*)(int, char const*, HostUserInfo&)>("_Z22EnumeratePlatformUsersiPKcR9TUserInfo");
    auto update = Bind<void (*)(char const*, HostUserInfo&)>("_Z21UpdateUserDeviceSpecsPKcR9TUserInfo");
    auto active = Bind<bool (*)(char const*, char const*, unsigned long)>("_Z20IsPlatformUserActivePKcS0_m");
    auto sync = Bind<long (*)(char const*, int, char const*, long (*)(char*))>(
        "_Z17PlatformSyncFilesPKciS0_PFlPcE");
    ASSERT_FALSE(HasFailure());

    TempDir device, desktop;
    DWORD profile = 0;
    ASSERT_EQ(0u, CeSvcAddPartnership("Pocket", "PocketPC", device.Path(), profile));
    WriteHostFile(device / "My Documents/Kestrelview/p.jpg", {1, 2, 3});

    EXPECT_EQ(1, platform());
    char root[260];
    rootDir("A", "", "B", root);
    EXPECT_NE(nullptr, std::strstr(root, "A/B"));
    ASSERT_EQ(1, initialize("Kestrelview"));
    HostUserInfo user{};
    std::memset(user.hostOwn, 0x77, sizeof user.hostOwn);
    ASSERT_EQ(1, users(0, "", user));
    update("", user);
    EXPECT_EQ(static_cast<int32_t>(profile), user.profileId);
    EXPECT_EQ(240, user.width);
    EXPECT_EQ(0x77, static_cast<unsigned char>(user.hostOwn[0]));
    EXPECT_EQ(0, users(1, "", user));
    EXPECT_TRUE(active("", "", profile));

    g_lines.clear();
    EXPECT_EQ(0, sync("Kestrelview", 0, desktop.Path().c_str(), Collect));
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), ReadHostFile(desktop / "Internal/Kestrelview/p.jpg"));
    ASSERT_FALSE(g_lines.empty());
    EXPECT_EQ("Searching for memory cards", g_lines.front());
    release();
}

// Runs a command line; the output and exit status.
int RunCommand(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string LastLine(const std::string& text) {
    std::string t = text;
    while (!t.empty() && t.back() == '\n') t.pop_back();
    return t.substr(t.rfind('\n') == std::string::npos ? 0 : t.rfind('\n') + 1);
}

TEST_F(LibraryTest, KvsyncPairsListsAndSynchronises) {
    TempDir device, desktop;
    WriteHostFile(device / "My Documents/Kestrelview/p.jpg", {9});
    std::string env = "env XDG_CONFIG_HOME='" + m_config.Path() + "' KVSYNC_LIBRARY='" +
                      KV_PLATFORM_LIBRARY + "' " + KV_KVSYNC_PROGRAM + " ";
    std::string out;
    ASSERT_EQ(0, RunCommand(env + "pair --name 'My PPC' --device '" + device.Path() + "'", out)) << out;
    ASSERT_EQ(0, RunCommand(env + "users", out)) << out;
    EXPECT_NE(std::string::npos, out.find("My PPC\t240x320x16")) << out;
    ASSERT_EQ(0, RunCommand(env + "status", out)) << out;
    EXPECT_NE(std::string::npos, out.find("active")) << out;

    ASSERT_EQ(0, RunCommand(env + "sync --desktop '" + desktop.Path() + "'", out)) << out;
    EXPECT_NE(std::string::npos, out.find("Copying \"p.jpg\" to Desktop")) << out;
    EXPECT_EQ("result: 0", LastLine(out));
    EXPECT_EQ(std::vector<uint8_t>{9}, ReadHostFile(desktop / "Internal/Kestrelview/p.jpg"));

    // A desktop category database of another version ends the run.
    WriteHostFile(desktop / "_CategoryDB", {0, 2, 0, 0});
    EXPECT_EQ(1, RunCommand(env + "sync --mode merge --desktop '" + desktop.Path() + "'", out));
    EXPECT_EQ("result: -10101", LastLine(out));
    EXPECT_NE(std::string::npos, out.find("Kestrelview: >>> Your Kestrelview Desktop database is out of date")) << out;

    // Without the device there is nothing to synchronise with.
    std::remove((device / "Windows/KVDevice.txt").c_str());
    EXPECT_EQ(1, RunCommand(env + "status", out));
    EXPECT_NE(std::string::npos, out.find("inactive")) << out;
}

}  // namespace
