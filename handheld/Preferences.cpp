#include "handheld/Preferences.h"

#include <algorithm>

#include "handheld/RegistryKey.h"
#include "handheld/ViewModes.h"

const std::array<SlideDuration, SLIDE_DURATION_COUNT> SlideDurationTable = {{
    {2000, u"2 Seconds"},
    {3000, u"3 Seconds"},
    {5000, u"5 Seconds"},
    {10000, u"10 Seconds"},
    {20000, u"20 Seconds"},
    {30000, u"30 Seconds"},
    {60000, u"1 Minutes"},
    {120000, u"2 Minutes"},
    {300000, u"5 Minutes"},
    {600000, u"10 Minutes"},
    {1200000, u"20 Minutes"},
    {1800000, u"30 Minutes"},
    // Not an endless wait: the slide show timer is armed with it like any other.
    {65535, u"Manual"},
}};

namespace {

constexpr uint16_t DEFAULT_SLIDE_DURATION = 2;
constexpr uint32_t DEFAULT_SHOW_COLUMNS = 14;

uint32_t ReadDWORD(const char16_t* name, uint32_t defaultValue) {
    return ReadRegistryDWORD(HKEY_CURRENT_USER, PreferencesKeyPath(), name, defaultValue);
}

void WriteDWORD(const char16_t* name, uint32_t value) {
    WriteRegistryDWORD(HKEY_CURRENT_USER, PreferencesKeyPath(), name, value);
}

bool ReadFlag(const char16_t* name, bool defaultValue) { return ReadDWORD(name, defaultValue) != 0; }

void WriteFlag(const char16_t* name, bool on) { WriteDWORD(name, on ? 1 : 0); }

std::u16string ReadText(const char16_t* name) {
    return ReadRegistryText(HKEY_CURRENT_USER, PreferencesKeyPath(), name, u"");
}

void WriteText(const char16_t* name, const std::u16string& text) {
    WriteRegistryText(HKEY_CURRENT_USER, PreferencesKeyPath(), name, text);
}

// Reads a binary value that must be exactly buffer's size; a value of any
// other length leaves buffer as it was, so no half-read data is used.
bool ReadExact(const char16_t* name, uint8_t* buffer, uint32_t size) {
    std::array<uint8_t, 64> bytes{};
    uint32_t length = static_cast<uint32_t>(bytes.size());
    if (!ReadRegistryBinary(HKEY_CURRENT_USER, PreferencesKeyPath(), name, bytes.data(), length) ||
        length != size)
        return false;
    std::copy_n(bytes.begin(), size, buffer);
    return true;
}

void WriteBinary(const char16_t* name, const uint8_t* bytes, uint32_t size) {
    WriteRegistryBinary(HKEY_CURRENT_USER, PreferencesKeyPath(), name, bytes, size);
}

}  // namespace

std::u16string PreferencesKeyPath() { return u"Software\\Farrowdale\\Kestrelview\\Preferences"; }

bool CreatePreferencesKey() {
    bool ok = true;
    for (const char16_t* path : {u"Software\\Farrowdale", u"Software\\Farrowdale\\Kestrelview",
                                 u"Software\\Farrowdale\\Kestrelview\\Preferences"}) {
        CRegistryKey key(HKEY_CURRENT_USER, path);
        ok = key.Create() && ok;
        key.Close();
    }
    return ok;
}

// A stored index outside the table would reach past it, so it reads as the
// default.
uint16_t GetSlideDuration() {
    auto index = static_cast<uint16_t>(ReadDWORD(u"Slide Duration", DEFAULT_SLIDE_DURATION));
    return index < SLIDE_DURATION_COUNT ? index : DEFAULT_SLIDE_DURATION;
}

void SetSlideDuration(uint16_t index) { WriteDWORD(u"Slide Duration", index); }

bool GetSlideShowRandomOrder() { return ReadFlag(u"Slide Show Random Order", false); }
void SetSlideShowRandomOrder(bool on) { WriteFlag(u"Slide Show Random Order", on); }

bool GetSlideShowAutoRun() { return ReadFlag(u"Slide Show Auto-Run", false); }
void SetSlideShowAutoRun(bool on) { WriteFlag(u"Slide Show Auto-Run", on); }

uint16_t GetBrowserView() {
    auto mode = static_cast<uint16_t>(ReadDWORD(u"Browser View", VIEW_THUMBNAIL));
    return mode >= VIEW_LIST && mode <= VIEW_DETAIL ? mode : VIEW_THUMBNAIL;
}

void SetBrowserView(uint16_t mode) { WriteDWORD(u"Browser View", mode); }

uint8_t GetSortColumn() {
    auto column = static_cast<uint8_t>(ReadDWORD(u"Sort Column", COLUMN_NAME));
    return column < COLUMN_COUNT ? column : COLUMN_NAME;
}

void SetSortColumn(uint8_t columnId) { WriteDWORD(u"Sort Column", columnId); }

bool GetSortAscending() { return ReadFlag(u"Sort Ascending", true); }
void SetSortAscending(bool on) { WriteFlag(u"Sort Ascending", on); }

bool GetShowColumn(uint32_t columnId) {
    if (columnId == COLUMN_NAME) return true;
    if (columnId >= 32) return false;
    return (ReadDWORD(u"Show Columns", DEFAULT_SHOW_COLUMNS) >> columnId & 1) != 0;
}

void SetShowColumn(uint32_t columnId, bool show) {
    if (columnId >= 32) return;  // no bit for it
    uint32_t mask = ReadDWORD(u"Show Columns", DEFAULT_SHOW_COLUMNS);
    uint32_t bit = uint32_t{1} << columnId;
    WriteDWORD(u"Show Columns", show ? mask | bit : mask & ~bit);
}

ColumnWidths GetColumnWidths() {
    uint8_t bytes[COLUMN_COUNT * 2];
    if (!ReadExact(u"Column Widths", bytes, sizeof bytes)) return DEFAULT_COLUMN_WIDTHS;
    ColumnWidths widths{};
    for (size_t i = 0; i < COLUMN_COUNT; ++i)
        widths[i] = static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return widths;
}

void SetColumnWidths(const ColumnWidths& widths) {
    uint8_t bytes[COLUMN_COUNT * 2];
    for (size_t i = 0; i < COLUMN_COUNT; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(widths[i]);
        bytes[2 * i + 1] = static_cast<uint8_t>(widths[i] >> 8);
    }
    WriteBinary(u"Column Widths", bytes, sizeof bytes);
}

bool GetAutoRotate() { return ReadFlag(u"Auto-rotate", true); }
void SetAutoRotate(bool on) { WriteFlag(u"Auto-rotate", on); }

bool GetUseAsDefaultViewer() { return ReadFlag(u"Use as default viewer", false); }
void SetUseAsDefaultViewer(bool on) { WriteFlag(u"Use as default viewer", on); }

bool GetShowPrivate() { return ReadFlag(u"Show Private", true); }
void SetShowPrivate(bool on) { WriteFlag(u"Show Private", on); }

std::u16string GetPrivatePassword() { return ReadText(u"Image Heuristics"); }
void SetPrivatePassword(const std::u16string& password) { WriteText(u"Image Heuristics", password); }

std::u16string GetLastViewedLocation() { return ReadText(u"Last Viewed Location"); }
void SetLastViewedLocation(const std::u16string& path) { WriteText(u"Last Viewed Location", path); }

RecordId GetLastViewedCategory(const RecordId& defaultId) {
    RecordId id = defaultId;
    ReadExact(u"Last Viewed Category", id.data(), static_cast<uint32_t>(id.size()));
    return id;
}

void SetLastViewedCategory(const RecordId& id) {
    WriteBinary(u"Last Viewed Category", id.data(), static_cast<uint32_t>(id.size()));
}
