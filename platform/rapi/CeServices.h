#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rapi/Rapi.h"

// The partnership calls of the desktop connection components, over the
// desktop hive: each partnership is a key
// Software\Microsoft\Windows CE Services\Partners\P<n> holding "PId" (the
// profile identifier), "DisplayName", "DeviceType" and "DeviceFolder" (the
// host folder of the partnership's device).

using HCESVC = void*;
constexpr unsigned CESVC_DEVICEX = 3;  // one partnership's key; path = profile id

// Profiles in key order; ERROR_NO_MORE_ITEMS after the last. A partnership
// key without a usable "PId" gives the profile 0xFFFFFFFF.
HRESULT CeSvcEnumProfiles(DWORD* context, DWORD index, DWORD* profile);
// For CESVC_DEVICEX the path argument carries the profile identifier.
HRESULT CeSvcOpen(unsigned service, const char* path, BOOL create, HCESVC* handle);
// Copies the text value, cut to fit and NUL-terminated.
HRESULT CeSvcGetString(HCESVC handle, const char* name, char* buffer, DWORD size);
HRESULT CeSvcClose(HCESVC handle);

struct CeSvcPartnership {
    std::string key;  // "P1", "P2" ...
    DWORD profile = 0xFFFFFFFFu;
    std::string displayName;
    std::string deviceType;
    std::string deviceFolder;
    std::string desktopFolder;  // "DesktopFolder": the host's folder for it, "" until chosen
};
std::vector<CeSvcPartnership> CeSvcListPartnerships();

// Adds a partnership under the next free P<n> with a new profile identifier
// and writes that identity into the device folder.
uint32_t CeSvcAddPartnership(const std::string& displayName, const std::string& deviceType,
                             const std::string& deviceFolder, DWORD& profile);
// Removes the partnership of the profile (ERROR_FILE_NOT_FOUND when there
// is none); its device folder and desktop folder are left as they are.
uint32_t CeSvcRemovePartnership(DWORD profile);
// Records the desktop folder the host synchronises the profile with.
uint32_t CeSvcSetDesktopFolder(DWORD profile, const std::string& folder);

