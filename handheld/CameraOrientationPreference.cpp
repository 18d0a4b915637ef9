#include "handheld/CameraOrientationPreference.h"

#include "handheld/Preferences.h"
#include "handheld/RegistryKey.h"

namespace {
constexpr char16_t kName[] = u"Follow camera orientation";
}

bool GetFollowCameraOrientation() {
    return ReadRegistryDWORD(HKEY_CURRENT_USER, PreferencesKeyPath(), kName, 0) != 0;
}

void SetFollowCameraOrientation(bool on) {
    WriteRegistryDWORD(HKEY_CURRENT_USER, PreferencesKeyPath(), kName, on ? 1 : 0);
}
