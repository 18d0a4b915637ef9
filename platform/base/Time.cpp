#include "platform/base/Time.h"

#include <chrono>
#include <ctime>
#include <mutex>

namespace {
constexpr int64_t kSecondsPerDay = 86400;

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool IsLeap(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(unsigned y, unsigned m) {
    static const unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Offset of local time from UTC, in seconds, at the given UTC moment.
int64_t LocalOffsetAtUtc(int64_t unixSeconds) {
    const time_t t = static_cast<time_t>(unixSeconds);
    struct tm local{};
    if (!localtime_r(&t, &local)) return 0;
    return local.tm_gmtoff;
}

std::mutex g_tickMutex;
std::function<uint32_t()> g_tickSource;
}  // namespace

FileTime FileTimeFromUnix(int64_t seconds, int64_t nanoseconds) {
    return static_cast<FileTime>(static_cast<int64_t>(kFileTimeUnixEpoch) +
                                 seconds * static_cast<int64_t>(kFileTimeTicksPerSecond) +
                                 nanoseconds / 100);
}

int64_t UnixSecondsFromFileTime(FileTime t) {
    return (static_cast<int64_t>(t) - static_cast<int64_t>(kFileTimeUnixEpoch)) /
           static_cast<int64_t>(kFileTimeTicksPerSecond);
}

bool SystemTimeToFileTime(const SystemTime& st, FileTime& out) {
    if (st.year < 1601 || st.year > 30827 || st.month < 1 || st.month > 12 || st.day < 1 ||
        st.day > DaysInMonth(st.year, st.month) || st.hour > 23 || st.minute > 59 ||
        st.second > 59 || st.milliseconds > 999) {
        return false;
    }
    const int64_t days = DaysFromCivil(st.year, st.month, st.day);
    const int64_t seconds = days * kSecondsPerDay + st.hour * 3600 + st.minute * 60 + st.second;
    out = FileTimeFromUnix(seconds, int64_t(st.milliseconds) * 1000000);
    return true;
}

SystemTime FileTimeToSystemTime(FileTime t) {
    const int64_t ticks = static_cast<int64_t>(t) - static_cast<int64_t>(kFileTimeUnixEpoch);
    const int64_t perSecond = static_cast<int64_t>(kFileTimeTicksPerSecond);
    int64_t seconds = ticks / perSecond;
    int64_t rest = ticks % perSecond;
    if (rest < 0) {
        rest += perSecond;
        --seconds;
    }
    int64_t days = seconds / kSecondsPerDay;
    int64_t secOfDay = seconds % kSecondsPerDay;
    if (secOfDay < 0) {
        secOfDay += kSecondsPerDay;
        --days;
    }
    // Civil date from days since 1970-01-01.
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    SystemTime st;
    st.year = static_cast<uint16_t>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
    st.month = static_cast<uint16_t>(m);
    st.day = static_cast<uint16_t>(d);
    st.dayOfWeek = static_cast<uint16_t>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    st.hour = static_cast<uint16_t>(secOfDay / 3600);
    st.minute = static_cast<uint16_t>(secOfDay / 60 % 60);
    st.second = static_cast<uint16_t>(secOfDay % 60);
    st.milliseconds = static_cast<uint16_t>(rest / 10000);
    return st;
}

FileTime FileTimeToLocalFileTime(FileTime utc) {
    const int64_t offset = LocalOffsetAtUtc(UnixSecondsFromFileTime(utc));
    return static_cast<FileTime>(static_cast<int64_t>(utc) +
                                 offset * static_cast<int64_t>(kFileTimeTicksPerSecond));
}

FileTime LocalFileTimeToFileTime(FileTime local) {
    // The offset that applies is the one at the UTC moment; try the offset of
    // the local reading first and correct once across a change of offset.
    const int64_t localSeconds = UnixSecondsFromFileTime(local);
    int64_t offset = LocalOffsetAtUtc(localSeconds);
    const int64_t second = LocalOffsetAtUtc(localSeconds - offset);
    if (second != offset) offset = second;
    return static_cast<FileTime>(static_cast<int64_t>(local) -
                                 offset * static_cast<int64_t>(kFileTimeTicksPerSecond));
}

FileTime GetSystemTimeAsFileTime() {
    struct timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return FileTimeFromUnix(ts.tv_sec, ts.tv_nsec);
}

SystemTime GetLocalTime() { return FileTimeToSystemTime(FileTimeToLocalFileTime(GetSystemTimeAsFileTime())); }

uint32_t Seconds1904FromLocalFileTime(FileTime local) { return Seconds1904FromRawFileTime(local); }

uint32_t Seconds1904FromFileTime(FileTime utc) {
    return Seconds1904FromLocalFileTime(FileTimeToLocalFileTime(utc));
}

FileTime LocalFileTimeFromSeconds1904(uint32_t seconds) { return RawFileTimeFromSeconds1904(seconds); }

uint32_t Seconds1904Now() { return Seconds1904FromFileTime(GetSystemTimeAsFileTime()); }

uint32_t Seconds1904FromRawFileTime(FileTime t) {
    if (t < kFileTime1904) return 0;
    const uint64_t seconds = (t - kFileTime1904) / kFileTimeTicksPerSecond;
    return seconds > 0xFFFFFFFFull ? 0 : static_cast<uint32_t>(seconds);
}

FileTime RawFileTimeFromSeconds1904(uint32_t seconds) {
    return kFileTime1904 + uint64_t(seconds) * kFileTimeTicksPerSecond;
}

uint32_t GetTickCount() {
    {
        std::lock_guard<std::mutex> lock(g_tickMutex);
        if (g_tickSource) return g_tickSource();
    }
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void SetTickCountSource(std::function<uint32_t()> source) {
    std::lock_guard<std::mutex> lock(g_tickMutex);
    g_tickSource = std::move(source);
}
