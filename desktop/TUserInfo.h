#pragma once
#include <cstddef>
#include <cstdint>

// A partnership as the host shows it; the host declares the record, the
// library fills these fields.
struct TUserInfo {
    char displayName[200];  // "DisplayName", at most 127 characters
    char userId[200];       // the profile identifier as decimal text
    int32_t profileId;
    int32_t screenWidth;
    int32_t screenHeight;
    int32_t colorDepth;
};

static_assert(offsetof(TUserInfo, displayName) == 0);
static_assert(offsetof(TUserInfo, userId) == 200);
static_assert(offsetof(TUserInfo, profileId) == 400);
static_assert(offsetof(TUserInfo, screenWidth) == 404);
static_assert(offsetof(TUserInfo, screenHeight) == 408);
static_assert(offsetof(TUserInfo, colorDepth) == 412);
