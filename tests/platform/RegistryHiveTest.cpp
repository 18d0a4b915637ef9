#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry/RegistryHive.h"

namespace {

std::vector<uint8_t> Utf16Bytes(std::u16string_view text, bool terminated = true) {
    std::vector<uint8_t> out;
    for (char16_t c : text) {
        out.push_back(uint8_t(c));
        out.push_back(uint8_t(c >> 8));
    }
    if (terminated) out.insert(out.end(), {0, 0});
    return out;
}

const RegistryPath PREFS = {u"HKEY_CURRENT_USER", u"Software", u"Farrowdale", u"Kestrelview",
                            u"Preferences"};

struct ValueCase {
    const char* label;
    std::u16string name;
    uint32_t type;
    std::vector<uint8_t> data;
    std::string line;  // as written in the file
};

void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.label; }

class ValueRoundTrip : public testing::TestWithParam<ValueCase> {};

TEST_P(ValueRoundTrip, WritesTheLineAndReadsTheSameBytes) {
    const ValueCase& c = GetParam();
    RegistryHive hive;
    hive.Create(PREFS).SetValue(c.name, c.type, c.data);
    std::string text = hive.Serialize();
    EXPECT_NE(text.find("\n" + c.line + "\n"), std::string::npos) << text;

    RegistryHive back = RegistryHive::Parse(text);
    const RegistryKeyNode* key = back.Find(PREFS);
    ASSERT_NE(key, nullptr);
    const RegistryValue* v = key->FindValue(c.name);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, c.type);
    EXPECT_EQ(v->data, c.data);
    EXPECT_EQ(back.Serialize(), text);
}

INSTANTIATE_TEST_SUITE_P(
    Types, ValueRoundTrip,
    testing::Values(
        ValueCase{"dword", u"Show Columns", REG_DWORD, {0x0e, 0, 0, 0}, "\"Show Columns\"=dword:0000000e"},
        ValueCase{"dwordHigh", u"x", REG_DWORD, {0x78, 0x56, 0x34, 0xf2}, "\"x\"=dword:f2345678"},
        ValueCase{"binary", u"Column Widths", REG_BINARY, {0x2d, 0, 0x64, 0}, "\"Column Widths\"=hex:2d,00,64,00"},
        ValueCase{"emptyBinary", u"b", REG_BINARY, {}, "\"b\"=hex:"},
        ValueCase{"text", u"Last Viewed Location", REG_SZ, Utf16Bytes(u"\\My Documents\\Kestrelview"),
                  "\"Last Viewed Location\"=\"\\\\My Documents\\\\Kestrelview\""},
        ValueCase{"quotes", u"say \"hi\"", REG_SZ, Utf16Bytes(u"a\"b\\c\""),
                  "\"say \\\"hi\\\"\"=\"a\\\"b\\\\c\\\"\""},
        ValueCase{"emptyText", u"Image Heuristics", REG_SZ, Utf16Bytes(u""), "\"Image Heuristics\"=\"\""},
        ValueCase{"nonAscii", u"Grüße", REG_SZ, Utf16Bytes(u"Fotos – Ärger ✓ \U0001D11E"),
                  "\"Grüße\"=\"Fotos – Ärger ✓ \U0001D11E\""},
        ValueCase{"default", u"", REG_SZ, Utf16Bytes(u"Kestrelview.jpg"), "@=\"Kestrelview.jpg\""},
        // Forms the quoted and dword notations cannot give back exactly.
        ValueCase{"textWithoutTerminator", u"t", REG_SZ, Utf16Bytes(u"ab", false), "\"t\"=hex(1):61,00,62,00"},
        ValueCase{"textWithLineBreak", u"t", REG_SZ, Utf16Bytes(u"a\nb"),
                  "\"t\"=hex(1):61,00,0a,00,62,00,00,00"},
        ValueCase{"textWithInnerZero", u"t", REG_SZ, {0x61, 0, 0, 0, 0x62, 0, 0, 0},
                  "\"t\"=hex(1):61,00,00,00,62,00,00,00"},
        ValueCase{"loneSurrogate", u"t", REG_SZ, {0x00, 0xd8, 0, 0}, "\"t\"=hex(1):00,d8,00,00"},
        ValueCase{"oddText", u"t", REG_SZ, {0x61, 0, 0}, "\"t\"=hex(1):61,00,00"},
        ValueCase{"shortDword", u"d", REG_DWORD, {1, 2}, "\"d\"=hex(4):01,02"},
        ValueCase{"multiString", u"m", REG_MULTI_SZ, Utf16Bytes(std::u16string_view(u"a\0b\0", 4)),
                  "\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00"},
        ValueCase{"largeType", u"q", 0x1234abcd, {0xff}, "\"q\"=hex(1234abcd):ff"}),
    [](const testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.label); });

TEST(RegistryHiveFormat, WritesTheWholeHiveInKeyOrder) {
    RegistryHive hive;
    hive.Create(PREFS).SetValue(u"Sort Column", REG_DWORD, {1, 0, 0, 0});
    hive.Create({u"HKEY_CLASSES_ROOT", u".jpg"}).SetValue(u"", REG_SZ, Utf16Bytes(u"jpegfile"));
    hive.Create({u"HKEY_CURRENT_USER", u"Software", u"Microsoft", u"Today"});
    EXPECT_EQ(hive.Serialize(),
              "REGEDIT4\n\n"
              "[HKEY_CURRENT_USER\\Software]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Farrowdale]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Farrowdale\\Kestrelview]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Farrowdale\\Kestrelview\\Preferences]\n"
              "\"Sort Column\"=dword:00000001\n\n"
              "[HKEY_CURRENT_USER\\Software\\Microsoft]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Microsoft\\Today]\n\n"
              "[HKEY_CLASSES_ROOT\\.jpg]\n"
              "@=\"jpegfile\"\n\n");
}

TEST(RegistryHiveFormat, KeysAndValuesAreFoundWithoutRegardToCase) {
    RegistryHive hive = RegistryHive::Parse(
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Über]\n\"Name\"=dword:00000001\n\n"
        "[hkey_current_user\\SOFTWARE\\über]\n\"NAME\"=dword:00000002\n");
    const RegistryKeyNode* key = hive.Find({u"HKEY_CURRENT_USER", u"software", u"ÜBER"});
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->name, u"Über");  // kept as first spelt
    ASSERT_EQ(key->values.size(), 1u);
    EXPECT_EQ(key->values[0].name, u"Name");
    EXPECT_EQ(key->values[0].data, (std::vector<uint8_t>{2, 0, 0, 0}));  // the last one given wins
}

TEST(RegistryHiveFormat, DeletingAKeyTakesItsSubkeysAndNeverARoot) {
    RegistryHive hive;
    hive.Create(PREFS);
    EXPECT_FALSE(hive.Delete({u"HKEY_CURRENT_USER"}));
    EXPECT_TRUE(hive.Delete({u"HKEY_CURRENT_USER", u"software", u"farrowdale"}));
    EXPECT_EQ(hive.Find(PREFS), nullptr);
    EXPECT_NE(hive.Find({u"HKEY_CURRENT_USER", u"Software"}), nullptr);
    EXPECT_FALSE(hive.Delete({u"HKEY_CURRENT_USER", u"Software", u"Farrowdale"}));
}

TEST(RegistryHiveFormat, SplitsAndChecksKeyPaths) {
    RegistryPath path;
    EXPECT_EQ(SplitRegistryPath(u"Software\\Farrowdale", path), 0u);
    EXPECT_EQ(path, (RegistryPath{u"Software", u"Farrowdale"}));
    EXPECT_EQ(SplitRegistryPath(u"", path), 0u);
    EXPECT_TRUE(path.empty());
    for (std::u16string bad : {std::u16string(u"\\Software"), std::u16string(u"Software\\"),
                               std::u16string(u"a\\\\b"), std::u16string(u"a\nb"),
                               std::u16string(256, u'x')}) {
        EXPECT_EQ(SplitRegistryPath(bad, path), 87u);
        EXPECT_TRUE(path.empty());
    }
}

// Reading a hand-edited or damaged file: what is understood is kept, every
// other line is skipped, and nothing reads past the text.
struct ParseCase {
    const char* label;
    std::string input;
    std::string output;  // the hive as written back
};

const std::string HEAD = "REGEDIT4\n\n";
const std::string KEY = "[HKEY_CURRENT_USER\\K]\n";

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.label; }

class MalformedHive : public testing::TestWithParam<ParseCase> {};

TEST_P(MalformedHive, KeepsWhatItUnderstands) {
    const ParseCase& c = GetParam();
    RegistryHive hive = RegistryHive::Parse(c.input);
    EXPECT_EQ(hive.Serialize(), c.output);
    EXPECT_EQ(RegistryHive::Parse(hive.Serialize()).Serialize(), c.output);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MalformedHive,
    testing::Values(
        ParseCase{"empty", "", HEAD},
        ParseCase{"headerOnly", "REGEDIT4", HEAD},
        ParseCase{"noHeader", KEY + "\"a\"=dword:1\n", HEAD + KEY + "\"a\"=dword:00000001\n\n"},
        ParseCase{"version5Header", "Windows Registry Editor Version 5.00\r\n\r\n" + KEY,
                  HEAD + KEY + "\n"},
        ParseCase{"crlf", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"a\"=\"x\"\r\n",
                  HEAD + KEY + "\"a\"=\"x\"\n\n"},
        ParseCase{"truncatedValue", HEAD + KEY + "\"a\"=dword:00000001\n\"b\"=dwo",
                  HEAD + KEY + "\"a\"=dword:00000001\n\n"},
        ParseCase{"truncatedName", HEAD + KEY + "\"a", HEAD + KEY + "\n"},
        ParseCase{"truncatedText", HEAD + KEY + "\"a\"=\"abc", HEAD + KEY + "\n"},
        ParseCase{"truncatedKey", HEAD + "[HKEY_CURRENT_USER\\K", HEAD},
        ParseCase{"textAfterQuote", HEAD + KEY + "\"a\"=\"x\" y\n", HEAD + KEY + "\n"},
        ParseCase{"unknownEscape", HEAD + KEY + "\"a\"=\"x\\n\"\n", HEAD + KEY + "\n"},
        ParseCase{"trailingEscape", HEAD + KEY + "\"a\"=\"x\\", HEAD + KEY + "\n"},
        ParseCase{"longDword", HEAD + KEY + "\"a\"=dword:000000001\n", HEAD + KEY + "\n"},
        ParseCase{"notHexDword", HEAD + KEY + "\"a\"=dword:0000000g\n", HEAD + KEY + "\n"},
        ParseCase{"emptyDword", HEAD + KEY + "\"a\"=dword:\n", HEAD + KEY + "\n"},
        ParseCase{"wideHexByte", HEAD + KEY + "\"a\"=hex:100\n", HEAD + KEY + "\n"},
        ParseCase{"emptyHexByte", HEAD + KEY + "\"a\"=hex:01,,02\n", HEAD + KEY + "\n"},
        ParseCase{"badHexType", HEAD + KEY + "\"a\"=hex(z):01\n", HEAD + KEY + "\n"},
        ParseCase{"unclosedHexType", HEAD + KEY + "\"a\"=hex(2:01\n", HEAD + KEY + "\n"},
        ParseCase{"deletion", HEAD + "[-HKEY_CURRENT_USER\\K]\n" + KEY + "\"a\"=-\n",
                  HEAD + KEY + "\n"},
        ParseCase{"emptyKeyName", HEAD + "[HKEY_CURRENT_USER\\\\K]\n\"a\"=dword:1\n[]\n", HEAD},
        ParseCase{"valueBeforeAnyKey", HEAD + "\"a\"=dword:1\n" + KEY, HEAD + KEY + "\n"},
        ParseCase{"valuesAfterBadKeyAreSkipped", HEAD + KEY + "[x\\]\n\"a\"=dword:1\n", HEAD + KEY + "\n"},
        ParseCase{"comment", HEAD + "; made by hand\n" + KEY + "; here\n", HEAD + KEY + "\n"},
        ParseCase{"spacesAroundEquals", HEAD + KEY + "  \"a\" = dword:1 \n",
                  HEAD + KEY + "\"a\"=dword:00000001\n\n"},
        ParseCase{"controlCharacterInName", HEAD + KEY + "\"a\tb\"=dword:1\n", HEAD + KEY + "\n"},
        ParseCase{"missingParents", HEAD + "[HKEY_CURRENT_USER\\A\\B]\n",
                  HEAD + "[HKEY_CURRENT_USER\\A]\n\n[HKEY_CURRENT_USER\\A\\B]\n\n"},
        ParseCase{"rootValues", HEAD + "[HKEY_LOCAL_MACHINE]\n@=dword:2\n",
                  HEAD + "[HKEY_LOCAL_MACHINE]\n@=dword:00000002\n\n"},
        ParseCase{"bracketInName", HEAD + "[HKEY_CURRENT_USER\\a]b]\n",
                  HEAD + "[HKEY_CURRENT_USER\\a]b]\n\n"},
        ParseCase{"invalidUtf8", HEAD + "[HKEY_CURRENT_USER\\a\xff]\n",
                  HEAD + "[HKEY_CURRENT_USER\\a\xef\xbf\xbd]\n\n"},
        ParseCase{"nulInText", HEAD + KEY + std::string("\"a\"=\"x\0y\"\n", 10),
                  HEAD + KEY + "\"a\"=hex(1):78,00,00,00,79,00,00,00\n\n"},
        ParseCase{"continuedHex", HEAD + KEY + "\"a\"=hex:01,02,\\\n  03,\\\n\t04\n",
                  HEAD + KEY + "\"a\"=hex:01,02,03,04\n\n"},
        ParseCase{"continuationNeedsIndent", HEAD + KEY + "\"a\"=hex:01,\\\n[HKEY_CURRENT_USER\\L]\n\"b\"=dword:1\n",
                  HEAD + KEY + "\n[HKEY_CURRENT_USER\\L]\n\"b\"=dword:00000001\n\n"},
        ParseCase{"continuationAtEnd", HEAD + KEY + "\"a\"=hex:01,\\", HEAD + KEY + "\n"},
        ParseCase{"utf8Bom", "\xEF\xBB\xBFREGEDIT4\n" + KEY, HEAD + KEY + "\n"},
        ParseCase{"utf16WithBom",
                  std::string("\xFF\xFE" "R\0E\0G\0E\0D\0I\0T\0" "4\0\n\0[\0H\0\\\0K\0]\0\n\0@\0=\0\"\0\xE4\0\"\0", 42),
                  HEAD + "[H\\K]\n@=\"\xC3\xA4\"\n\n"},
        ParseCase{"oddUtf16", std::string("\xFF\xFE[\0A\0\\\0B\0]\0X", 13), HEAD + "[A\\B]\n\n"}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.label); });

TEST(RegistryHiveFormat, RefusesKeysDeeperThanTheRegistryAllows) {
    std::string deep = "[HKEY_CURRENT_USER";
    for (size_t i = 0; i < REG_MAX_KEY_DEPTH; ++i) deep += "\\k";
    RegistryHive hive = RegistryHive::Parse(HEAD + deep + "]\n");
    EXPECT_EQ(hive.Serialize(), HEAD);
    deep.resize(deep.size() - 2);  // exactly the limit, root included
    RegistryHive atLimit = RegistryHive::Parse(HEAD + deep + "]\n");
    EXPECT_NE(atLimit.Serialize(), HEAD);
}

}  // namespace
