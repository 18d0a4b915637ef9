#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Values shared by the parts of the desktop synchronisation library.

using SyncProgressCallback = long (*)(char*);

// Modes as the engine sees them (the low 16 bits of SyncRequest::mode).
constexpr uint16_t SYNC_MERGE = 0;
constexpr uint16_t SYNC_HANDHELD_OVERWRITES_DESKTOP = 2;
constexpr uint16_t SYNC_DESKTOP_OVERWRITES_HANDHELD = 3;

constexpr int32_t ERR_SYNC_CANCELLED = -20000;
constexpr int32_t ERR_DESKTOP_CATEGORIES_OUT_OF_DATE = -10101;
constexpr int32_t ERR_HANDHELD_CATEGORIES_OUT_OF_DATE = -10102;
constexpr int32_t ERR_LISTING_FAILED = -1;
// A location left alone because its handheld folder could not be listed
// or vanished; the run goes on with the others and ends with
// ERR_LISTING_FAILED.
constexpr int32_t ERR_LOCATION_SKIPPED = -10103;

constexpr size_t kSyncFolderSize = 768;
constexpr size_t kBrandNameSize = 40;

struct SyncRequest {
    uint32_t mode = SYNC_MERGE;
    char desktopFolder[kSyncFolderSize] = {};
};

// Joins two desktop path parts with one '/' unless either part is empty or
// already supplies a separator ('/' or '\').
std::string JoinDesktopPath(std::string_view left, std::string_view right);
// Joins two handheld path parts with one '\' under the same rule.
std::u16string JoinHandheldPath(std::u16string_view left, std::u16string_view right);
