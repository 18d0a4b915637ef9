#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <condition_variable>
#include <mutex>

#include "desktop/ConnectionSink.h"
#include "desktop/KVPlatform.h"
#include "desktop/UserDirs.h"
#include "platform/rapi/CeServices.h"
#include "platform/rapi/ConnectionManager.h"
#include "platform/base/MessageBox.h"
#include "platform/rapi/Rapi.h"
#include "platform/base/WinError.h"
#include "tests/support/TestSupport.h"

namespace {

// A private desktop hive for the test's lifetime.
class ScopedConfig {
public:
    ScopedConfig() { setenv("XDG_CONFIG_HOME", m_dir.Path().c_str(), 1); }
    ~ScopedConfig() { unsetenv("XDG_CONFIG_HOME"); }

private:
    TempDir m_dir;
};

TEST(ExportsTest, PlatformIsPocketPCBeforeAndAfterInitialisation) {
    ScopedConfig config;
    EXPECT_EQ(1, GetPlatform());
    ASSERT_EQ(1, InitializePlatform("Kestrelview"));
    EXPECT_EQ(1, GetPlatform());
    ReleasePlatform();
    EXPECT_EQ(1, GetPlatform());
}

TEST(ExportsTest, RootDirJoinsThePartsToThePersonalFolder) {
    setenv("XDG_DOCUMENTS_DIR", "/home/u/Docs", 1);
    struct Case {
        const char* first;
        const char* third;
        const char* expected;
    } cases[] = {
        {"Kestrelview", "Photos", "/home/u/Docs/Kestrelview/Photos"},
        {"/Kestrelview", "Photos", "/home/u/Docs/Kestrelview/Photos"},
        {"", "Photos", "/home/u/Docs/Photos"},
        {"Kestrelview/", "", "/home/u/Docs/Kestrelview/"},
    };
    for (const Case& c : cases) {
        char out[kRootDirSize];
        std::memset(out, 'x', sizeof out);
        GetPlatformKestrelviewRootDir(c.first, "ignored", c.third, out);
        EXPECT_STREQ(c.expected, out) << c.first << "|" << c.third;
    }
    // A path that does not fit is not cut into another folder's name.
    std::string longPart(300, 'p');
    char out[kRootDirSize];
    GetPlatformKestrelviewRootDir(longPart.c_str(), "", "", out);
    EXPECT_STREQ("", out);
    unsetenv("XDG_DOCUMENTS_DIR");
}

TEST(ExportsTest, UsersAreThePartnershipsOfKnownDeviceTypes) {
    ScopedConfig config;
    TempDir a, b, c;
    DWORD pa = 0, pb = 0, pc = 0;
    ASSERT_EQ(0u, CeSvcAddPartnership("Anna's Pocket PC", "PocketPC", a.Path(), pa));
    ASSERT_EQ(0u, CeSvcAddPartnership("Laptop", "Desktop", b.Path(), pb));
    ASSERT_EQ(0u, CeSvcAddPartnership("Phone", "SMARTPHONE", c.Path(), pc));

    TUserInfo user{};
    ASSERT_EQ(1, EnumeratePlatformUsers(0, "", user));
    EXPECT_STREQ("Anna's Pocket PC", user.displayName);
    EXPECT_EQ(std::to_string(pa), user.userId);
    EXPECT_EQ(static_cast<int32_t>(pa), user.profileId);
    EXPECT_EQ(240, user.screenWidth);
    EXPECT_EQ(320, user.screenHeight);
    EXPECT_EQ(16, user.colorDepth);

    TUserInfo untouched{};
    std::memset(&untouched, 0x5A, sizeof untouched);
    TUserInfo copy = untouched;
    EXPECT_EQ(-1, EnumeratePlatformUsers(1, "", copy));
    EXPECT_EQ(0, std::memcmp(&untouched, &copy, sizeof copy));

    ASSERT_EQ(1, EnumeratePlatformUsers(2, "", user));
    EXPECT_STREQ("Phone", user.displayName);
    EXPECT_EQ(176, user.screenWidth);
    EXPECT_EQ(220, user.screenHeight);
    EXPECT_EQ(0, EnumeratePlatformUsers(3, "", user));
}

TEST(ExportsTest, AUserIsActiveWhileItsDeviceFolderCarriesItsIdentity) {
    ScopedConfig config;
    TempDir device;
    DWORD profile = 0;
    ASSERT_EQ(0u, CeSvcAddPartnership("PPC", "PocketPC", device.Path(), profile));
    SetConnectionPollInterval(10);
    RapiSetDeviceFolder("");
    ASSERT_EQ(1, InitializePlatform("Kestrelview"));
    EXPECT_TRUE(IsPlatformUserActive("", "", profile));
    EXPECT_FALSE(IsPlatformUserActive("", "", profile + 1));

    // The device goes away: the watcher reports the disconnection.
    std::mutex lock;
    std::condition_variable changed;
    bool gone = false;
    SetConnectionChangeHook([&](bool connected) {
        std::lock_guard guard(lock);
        gone = gone || !connected;
        changed.notify_all();
    });
    WriteHostFile(device / "Windows/KVDevice.txt", {});
    {
        std::unique_lock wait(lock);
        EXPECT_TRUE(changed.wait_for(wait, std::chrono::seconds(30), [&] { return gone; }));
    }
    EXPECT_FALSE(IsPlatformUserActive("", "", profile));
    SetConnectionChangeHook(nullptr);
    ReleasePlatform();
    SetConnectionPollInterval(250);
}

// A manager that only counts references.
class CountingManager final : public IDccMan {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT Advise(IDccManSink*, DWORD*) override { return S_OK; }
    HRESULT Unadvise(DWORD) override { return S_OK; }
    HRESULT ShowCommSettings() override { return S_OK; }
    HRESULT AutoconnectEnable() override { return S_OK; }
    HRESULT AutoconnectDisable() override { return S_OK; }
    HRESULT ConnectNow() override { return S_OK; }
    HRESULT DisconnectNow() override { return S_OK; }
    HRESULT SetIconDataTransferring() override { return S_OK; }
    HRESULT SetIconNoDataTransferring() override { return S_OK; }
    HRESULT SetIconError() override { return S_OK; }
    ULONG refs = 0;
};

TEST(ConnectionSinkTest, FollowsTheReportsAndCountsReferences) {
    CountingManager manager;
    auto* sink = new CConnectionSink(&manager);
    EXPECT_EQ(1u, manager.refs);
    EXPECT_EQ(1u, sink->AddRef());
    EXPECT_FALSE(sink->Connected());

    struct Step {
        HRESULT (CConnectionSink::*report)();
        bool connected;
    } steps[] = {
        {&CConnectionSink::OnLogListen, false},       {&CConnectionSink::OnLogAnswered, true},
        {&CConnectionSink::OnLogError, true},         {&CConnectionSink::OnLogInactive, false},
        {&CConnectionSink::OnLogActive, true},        {&CConnectionSink::OnLogTerminated, false},
        {&CConnectionSink::OnLogActive, true},        {&CConnectionSink::OnLogDisconnection, false},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(S_OK, (sink->*s.report)());
        EXPECT_EQ(s.connected, sink->Connected());
    }

    void* out = nullptr;
    EXPECT_EQ(S_OK, sink->QueryInterface(IID_IDccManSink, &out));
    EXPECT_EQ(static_cast<IDccManSink*>(sink), out);
    EXPECT_EQ(S_OK, sink->QueryInterface(IID_IUnknown, &out));
    EXPECT_EQ(E_NOINTERFACE, sink->QueryInterface(IID_IDccMan, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(2u, sink->Release());
    EXPECT_EQ(1u, sink->Release());
    EXPECT_EQ(0u, sink->Release());  // frees the sink and lets go of the manager
    EXPECT_EQ(0u, manager.refs);
}

TEST(ConnectionManagerTest, CreatesOnlyTheConnectionManager) {
    void* object = nullptr;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(IID_IDccMan, nullptr, 5, IID_IDccMan, &object));
    EXPECT_EQ(nullptr, object);
    CountingManager outer;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, CoCreateInstance(CLSID_DccMan, &outer, 5, IID_IDccMan, &object));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_DccMan, nullptr, 5, IID_IDccMan, &object));
    EXPECT_EQ(0u, static_cast<IDccMan*>(object)->Release());
}

TEST(ExportsTest, OverlongBrandOrFolderIsRefusedNotCut) {
    std::vector<std::string> shown;
    SetMessageBoxSink([&](const std::string&, const std::string& text) { shown.push_back(text); });
    TempDir device, desktop;
    RapiSetDeviceFolder(device.Path());
    std::string longBrand(40, 'b');
    std::string longFolder = desktop.Path() + "/" + std::string(800, 'f');
    EXPECT_EQ(206, PlatformSyncFiles(longBrand.c_str(), 0, desktop.Path().c_str(), nullptr));
    EXPECT_EQ(206, PlatformSyncFiles("Kestrelview", 0, longFolder.c_str(), nullptr));
    EXPECT_EQ(0, PlatformSyncFiles(std::string(39, 'b').c_str(), 0, desktop.Path().c_str(), nullptr));
    EXPECT_EQ(2, std::count(shown.begin(), shown.end(), ">>> Unexpected error 206."));
    SetMessageBoxSink(nullptr);
    RapiSetDeviceFolder("");
}

}  // namespace

namespace {

TEST(UserDirsTest, TheDocumentsFolderIsReadAsTheFileWritesIt) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"# comment\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", "/home/u/Dokumente"},
        {"  XDG_DOCUMENTS_DIR=\"/srv/docs\"\r\n", "/srv/docs"},
        {"XDG_DOCUMENTS_DIR=\"$HOME\"", "/home/u"},
        {"XDG_DOCUMENTS_DIR=\"$HOMEWORK\"", ""},
        {"XDG_DOCUMENTS_DIR=relative", ""},
        {"XDG_DOCUMENTS_DIR=\"docs\"", ""},
        {"#XDG_DOCUMENTS_DIR=\"/x\"", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, DocumentsFolderFromUserDirs(c.text, "/home/u")) << c.text;
}

}  // namespace
