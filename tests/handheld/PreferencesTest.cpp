#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "handheld/Preferences.h"
#include "handheld/PreferencesBatch.h"
#include "handheld/ViewModes.h"
#include "platform/base/DeviceFolder.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestSupport.h"

namespace {

struct Stored {
    uint32_t type;
    std::vector<uint8_t> data;
    bool operator==(const Stored&) const = default;
};

std::vector<uint8_t> Dword(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }

std::vector<uint8_t> Text(std::u16string_view text) {
    std::vector<uint8_t> out;
    for (char16_t c : text) out.insert(out.end(), {uint8_t(c), uint8_t(c >> 8)});
    out.insert(out.end(), {0, 0});
    return out;
}

// The preferences live in the current device folder's hive.
class PreferencesTest : public testing::Test {
protected:
    PreferencesTest() { RegSelectHive(RegHive::Device); }

    std::optional<Stored> Raw(std::u16string_view name) {
        UniqueHKey key;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, PreferencesKeyPath(), key.Receive()) != 0) return std::nullopt;
        uint32_t type = 0, size = 0;
        if (RegQueryValueEx(key.Get(), name, &type, nullptr, &size) != 0) return std::nullopt;
        std::vector<uint8_t> data(size);
        RegQueryValueEx(key.Get(), name, &type, data.data(), &size);
        return Stored{type, data};
    }

    void Store(std::u16string_view name, uint32_t type, const std::vector<uint8_t>& data) {
        UniqueHKey key;
        ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, PreferencesKeyPath(), key.Receive()), 0u);
        ASSERT_EQ(RegSetValueEx(key.Get(), name, type, data.data(), uint32_t(data.size())), 0u);
    }

    void StoreDword(std::u16string_view name, uint32_t value) { Store(name, REG_DWORD, Dword(value)); }

    TempDevice m_device;
};

void ExpectDefaults() {
    EXPECT_EQ(GetSlideDuration(), 2);
    EXPECT_EQ(SlideDurationTable[GetSlideDuration()].milliseconds, 5000u);
    EXPECT_FALSE(GetSlideShowRandomOrder());
    EXPECT_FALSE(GetSlideShowAutoRun());
    EXPECT_EQ(GetBrowserView(), VIEW_THUMBNAIL);
    EXPECT_EQ(GetSortColumn(), COLUMN_NAME);
    EXPECT_TRUE(GetSortAscending());
    for (uint32_t column = 0; column < COLUMN_COUNT; ++column)  // mask 14
        EXPECT_EQ(GetShowColumn(column), column >= 1 && column <= 3) << column;
    EXPECT_EQ(GetColumnWidths(), (ColumnWidths{45, 100, 45, 35, 45, 50, 20}));
    EXPECT_TRUE(GetAutoRotate());
    EXPECT_FALSE(GetUseAsDefaultViewer());
    EXPECT_TRUE(GetShowPrivate());
    EXPECT_EQ(GetPrivatePassword(), u"");
    EXPECT_EQ(GetLastViewedLocation(), u"");
    EXPECT_EQ(GetLastViewedCategory(), CATEGORY_ID_ALL);
    EXPECT_EQ(GetLastViewedCategory(CATEGORY_ID_UNFILED), CATEGORY_ID_UNFILED);
}

TEST_F(PreferencesTest, EveryGetterGivesItsDefaultWithoutTheKeyOrItsValues) {
    ExpectDefaults();
    ASSERT_TRUE(CreatePreferencesKey());
    ExpectDefaults();
}

TEST_F(PreferencesTest, TheKeyIsCreatedWithItsParentsInTheDeviceHive) {
    ASSERT_TRUE(CreatePreferencesKey());
    ASSERT_TRUE(CreatePreferencesKey());  // again: the keys are opened
    std::vector<uint8_t> bytes = ReadHostFile(m_device.Host("Windows/registry.reg"));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              "REGEDIT4\n\n"
              "[HKEY_CURRENT_USER\\Software]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Farrowdale]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Farrowdale\\Kestrelview]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Farrowdale\\Kestrelview\\Preferences]\n\n");
}

struct PreferenceCase {
    const char* label;
    std::function<void()> set;
    std::function<bool()> readsBack;
    const char16_t* valueName;
    Stored stored;
};

const RecordId SOME_CATEGORY = {1, 2, 3, 4, 5, 6, 7, 8};
const ColumnWidths SOME_WIDTHS = {1, 2, 300, 4, 5, 6, 0xffff};

const PreferenceCase PREFERENCE_CASES[] = {
    {"SlideDuration", [] { SetSlideDuration(12); }, [] { return GetSlideDuration() == 12; },
     u"Slide Duration", {REG_DWORD, Dword(12)}},
    {"RandomOrder", [] { SetSlideShowRandomOrder(true); }, [] { return GetSlideShowRandomOrder(); },
     u"Slide Show Random Order", {REG_DWORD, Dword(1)}},
    {"AutoRun", [] { SetSlideShowAutoRun(true); }, [] { return GetSlideShowAutoRun(); },
     u"Slide Show Auto-Run", {REG_DWORD, Dword(1)}},
    {"BrowserView", [] { SetBrowserView(VIEW_DETAIL); }, [] { return GetBrowserView() == VIEW_DETAIL; },
     u"Browser View", {REG_DWORD, Dword(1006)}},
    {"SortColumn", [] { SetSortColumn(COLUMN_NOTE); }, [] { return GetSortColumn() == COLUMN_NOTE; },
     u"Sort Column", {REG_DWORD, Dword(6)}},
    {"SortAscending", [] { SetSortAscending(false); }, [] { return !GetSortAscending(); },
     u"Sort Ascending", {REG_DWORD, Dword(0)}},
    {"ShowColumns", [] { SetShowColumn(COLUMN_NOTE, true); }, [] { return GetShowColumn(COLUMN_NOTE); },
     u"Show Columns", {REG_DWORD, Dword(14 | 64)}},
    {"ColumnWidths", [] { SetColumnWidths(SOME_WIDTHS); }, [] { return GetColumnWidths() == SOME_WIDTHS; },
     u"Column Widths", {REG_BINARY, {1, 0, 2, 0, 0x2c, 1, 4, 0, 5, 0, 6, 0, 0xff, 0xff}}},
    {"AutoRotate", [] { SetAutoRotate(false); }, [] { return !GetAutoRotate(); },
     u"Auto-rotate", {REG_DWORD, Dword(0)}},
    {"DefaultViewer", [] { SetUseAsDefaultViewer(true); }, [] { return GetUseAsDefaultViewer(); },
     u"Use as default viewer", {REG_DWORD, Dword(1)}},
    {"ShowPrivate", [] { SetShowPrivate(false); }, [] { return !GetShowPrivate(); },
     u"Show Private", {REG_DWORD, Dword(0)}},
    {"Password", [] { SetPrivatePassword(u"geheim €"); }, [] { return GetPrivatePassword() == u"geheim €"; },
     u"Image Heuristics", {REG_SZ, Text(u"geheim €")}},
    {"Location", [] { SetLastViewedLocation(u"\\Storage Card\\DCIM"); },
     [] { return GetLastViewedLocation() == u"\\Storage Card\\DCIM"; },
     u"Last Viewed Location", {REG_SZ, Text(u"\\Storage Card\\DCIM")}},
    {"Category", [] { SetLastViewedCategory(SOME_CATEGORY); },
     [] { return GetLastViewedCategory() == SOME_CATEGORY; },
     u"Last Viewed Category", {REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8}}},
};

void PrintTo(const PreferenceCase& c, std::ostream* os) { *os << c.label; }

class PreferencePair : public PreferencesTest, public testing::WithParamInterface<PreferenceCase> {};

TEST_P(PreferencePair, TheSetterWritesTheValueAndTheGetterReadsIt) {
    const PreferenceCase& c = GetParam();
    ASSERT_TRUE(CreatePreferencesKey());
    c.set();
    EXPECT_TRUE(c.readsBack());
    EXPECT_EQ(Raw(c.valueName), c.stored);
}

TEST_P(PreferencePair, TheSetterNeverCreatesTheKey) {
    const PreferenceCase& c = GetParam();
    c.set();
    EXPECT_FALSE(c.readsBack());
    EXPECT_FALSE(std::filesystem::exists(m_device.Host("Windows/registry.reg")));
}

INSTANTIATE_TEST_SUITE_P(Rows, PreferencePair, testing::ValuesIn(PREFERENCE_CASES),
                         [](const testing::TestParamInfo<PreferenceCase>& info) {
                             return std::string(info.param.label);
                         });

TEST_F(PreferencesTest, OnlyTheLowBitsCountAndUnusableNumbersGiveTheDefault) {
    ASSERT_TRUE(CreatePreferencesKey());
    struct Case {
        const char16_t* name;
        uint32_t stored;
        std::function<uint32_t()> get;
        uint32_t expected;
    };
    const Case cases[] = {
        {u"Slide Duration", 0x10003, [] { return GetSlideDuration(); }, 3},
        {u"Slide Duration", 13, [] { return GetSlideDuration(); }, 2},  // past the table
        {u"Browser View", 0x10000 + VIEW_LIST, [] { return GetBrowserView(); }, VIEW_LIST},
        {u"Browser View", VIEW_SINGLE, [] { return GetBrowserView(); }, VIEW_THUMBNAIL},
        {u"Sort Column", 0x105, [] { return GetSortColumn(); }, 5},
        {u"Sort Column", 7, [] { return GetSortColumn(); }, 1},
        {u"Show Private", 2, [] { return GetShowPrivate(); }, 1},
        {u"Sort Ascending", 0, [] { return GetSortAscending(); }, 0},
    };
    for (const Case& c : cases) {
        StoreDword(c.name, c.stored);
        EXPECT_EQ(c.get(), c.expected) << std::string(c.name, c.name + 3) << " " << c.stored;
    }
    // A value of another type is not a number.
    Store(u"Sort Column", REG_SZ, Text(u"3"));
    EXPECT_EQ(GetSortColumn(), COLUMN_NAME);
    Store(u"Browser View", REG_BINARY, {0xeb, 0x03});
    EXPECT_EQ(GetBrowserView(), VIEW_THUMBNAIL);
}

TEST_F(PreferencesTest, ShowColumnsZeroShowsOnlyTheName) {
    ASSERT_TRUE(CreatePreferencesKey());
    StoreDword(u"Show Columns", 0);
    for (uint32_t column = 0; column < COLUMN_COUNT; ++column)
        EXPECT_EQ(GetShowColumn(column), column == COLUMN_NAME) << column;
}

TEST_F(PreferencesTest, ChangingOneColumnKeepsEveryOtherBit) {
    ASSERT_TRUE(CreatePreferencesKey());
    StoreDword(u"Show Columns", 0xFFFFFF0E);
    SetShowColumn(COLUMN_CATEGORY, false);
    EXPECT_EQ(Raw(u"Show Columns"), (Stored{REG_DWORD, Dword(0xFFFFFF0A)}));
    SetShowColumn(COLUMN_LOCATION, true);
    EXPECT_EQ(Raw(u"Show Columns"), (Stored{REG_DWORD, Dword(0xFFFFFF0B)}));
    SetShowColumn(COLUMN_NAME, false);  // its bit changes; the column stays shown
    EXPECT_EQ(Raw(u"Show Columns"), (Stored{REG_DWORD, Dword(0xFFFFFF09)}));
    EXPECT_TRUE(GetShowColumn(COLUMN_NAME));
    EXPECT_TRUE(GetShowColumn(31));
    EXPECT_FALSE(GetShowColumn(32));
    SetShowColumn(40, true);  // no such bit: nothing is written
    EXPECT_EQ(Raw(u"Show Columns"), (Stored{REG_DWORD, Dword(0xFFFFFF09)}));
}

TEST_F(PreferencesTest, BinaryValuesOfAnotherLengthGiveTheDefault) {
    ASSERT_TRUE(CreatePreferencesKey());
    for (size_t length : {0, 12, 13, 15, 16, 200}) {
        Store(u"Column Widths", REG_BINARY, std::vector<uint8_t>(length, 7));
        EXPECT_EQ(GetColumnWidths(), DEFAULT_COLUMN_WIDTHS) << length;
    }
    for (size_t length : {0, 7, 9, 64}) {
        Store(u"Last Viewed Category", REG_BINARY, std::vector<uint8_t>(length, 7));
        EXPECT_EQ(GetLastViewedCategory(CATEGORY_ID_UNFILED), CATEGORY_ID_UNFILED) << length;
    }
}

TEST_F(PreferencesTest, NothingIsCached) {
    ASSERT_TRUE(CreatePreferencesKey());
    SetSortColumn(COLUMN_DATE);
    // Another program (or a hand edit) changes the hive meanwhile.
    std::string path = RegDeviceHivePath(DeviceFolder::Current());
    std::vector<uint8_t> bytes = ReadHostFile(path);
    std::string text(bytes.begin(), bytes.end());
    size_t at = text.find("dword:00000005");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 14, "dword:00000003");
    WriteHostFile(path, std::vector<uint8_t>(text.begin(), text.end()));
    EXPECT_EQ(GetSortColumn(), COLUMN_SIZE);
}

}  // namespace

namespace {

TEST_F(PreferencesTest, ABatchWritesItsSettersInOneSaveAndSeesItsOwnChanges) {
    ASSERT_TRUE(CreatePreferencesKey());
    StoreDword(u"Show Columns", 0x100 | 14);
    const size_t writesBefore = RegHiveWriteCount();
    {
        CPreferencesBatch batch;
        SetSortColumn(COLUMN_DATE);
        SetShowColumn(COLUMN_LOCATION, true);  // each bit builds on the one before
        SetShowColumn(COLUMN_SIZE, false);
        SetShowColumn(COLUMN_NOTE, true);
        SetLastViewedLocation(u"\\Storage Card");
        EXPECT_EQ(GetSortColumn(), COLUMN_DATE) << "reads see the batch";
        EXPECT_EQ(Raw(u"Sort Column"), std::nullopt) << "nothing stored before Commit";
        EXPECT_EQ(RegHiveWriteCount(), writesBefore);
        EXPECT_EQ(batch.Commit(), 0u);
    }
    EXPECT_EQ(RegHiveWriteCount(), writesBefore + 1);
    EXPECT_EQ(Raw(u"Sort Column"), (Stored{REG_DWORD, Dword(COLUMN_DATE)}));
    EXPECT_EQ(Raw(u"Show Columns"), (Stored{REG_DWORD, Dword(0x100 | 1 | 2 | 4 | 64)}));
    EXPECT_EQ(GetLastViewedLocation(), u"\\Storage Card");
    SetSortAscending(false);  // after Commit writes go straight to the hive again
    EXPECT_EQ(RegHiveWriteCount(), writesBefore + 2);
}

TEST_F(PreferencesTest, ABatchDroppedWithoutCommitWritesNothing) {
    ASSERT_TRUE(CreatePreferencesKey());
    {
        CPreferencesBatch batch;
        SetSortColumn(COLUMN_DATE);
        SetAutoRotate(false);
    }
    EXPECT_EQ(Raw(u"Sort Column"), std::nullopt);
    EXPECT_TRUE(GetAutoRotate());
}

}  // namespace
