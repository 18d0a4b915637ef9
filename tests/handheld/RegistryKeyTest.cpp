#include <gtest/gtest.h>

#include <string>

#include "handheld/RegistryKey.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestSupport.h"

namespace {

class RegistryKeyTest : public testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(RegOpenKeyCount(), m_openBefore); }

    TempDir m_dir;
    RegHiveOverride m_use{m_dir / "hive.reg"};
    size_t m_openBefore = RegOpenKeyCount();
};

TEST_F(RegistryKeyTest, TheDestructorClosesTheKey) {
    {
        CRegistryKey key(HKEY_CURRENT_USER, u"Software\\A\\B");
        EXPECT_FALSE(key.Open());
        ASSERT_TRUE(key.Create());
        EXPECT_TRUE(key.IsOpen());
        EXPECT_EQ(RegOpenKeyCount(), m_openBefore + 1);
        ASSERT_TRUE(key.Open());  // reopening does not leak the first handle
        EXPECT_EQ(RegOpenKeyCount(), m_openBefore + 1);
    }
    EXPECT_EQ(RegOpenKeyCount(), m_openBefore);
    CRegistryKey nothing;
    EXPECT_FALSE(nothing.Open());
    EXPECT_FALSE(nothing.Create());
    EXPECT_FALSE(nothing.SetDWORD(u"x", 1));
}

TEST_F(RegistryKeyTest, SetsAndQueriesEachKind) {
    CRegistryKey key(HKEY_CURRENT_USER, u"K");
    ASSERT_TRUE(key.Create());
    ASSERT_TRUE(key.SetText(u"t", u"Grüße"));
    ASSERT_TRUE(key.SetDWORD(u"d", 0xdeadbeef));
    const uint8_t bytes[3] = {1, 2, 3};
    ASSERT_TRUE(key.SetBinary(u"b", bytes, 3));

    std::u16string text = u"old";
    EXPECT_TRUE(key.QueryText(u"t", text));
    EXPECT_EQ(text, u"Grüße");
    uint32_t value = 0;
    EXPECT_TRUE(key.QueryDWORD(u"d", value));
    EXPECT_EQ(value, 0xdeadbeefu);
    uint8_t buffer[8] = {};
    uint32_t length = sizeof buffer;
    EXPECT_TRUE(key.QueryBinary(u"b", buffer, length));
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(buffer[2], 3);
    length = 2;
    EXPECT_FALSE(key.QueryBinary(u"b", buffer, length));
}

TEST_F(RegistryKeyTest, FailedQueriesLeaveTheOutValueAlone) {
    CRegistryKey key(HKEY_CURRENT_USER, u"K");
    ASSERT_TRUE(key.Create());
    const uint8_t two[2] = {1, 2};
    ASSERT_TRUE(key.SetBinary(u"short", two, 2));
    ASSERT_TRUE(key.SetDWORD(u"number", 5));
    ASSERT_TRUE(key.SetBinary(u"empty", nullptr, 0));
    ASSERT_TRUE(key.SetText(u"text", u"abc"));

    for (const char16_t* name : {u"missing", u"short", u"text"}) {
        uint32_t value = 77;
        EXPECT_FALSE(key.QueryDWORD(name, value));
        EXPECT_EQ(value, 77u);
    }
    for (const char16_t* name : {u"missing", u"number", u"empty"}) {
        std::u16string text = u"kept";
        EXPECT_FALSE(key.QueryText(name, text));
        EXPECT_EQ(text, u"kept");
    }
    key.Close();
    uint32_t value = 77;
    EXPECT_FALSE(key.QueryDWORD(u"number", value));
    EXPECT_FALSE(key.SetDWORD(u"number", 1));
}

TEST_F(RegistryKeyTest, TextIsStoredWithItsTerminator) {
    CRegistryKey key(HKEY_CURRENT_USER, u"K");
    ASSERT_TRUE(key.Create());
    ASSERT_TRUE(key.SetText(u"t", u"abc"));
    ASSERT_TRUE(key.SetText(u"e", u""));
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"K", &raw), 0u);
    uint32_t type = 0, size = 0;
    EXPECT_EQ(RegQueryValueEx(raw, u"t", &type, nullptr, &size), 0u);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(RegQueryValueEx(raw, u"e", &type, nullptr, &size), 0u);
    EXPECT_EQ(size, 2u);
    RegCloseKey(raw);
    std::u16string text = u"kept";
    EXPECT_TRUE(key.QueryText(u"e", text));  // a stored empty text reads as empty
    EXPECT_EQ(text, u"");
}

TEST_F(RegistryKeyTest, ConvenienceFunctionsReadDefaultsAndNeverCreate) {
    EXPECT_EQ(ReadRegistryDWORD(HKEY_CURRENT_USER, u"K", u"d", 42), 42u);
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, u"K", u"t", u"dflt"), u"dflt");
    EXPECT_FALSE(WriteRegistryDWORD(HKEY_CURRENT_USER, u"K", u"d", 1));
    EXPECT_FALSE(WriteRegistryText(HKEY_CURRENT_USER, u"K", u"t", u"x"));
    EXPECT_FALSE(WriteRegistryBinary(HKEY_CURRENT_USER, u"K", u"b", "x", 1));
    CRegistryKey probe(HKEY_CURRENT_USER, u"K");
    EXPECT_FALSE(probe.Open());

    ASSERT_TRUE(probe.Create());
    EXPECT_TRUE(WriteRegistryDWORD(HKEY_CURRENT_USER, u"K", u"d", 9));
    EXPECT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, u"K", u"t", u"x"));
    EXPECT_TRUE(WriteRegistryBinary(HKEY_CURRENT_USER, u"K", u"b", "xy", 2));
    EXPECT_EQ(ReadRegistryDWORD(HKEY_CURRENT_USER, u"K", u"d", 42), 9u);
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, u"K", u"t", u"dflt"), u"x");
    char buffer[4] = {};
    uint32_t length = sizeof buffer;
    EXPECT_TRUE(ReadRegistryBinary(HKEY_CURRENT_USER, u"K", u"b", buffer, length));
    EXPECT_EQ(std::string(buffer, length), "xy");
}

}  // namespace
