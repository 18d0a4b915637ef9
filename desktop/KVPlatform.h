#pragma once
#include "desktop/TUserInfo.h"

// The eight exports of libKVPlatform.so. They keep C++ linkage: the host
// binds them by their mangled names, so these signatures are the contract.
int InitializePlatform(char const* applicationName);
void ReleasePlatform(void);
int GetPlatform(void);
void GetPlatformKestrelviewRootDir(char const* first, char const* second, char const* third,
                                   char* output);
int EnumeratePlatformUsers(int index, char const* ignored, TUserInfo& user);
void UpdateUserDeviceSpecs(char const* ignored, TUserInfo& user);
bool IsPlatformUserActive(char const* ignored1, char const* ignored2, unsigned long profile);
long PlatformSyncFiles(char const* brand, int mode, char const* desktopFolder,
                       long (*progress)(char*));

// Not one of the eight: the result of the last PlatformSyncFiles before a
// cancellation (ERR_SYNC_CANCELLED) or a full disk (112) was counted as 0,
// so that a host can tell a finished run from one that stopped.
long PlatformLastSyncOutcome(void);

// Size of the buffer GetPlatformKestrelviewRootDir writes (NUL included).
constexpr unsigned kRootDirSize = 260;
