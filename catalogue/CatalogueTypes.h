#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

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

// Big-endian helpers for the stored formats.
inline uint16_t ReadBE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
inline uint32_t ReadBE32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
inline void WriteBE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}
inline void WriteBE32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}
