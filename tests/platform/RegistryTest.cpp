#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/base/DeviceFolder.h"
#include "platform/registry/Registry.h"
#include "platform/base/WinError.h"
#include "tests/support/TestSupport.h"

namespace {

std::string ReadText(const std::string& path) {
    std::vector<uint8_t> bytes = ReadHostFile(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string& path, const std::string& text) {
    WriteHostFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// Runs `call` as an unprivileged user: in this process when it is not
// root, else in a child that becomes "nobody". Returns the call's result
// (below 256), or ~0u when the child could not run it.
template <typename Call>
uint32_t AsUnprivileged(Call call) {
    if (geteuid() != 0) return call();
    const passwd* nobody = getpwnam("nobody");
    if (!nobody) return ~0u;
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(255);
        _exit(int(call() & 0xFF));
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 255) {
        return ~0u;
    }
    return uint32_t(WEXITSTATUS(status));
}

uint32_t SetDword(HKEY key, std::u16string_view name, uint32_t value) {
    return RegSetValueEx(key, name, REG_DWORD, &value, sizeof value);
}

// Each test works on a hive file of its own in a temporary folder.
class RegistryTest : public testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(RegOpenKeyCount(), m_openBefore) << "a key was left open"; }

    TempDir m_dir;
    std::string m_hive = m_dir / "hive.reg";
    RegHiveOverride m_use{m_hive};
    size_t m_openBefore = RegOpenKeyCount();
};

TEST_F(RegistryTest, CreateMakesMissingParentsAndOpenFindsThem) {
    UniqueHKey key;
    uint32_t disposition = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"Software\\Farrowdale\\Kestrelview", key.Receive(),
                             &disposition), 0u);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(ReadText(m_hive),
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\Farrowdale]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Farrowdale\\Kestrelview]\n\n");

    UniqueHKey again;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"SOFTWARE\\farrowdale", again.Receive(), &disposition), 0u);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

    UniqueHKey sub;
    EXPECT_EQ(RegOpenKeyEx(again.Get(), u"Kestrelview", sub.Receive()), 0u);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Software\\Other", sub.Receive()), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(sub.Get(), nullptr);
    // The same path under another root is another key.
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"Software", sub.Receive()), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Software\\\\x", sub.Receive()), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, OpeningAMissingKeyWritesNothing) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Software", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(std::filesystem::exists(m_hive));
}

TEST_F(RegistryTest, ClosedAndUnknownHandlesAreRefused) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"A", &key), 0u);
    EXPECT_EQ(RegCloseKey(key), 0u);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetDword(key, u"x", 1), ERROR_INVALID_HANDLE);
    uint32_t size = 0;
    EXPECT_EQ(RegQueryValueEx(key, u"x", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueEx(nullptr, u"x", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), 0u);  // the roots are always open
}

TEST_F(RegistryTest, ValuesOfEveryTypeRoundTripThroughTheFile) {
    const std::u16string text = u"C:\\Fotos \"neu\" – Grüße ✓";
    const std::vector<uint8_t> binary = {0x2d, 0x00, 0x64, 0x00, 0xff, 0x0a, 0x00};
    {
        UniqueHKey key;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"Software\\Test", key.Receive()), 0u);
        EXPECT_EQ(SetDword(key.Get(), u"Number", 14), 0u);
        EXPECT_EQ(RegSetValueEx(key.Get(), u"Text", REG_SZ, text.c_str(),
                                uint32_t((text.size() + 1) * 2)), 0u);
        EXPECT_EQ(RegSetValueEx(key.Get(), u"Bytes", REG_BINARY, binary.data(), uint32_t(binary.size())), 0u);
        EXPECT_EQ(RegSetValueEx(key.Get(), u"", REG_SZ, u"dflt", 10), 0u);
    }
    EXPECT_NE(ReadText(m_hive).find("\"Number\"=dword:0000000e\n"
                                    "\"Text\"=\"C:\\\\Fotos \\\"neu\\\" – Grüße ✓\"\n"
                                    "\"Bytes\"=hex:2d,00,64,00,ff,0a,00\n"
                                    "@=\"dflt\"\n"),
              std::string::npos)
        << ReadText(m_hive);

    UniqueHKey key;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"software\\test", key.Receive()), 0u);
    uint32_t type = 0, number = 0, size = sizeof number;
    EXPECT_EQ(RegQueryValueEx(key.Get(), u"NUMBER", &type, &number, &size), 0u);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(number, 14u);

    std::u16string readText(text.size() + 1, u'?');
    size = uint32_t(readText.size() * 2);
    EXPECT_EQ(RegQueryValueEx(key.Get(), u"Text", &type, readText.data(), &size), 0u);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, (text.size() + 1) * 2);
    EXPECT_EQ(readText, text + u'\0');

    std::vector<uint8_t> readBytes(16);
    size = 16;
    EXPECT_EQ(RegQueryValueEx(key.Get(), u"Bytes", &type, readBytes.data(), &size), 0u);
    readBytes.resize(size);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(readBytes, binary);

    char16_t dflt[5] = {};
    size = sizeof dflt;
    EXPECT_EQ(RegQueryValueEx(key.Get(), u"", &type, dflt, &size), 0u);
    EXPECT_EQ(std::u16string(dflt), u"dflt");
}

TEST_F(RegistryTest, QueryGivesTheSizeAndRefusesASmallBuffer) {
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"K", key.Receive()), 0u);
    const uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_EQ(RegSetValueEx(key.Get(), u"b", REG_BINARY, bytes, 6), 0u);

    uint32_t type = 0, size = 0;
    EXPECT_EQ(RegQueryValueEx(key.Get(), u"b", &type, nullptr, &size), 0u);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(type, REG_BINARY);

    uint8_t small[4] = {9, 9, 9, 9};
    size = sizeof small;
    EXPECT_EQ(RegQueryValueEx(key.Get(), u"b", &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(small[0], 9);  // nothing copied

    EXPECT_EQ(RegQueryValueEx(key.Get(), u"b", &type, small, nullptr), ERROR_INVALID_PARAMETER);
    size = sizeof small;
    EXPECT_EQ(RegQueryValueEx(key.Get(), u"missing", &type, small, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueEx(HKEY_LOCAL_MACHINE, u"missing", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, RefusesBadValueNamesAndMissingData) {
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"K", key.Receive()), 0u);
    EXPECT_EQ(SetDword(key.Get(), u"line\nbreak", 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueEx(key.Get(), u"x", REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueEx(key.Get(), u"x", REG_BINARY, nullptr, 0), 0u);
}

TEST_F(RegistryTest, DeletesValuesAndWholeKeys) {
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"Software\\A\\B\\C", key.Receive()), 0u);
    ASSERT_EQ(SetDword(key.Get(), u"v", 1), 0u);
    EXPECT_EQ(RegDeleteValue(key.Get(), u"V"), 0u);
    EXPECT_EQ(RegDeleteValue(key.Get(), u"v"), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, u"Software\\A"), 0u);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, u"Software\\A"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, u""), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ReadText(m_hive), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\n");
    // A handle to a key deleted meanwhile stays valid but finds nothing.
    EXPECT_EQ(SetDword(key.Get(), u"v", 1), ERROR_FILE_NOT_FOUND);
    uint32_t size = 0;
    EXPECT_EQ(RegQueryValueEx(key.Get(), u"v", nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, SeveralValuesAreSetInOneWriteOfTheHive) {
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"Software\\A", key.Receive()), 0u);
    ASSERT_EQ(SetDword(key.Get(), u"kept", 7), 0u);
    const std::vector<RegistryValue> values = {
        {u"one", REG_DWORD, {1, 0, 0, 0}},
        {u"text", REG_SZ, {'a', 0, 0, 0}},
        {u"kept", REG_DWORD, {9, 0, 0, 0}},
    };
    const size_t writesBefore = RegHiveWriteCount();
    EXPECT_EQ(RegSetValues(key.Get(), values), 0u);
    EXPECT_EQ(RegHiveWriteCount(), writesBefore + 1);
    EXPECT_EQ(ReadText(m_hive), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\A]\n"
                                "\"kept\"=dword:00000009\n\"one\"=dword:00000001\n\"text\"=\"a\"\n\n");
    // Nothing to set writes nothing; a bad name or a missing key sets none of them.
    EXPECT_EQ(RegSetValues(key.Get(), {}), 0u);
    EXPECT_EQ(RegHiveWriteCount(), writesBefore + 1);
    const std::vector<RegistryValue> bad = {{u"two", REG_DWORD, {2, 0, 0, 0}}, {u"\x01", REG_DWORD, {}}};
    EXPECT_EQ(RegSetValues(key.Get(), bad), ERROR_INVALID_PARAMETER);
    ASSERT_EQ(RegDeleteKey(HKEY_CURRENT_USER, u"Software\\A"), 0u);
    EXPECT_EQ(RegSetValues(key.Get(), values), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadText(m_hive), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\n");
}

TEST_F(RegistryTest, EnumeratesSubkeysAndValuesInOrder) {
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"Partners", key.Receive()), 0u);
    for (const char16_t* name : {u"P2", u"P1", u"P10"}) {
        UniqueHKey sub;
        ASSERT_EQ(RegCreateKeyEx(key.Get(), name, sub.Receive()), 0u);
    }
    SetDword(key.Get(), u"b", 2);
    SetDword(key.Get(), u"a", 1);

    std::vector<std::u16string> keys;
    std::u16string name;
    uint32_t index = 0;
    while (RegEnumKeyEx(key.Get(), index, name) == 0) {
        keys.push_back(name);
        ++index;
    }
    EXPECT_EQ(keys, (std::vector<std::u16string>{u"P2", u"P1", u"P10"}));
    EXPECT_EQ(RegEnumKeyEx(key.Get(), 3, name), ERROR_NO_MORE_ITEMS);

    uint32_t type = 0, value = 0, size = sizeof value;
    EXPECT_EQ(RegEnumValue(key.Get(), 1, name, &type, &value, &size), 0u);
    EXPECT_EQ(name, u"a");
    EXPECT_EQ(value, 1u);
    uint8_t small[2];
    size = sizeof small;
    EXPECT_EQ(RegEnumValue(key.Get(), 0, name, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(RegEnumValue(key.Get(), 2, name, &type, nullptr, &size), ERROR_NO_MORE_ITEMS);

    EXPECT_EQ(RegEnumKeyEx(HKEY_CLASSES_ROOT, 0, name), ERROR_NO_MORE_ITEMS);  // an empty root
}

TEST_F(RegistryTest, OneFileHoldsSeveralRoots) {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE}) {
        UniqueHKey key;
        ASSERT_EQ(RegCreateKeyEx(root, u"Shared", key.Receive()), 0u);
        SetDword(key.Get(), u"root", uint32_t(reinterpret_cast<uintptr_t>(root)));
    }
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE}) {
        UniqueHKey key;
        ASSERT_EQ(RegOpenKeyEx(root, u"Shared", key.Receive()), 0u);
        uint32_t value = 0, size = 4;
        EXPECT_EQ(RegQueryValueEx(key.Get(), u"root", nullptr, &value, &size), 0u);
        EXPECT_EQ(value, uint32_t(reinterpret_cast<uintptr_t>(root)));
    }
    std::string text = ReadText(m_hive);
    EXPECT_NE(text.find("[HKEY_CLASSES_ROOT\\Shared]"), std::string::npos);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Shared]"), std::string::npos);
}

TEST_F(RegistryTest, EveryCallReadsTheFileAfresh) {
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"K", key.Receive()), 0u);
    // Another process rewrites the hive while the key is open.
    WriteText(m_hive, "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"v\"=dword:00000007\n\"junk\n");
    uint32_t value = 0, size = 4;
    EXPECT_EQ(RegQueryValueEx(key.Get(), u"v", nullptr, &value, &size), 0u);
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(SetDword(key.Get(), u"w", 8), 0u);
    EXPECT_EQ(ReadText(m_hive),
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"v\"=dword:00000007\n\"w\"=dword:00000008\n\n");
}

TEST_F(RegistryTest, TheFileIsForItsOwnerOnlyAndNoTemporaryFileStays) {
    WriteText(m_hive, "REGEDIT4\n");
    chmod(m_hive.c_str(), 0644);
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"K", key.Receive()), 0u);
    ASSERT_EQ(SetDword(key.Get(), u"v", 1), 0u);
    struct stat st {};
    ASSERT_EQ(stat(m_hive.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(FolderEntries(m_dir.Path()), std::vector<std::string>{"hive.reg"});
}

TEST_F(RegistryTest, AFailedWriteLeavesTheOldFileAsItWas) {
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"K", key.Receive()), 0u);
    ASSERT_EQ(SetDword(key.Get(), u"v", 1), 0u);
    const std::string before = ReadText(m_hive);
    std::vector<uint8_t> big(4096, 0xab);

    // The file system refuses to hold more than a few bytes: the temporary
    // file cannot be written (this holds even for root, unlike a read-only
    // folder, which the next case covers for other users).
    {
        rlimit old {};
        getrlimit(RLIMIT_FSIZE, &old);
        sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
        rlimit tiny = old;
        tiny.rlim_cur = 64;
        setrlimit(RLIMIT_FSIZE, &tiny);
        uint32_t err = RegSetValueEx(key.Get(), u"big", REG_BINARY, big.data(), uint32_t(big.size()));
        setrlimit(RLIMIT_FSIZE, &old);
        signal(SIGXFSZ, oldHandler);
        EXPECT_NE(err, 0u);
        EXPECT_EQ(ReadText(m_hive), before);
        EXPECT_EQ(FolderEntries(m_dir.Path()), std::vector<std::string>{"hive.reg"});
    }
    // A read-only folder: root writes anywhere, so then the write is made by
    // a child process that has become the unprivileged user "nobody".
    {
        chmod(m_hive.c_str(), 0644);
        chmod(m_dir.Path().c_str(), 0555);
        EXPECT_EQ(AsUnprivileged([&] {
                      return RegSetValueEx(key.Get(), u"big", REG_BINARY, big.data(), uint32_t(big.size()));
                  }),
                  ERROR_ACCESS_DENIED);
        chmod(m_dir.Path().c_str(), 0700);
        EXPECT_EQ(ReadText(m_hive), before);
    }
    uint32_t size = 0;
    EXPECT_EQ(RegQueryValueEx(key.Get(), u"big", nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, AnUnreadableHiveIsNeverOverwritten) {
    std::filesystem::create_directory(m_hive);  // a folder where the file should be
    HKEY key = nullptr;
    EXPECT_NE(RegCreateKeyEx(HKEY_CURRENT_USER, u"K", &key), 0u);
    EXPECT_EQ(key, nullptr);
    EXPECT_NE(SetDword(HKEY_CURRENT_USER, u"v", 1), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(m_hive));
}

TEST_F(RegistryTest, ADamagedFileStillOpensAndIsRepairedAtTheNextWrite) {
    WriteText(m_hive, "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"good\"=dword:00000001\n\"bad\"=dword:xyz\n"
                      "[HKEY_CURRENT_USER\\K\\Cut");
    UniqueHKey key;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"K", key.Receive()), 0u);
    uint32_t size = 0;
    EXPECT_EQ(RegQueryValueEx(key.Get(), u"good", nullptr, nullptr, &size), 0u);
    EXPECT_EQ(RegQueryValueEx(key.Get(), u"bad", nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    std::u16string name;
    EXPECT_EQ(RegEnumKeyEx(key.Get(), 0, name), ERROR_NO_MORE_ITEMS);
    ASSERT_EQ(SetDword(key.Get(), u"new", 2), 0u);
    EXPECT_EQ(ReadText(m_hive),
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"good\"=dword:00000001\n\"new\"=dword:00000002\n\n");
}

TEST_F(RegistryTest, AConnectedHiveIsIndependentOfTheSelectedOne) {
    const std::string other = m_dir / "sub/other.reg";
    UniqueHKey root;
    ASSERT_EQ(RegConnectHive(other, HKEY_CURRENT_USER, root.Receive()), 0u);
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyEx(root.Get(), u"Software\\Microsoft\\Today", key.Receive()), 0u);
    ASSERT_EQ(RegSetValueEx(key.Get(), u"Watermark", REG_SZ, u"tdycust.jpg", 24), 0u);
    EXPECT_NE(ReadText(other).find("\"Watermark\"=\"tdycust.jpg\""), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_hive));
    HKEY bad = nullptr;
    EXPECT_EQ(RegConnectHive(other, root.Get(), &bad), ERROR_INVALID_PARAMETER);
}

TEST(RegistryHiveChoice, TheDeviceHiveLivesInTheDeviceFolder) {
    TempDevice device;
    MakeHostDirs(device.Host("windows"));  // found without regard to case
    RegSelectHive(RegHive::Device);
    EXPECT_EQ(RegCurrentHivePath(), device.Host("windows/registry.reg"));
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"Software", key.Receive()), 0u);
    EXPECT_TRUE(std::filesystem::exists(device.Host("windows/registry.reg")));

    TempDevice second;  // a new device folder: the hive follows it
    EXPECT_EQ(RegCurrentHivePath(), second.Host("Windows/registry.reg"));
    HKEY missing = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Software", &missing), ERROR_FILE_NOT_FOUND);
    // A key opened before keeps its own hive.
    EXPECT_EQ(SetDword(key.Get(), u"v", 1), 0u);
    EXPECT_FALSE(std::filesystem::exists(second.Host("Windows/registry.reg")));
}

TEST(RegistryHiveChoice, TheDesktopHiveFollowsTheXdgConfigFolder) {
    TempDir dir;
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    std::string previous = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    RegSelectHive(RegHive::Desktop);
    EXPECT_EQ(RegCurrentHivePath(), dir / "kestrelview/desktop.reg");
    {
        UniqueHKey key;
        EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, u"Software", key.Receive()), 0u);
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "kestrelview/desktop.reg"));
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    if (const char* home = std::getenv("HOME"); home && home[0]) {
        EXPECT_EQ(RegDesktopHivePath(), std::string(home) + "/.config/kestrelview/desktop.reg");
    }
    RegSelectHive(RegHive::Device);
    if (saved)
        setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

}  // namespace

namespace {
// Sets the value prefix0 .. prefix<count-1> (each holding its number) in key
// K, one call each; 0 when every call succeeded.
int SetMany(const std::u16string& prefix, uint32_t count) {
    UniqueHKey key;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, u"K", key.Receive()) != 0) return 1;
    for (uint32_t i = 0; i < count; ++i) {
        std::u16string name = prefix;
        for (char c : std::to_string(i)) name += char16_t(c);
        if (SetDword(key.Get(), name, i) != 0) return 2;
    }
    return 0;
}
}  // namespace

// Two programs writing one hive at the same moment (the program and
// kvtool, or two copies): each writer reads the hive again under a lock and
// adds only its own change, so neither loses a value of the other.
TEST_F(RegistryTest, TwoProcessesWritingOneHiveLoseNothing) {
    constexpr uint32_t kEach = 1000;
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"K", key.Receive()), 0u);
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    pid_t children[2] = {};
    const std::u16string prefixes[2] = {u"first", u"second"};
    for (int i = 0; i < 2; ++i) {
        children[i] = fork();
        ASSERT_GE(children[i], 0);
        if (children[i] == 0) {
            close(start[1]);
            char go = 0;
            // Both begin when the parent closes the pipe.
            while (read(start[0], &go, 1) < 0 && errno == EINTR) {
            }
            _exit(SetMany(prefixes[i], kEach));
        }
    }
    close(start[0]);
    close(start[1]);
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    size_t missing = 0;
    for (const std::u16string& prefix : prefixes) {
        for (uint32_t i = 0; i < kEach; ++i) {
            std::u16string name = prefix;
            for (char c : std::to_string(i)) name += char16_t(c);
            uint32_t value = ~0u, size = sizeof value;
            if (RegQueryValueEx(key.Get(), name, nullptr, &value, &size) != 0 || value != i) ++missing;
        }
    }
    EXPECT_EQ(missing, 0u);
}
