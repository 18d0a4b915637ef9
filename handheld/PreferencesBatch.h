#pragma once
#include "handheld/Preferences.h"
#include "handheld/RegistryBatch.h"

// The preference setters called while it lives are written together at
// Commit, in one save of the preferences (see CRegistryBatch).
class CPreferencesBatch : public CRegistryBatch {
public:
    CPreferencesBatch() : CRegistryBatch(HKEY_CURRENT_USER, PreferencesKeyPath()) {}
};
