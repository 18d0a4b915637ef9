#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "catalogue/CatalogueTypes.h"

// The user's preferences: values of the key HKEY_CURRENT_USER
// "Software\Farrowdale\Kestrelview\Preferences". Nothing is cached: each
// getter reads the registry (the default when the key or value is missing
// or unusable) and each setter writes at once. Setters only open the key;
// start-up makes it with CreatePreferencesKey.

// A new text "Software\Farrowdale\Kestrelview\Preferences" at each call.
std::u16string PreferencesKeyPath();
// Creates "Software\Farrowdale", "...\Kestrelview" and "...\Preferences" in
// turn under HKEY_CURRENT_USER, closing each.
bool CreatePreferencesKey();

// The slide show's durations; "Slide Duration" holds the row index.
struct SlideDuration {
    uint32_t milliseconds;
    const char16_t* text;
};
constexpr size_t SLIDE_DURATION_COUNT = 13;
extern const std::array<SlideDuration, SLIDE_DURATION_COUNT> SlideDurationTable;

// Column ids of the list view, which also index "Column Widths".
constexpr uint32_t COLUMN_LOCATION = 0;
constexpr uint32_t COLUMN_NAME = 1;
constexpr uint32_t COLUMN_CATEGORY = 2;
constexpr uint32_t COLUMN_SIZE = 3;
constexpr uint32_t COLUMN_DIMENSIONS = 4;
constexpr uint32_t COLUMN_DATE = 5;
constexpr uint32_t COLUMN_NOTE = 6;
constexpr size_t COLUMN_COUNT = 7;
using ColumnWidths = std::array<uint16_t, COLUMN_COUNT>;
constexpr ColumnWidths DEFAULT_COLUMN_WIDTHS = {45, 100, 45, 35, 45, 50, 20};

// "Slide Duration": an index into SlideDurationTable (default 2, "5 Seconds").
uint16_t GetSlideDuration();
void SetSlideDuration(uint16_t index);
// "Slide Show Random Order" (default off).
bool GetSlideShowRandomOrder();
void SetSlideShowRandomOrder(bool on);
// "Slide Show Auto-Run" (default off).
bool GetSlideShowAutoRun();
void SetSlideShowAutoRun(bool on);
// "Browser View": VIEW_LIST, VIEW_THUMBNAIL (default), VIEW_GALLERY or
// VIEW_DETAIL.
uint16_t GetBrowserView();
void SetBrowserView(uint16_t mode);
// "Sort Column": a column id (default COLUMN_NAME).
uint8_t GetSortColumn();
void SetSortColumn(uint8_t columnId);
// "Sort Ascending" (default on).
bool GetSortAscending();
void SetSortAscending(bool on);
// "Show Columns": a bit per column id (default 14: Name, Category, Size).
// The Name column is always shown whatever its bit.
bool GetShowColumn(uint32_t columnId);
// Sets or clears one bit, keeping every other bit of the stored mask.
void SetShowColumn(uint32_t columnId, bool show);
// "Column Widths": seven 16-bit little-endian widths in 14 bytes; the
// defaults when the value is missing or of another length.
ColumnWidths GetColumnWidths();
void SetColumnWidths(const ColumnWidths& widths);
// "Auto-rotate" (default on).
bool GetAutoRotate();
void SetAutoRotate(bool on);
// "Use as default viewer" (default off).
bool GetUseAsDefaultViewer();
void SetUseAsDefaultViewer(bool on);
// "Show Private" (default on).
bool GetShowPrivate();
void SetShowPrivate(bool on);
// "Image Heuristics": the password guarding private images; empty = none.
std::u16string GetPrivatePassword();
void SetPrivatePassword(const std::u16string& password);
// "Last Viewed Location": the location filter's folder; empty = all.
std::u16string GetLastViewedLocation();
void SetLastViewedLocation(const std::u16string& path);
// "Last Viewed Category": the category filter's id, eight bytes; the given
// default when missing or of another length.
RecordId GetLastViewedCategory(const RecordId& defaultId = CATEGORY_ID_ALL);
void SetLastViewedCategory(const RecordId& id);
