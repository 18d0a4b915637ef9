#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>

#include "imaging/JpegHeader.h"
#include "platform/base/File.h"
#include "platform/base/Time.h"
#include "tests/support/TestSupport.h"

namespace {

uint32_t DateOf(const char* text) {
    ImageHeaderInfo info = {};
    std::memcpy(info.dateText, text, std::min(std::strlen(text), sizeof info.dateText - 1));
    return HeaderDate(info);
}

// The moment as the host's local time zone (TZ) sees it, counted the way
// the catalogue counts: seconds since 1904 in local time.
uint32_t LocalSeconds1904(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm = {};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return Seconds1904FromFileTime(FileTimeFromUnix(std::mktime(&tm)));
}

}  // namespace

TEST(JpegHeaderDate, ConvertsTheExifTextAsLocalTime) {
    EXPECT_EQ(DateOf("2003:07:14 09:05:30"), LocalSeconds1904(2003, 7, 14, 9, 5, 30));
    EXPECT_EQ(DateOf("2021:01:31 23:59:59"), LocalSeconds1904(2021, 1, 31, 23, 59, 59));
    // Counted by hand: 36 584 days from 1904-01-01 to 2004-02-29.
    EXPECT_EQ(DateOf("2004:02:29 00:00:01"), 36584u * 86400u + 1u);
}

TEST(JpegHeaderDate, MissingOrImpossibleDatesGiveZero) {
    const char* texts[] = {
        "",
        "2003:00:14 09:05:30",  // month digits both zero
        "0000:07:14 09:05:30",
        "2003:07:00 09:05:30",
        "0000:00:00 00:00:00",
        "    :  :     :  :  ",  // the EXIF form of an unknown date
        "2003:13:14 09:05:30",
        "2003:07:14",           // no time of day
        "1903:12:31 23:59:59",  // before the catalogue's time base
    };
    for (const char* text : texts) EXPECT_EQ(DateOf(text), 0u) << '"' << text << '"';
}

TEST(JpegHeaderDate, FixtureDateIsTheLocalMoment) {
    File file;
    ASSERT_EQ(file.OpenHost(FixturePath("jpeg/exif_date.jpg"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0u);
    ImageHeaderInfo info;
    ASSERT_EQ(ReadImageHeaderInfo(file, info), 0);
    EXPECT_EQ(HeaderDate(info), LocalSeconds1904(2003, 7, 14, 9, 5, 30));
}
