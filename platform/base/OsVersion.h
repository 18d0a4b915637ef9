#pragma once

// The version the layer reports for the handheld system. Screens that
// draw differently on one version ask for it.
struct OsVersion {
    int major = 4;
    int minor = 20;
};

constexpr OsVersion GetOsVersion() { return {}; }
