#pragma once
#include <cstdint>

// The browser's modes. The four browsing modes are stored in the "Browser
// View" preference, so the numbers are fixed.
constexpr uint32_t VIEW_SINGLE = 1000;
constexpr uint32_t VIEW_LIST = 1003;
constexpr uint32_t VIEW_THUMBNAIL = 1004;
constexpr uint32_t VIEW_GALLERY = 1005;
constexpr uint32_t VIEW_DETAIL = 1006;
