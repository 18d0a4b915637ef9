#pragma once
#include <cstdint>
#include <functional>

// FileTime: 100-nanosecond intervals since 1601-01-01 00:00:00 (UTC for
// system file times, local for "local file times"), as on the handheld.
using FileTime = uint64_t;

struct SystemTime {
    uint16_t year = 0;
    uint16_t month = 0;      // 1..12
    uint16_t dayOfWeek = 0;  // 0 = Sunday
    uint16_t day = 0;        // 1..31
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

constexpr FileTime kFileTimeTicksPerSecond = 10000000ULL;
// 1970-01-01 and 1904-01-01 as FileTime.
constexpr FileTime kFileTimeUnixEpoch = 116444736000000000ULL;
constexpr FileTime kFileTime1904 = 95616288000000000ULL;

FileTime FileTimeFromUnix(int64_t seconds, int64_t nanoseconds = 0);
int64_t UnixSecondsFromFileTime(FileTime t);

// Calendar conversions with no time zone involved. SystemTimeToFileTime
// refuses fields out of range (month 13, day 32, hour 24 ...).
bool SystemTimeToFileTime(const SystemTime& st, FileTime& out);
SystemTime FileTimeToSystemTime(FileTime t);

// Time-zone conversions follow the host's local time zone (TZ).
FileTime FileTimeToLocalFileTime(FileTime utc);
FileTime LocalFileTimeToFileTime(FileTime local);

FileTime GetSystemTimeAsFileTime();  // now, UTC
SystemTime GetLocalTime();           // now, local

// Seconds1904: seconds since 1904-01-01 00:00:00 local time; 0 = unknown.
// Times outside the 32-bit range give 0.
uint32_t Seconds1904FromLocalFileTime(FileTime local);
uint32_t Seconds1904FromFileTime(FileTime utc);  // converts to local first
FileTime LocalFileTimeFromSeconds1904(uint32_t seconds);
uint32_t Seconds1904Now();
// Seconds since 1904 counted on a file time as the file system reports it,
// with no conversion to local time.
uint32_t Seconds1904FromRawFileTime(FileTime t);
FileTime RawFileTimeFromSeconds1904(uint32_t seconds);

// Milliseconds since an arbitrary start, wrapping at 2^32. Tests replace the
// source to make time stand still or jump.
uint32_t GetTickCount();
void SetTickCountSource(std::function<uint32_t()> source);  // empty = real clock
