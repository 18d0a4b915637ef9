#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base/ByteOrder.h"

// Seconds since 1904-01-01 00:00:00 local time; 0 = not known. Big-endian
// wherever it is stored.
using Seconds1904 = uint32_t;

// Eight opaque bytes naming a category or an image; compared bytewise.
using RecordId = std::array<uint8_t, 8>;

constexpr RecordId CATEGORY_ID_UNFILED = {0, 0, 0, 0, 0, 0, 0, 0};
// A filter value meaning any category; never stored in an image.
constexpr RecordId CATEGORY_ID_ALL = {0, 0, 0, 0, 0, 0, 0xFF, 0xFF};

// Bytes 0-1: a word fixed for the life of the process; bytes 2-3: two draws
// of the 16-bit generator; bytes 4-7: the current time as Seconds1904.
RecordId NewRecordId();

// The 16-bit pseudo-random generator behind NewRecordId: a shift-register
// step whose state is also the value returned.
uint16_t NextRandom16(uint16_t state);
// Forgets the process word and seed (tests start from a clean process).
void ResetRecordIdGenerator();

// Joins two handheld path parts with exactly one backslash between them
// unless either part is empty or already supplies it.
std::u16string JoinPath(std::u16string_view left, std::u16string_view right);

