#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/base/Text.h"
#include "platform/base/Time.h"
#include "tests/support/TestSupport.h"

TEST(TextTest, Utf8AndUtf16RoundTrip) {
    const std::string text = "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB7";  // Café € 📷
    const std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ(u"Caf\u00E9 \u20AC \U0001F4F7", wide);
    EXPECT_EQ(text, Utf16ToUtf8(wide));
    EXPECT_EQ(u"a\uFFFDb", Utf8ToUtf16("a\xFF" "b"));
    EXPECT_EQ(u"\uFFFD", Utf8ToUtf16("\xE2\x82"));  // cut short
    EXPECT_EQ(u"\uFFFDz", Utf8ToUtf16("\xE2\x82z"));
    EXPECT_EQ("\xEF\xBF\xBD", Utf16ToUtf8(std::u16string(1, char16_t(0xD800))));
}

TEST(TextTest, Windows1252Conversion) {
    const struct {
        std::u16string wide;
        std::string ansi;
    } cases[] = {
        {u"plain", "plain"},
        {u"\u00E9t\u00E9", "\xE9t\xE9"},
        {u"\u20AC\u2026\u0178", "\x80\x85\x9F"},
        {u"\u4E2D", "?"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.ansi, Utf16ToAnsi(c.wide));
        if (c.ansi != "?") {
            EXPECT_EQ(c.wide, AnsiToUtf16(c.ansi));
        }
    }
    EXPECT_EQ(std::u16string(1, char16_t(0x81)), AnsiToUtf16("\x81"));  // unassigned byte
}

TEST(TextTest, CaseInsensitiveComparisons) {
    EXPECT_EQ(0, CompareNoCase(u"\\My Documents\\A.JPG", u"\\my documents\\a.jpg"));
    EXPECT_EQ(0, CompareNoCase(u"\u00C9T\u00C9", u"\u00E9t\u00E9"));
    EXPECT_LT(CompareNoCase(u"apple", u"Banana"), 0);
    EXPECT_LT(CompareNoCase(u"ab", u"abc"), 0);
    EXPECT_TRUE(StartsWithNoCase(u"\\My Documents\\Kestrelview", u"\\my doc"));
    EXPECT_FALSE(StartsWithNoCase(u"\\My", u"\\my doc"));
    EXPECT_EQ(0, StrICmpAnsi("Beach", "bEACH"));
    EXPECT_LT(StrICmpAnsi("Art", "beach"), 0);
    EXPECT_GT(StrICmpAnsi("zoo", "beach"), 0);
    EXPECT_LT(StrICmpAnsi("be", "beach"), 0);
    // _stricmp folds ASCII only; accented letters compare by byte value.
    EXPECT_NE(0, StrICmpAnsi("\xC9", "\xE9"));
}

namespace {
FileTime Make(uint16_t y, uint16_t mo, uint16_t d, uint16_t h, uint16_t mi, uint16_t s) {
    SystemTime st;
    st.year = y, st.month = mo, st.day = d, st.hour = h, st.minute = mi, st.second = s;
    FileTime t = 0;
    EXPECT_TRUE(SystemTimeToFileTime(st, t));
    return t;
}
}  // namespace

TEST(TimeTest, CalendarConversions) {
    EXPECT_EQ(kFileTimeUnixEpoch, Make(1970, 1, 1, 0, 0, 0));
    EXPECT_EQ(kFileTime1904, Make(1904, 1, 1, 0, 0, 0));
    const SystemTime st = FileTimeToSystemTime(Make(2003, 12, 10, 1, 50, 34));
    EXPECT_EQ(2003, st.year);
    EXPECT_EQ(12, st.month);
    EXPECT_EQ(10, st.day);
    EXPECT_EQ(3, st.dayOfWeek);  // a Wednesday
    EXPECT_EQ(1, st.hour);
    EXPECT_EQ(50, st.minute);
    EXPECT_EQ(34, st.second);
    SystemTime bad;
    bad.year = 2003, bad.month = 2, bad.day = 29;
    FileTime t = 0;
    EXPECT_FALSE(SystemTimeToFileTime(bad, t));
    bad.year = 2004;
    EXPECT_TRUE(SystemTimeToFileTime(bad, t));
}

TEST(TimeTest, Seconds1904FollowsLocalTime) {
    // Berlin: one hour ahead of UTC in winter, two in summer.
    const ScopedTimeZone berlin("Europe/Berlin");
    const FileTime winterUtc = Make(2003, 12, 10, 0, 50, 34);
    const FileTime summerUtc = Make(2003, 7, 14, 7, 5, 30);
    const uint32_t winterLocal = Seconds1904FromLocalFileTime(Make(2003, 12, 10, 1, 50, 34));
    EXPECT_EQ(winterLocal, Seconds1904FromFileTime(winterUtc));
    EXPECT_EQ(Seconds1904FromLocalFileTime(Make(2003, 7, 14, 9, 5, 30)), Seconds1904FromFileTime(summerUtc));
    EXPECT_EQ(winterUtc, LocalFileTimeToFileTime(LocalFileTimeFromSeconds1904(winterLocal)));
    EXPECT_EQ(0u, Seconds1904FromRawFileTime(kFileTime1904 - 1));
    EXPECT_EQ(86400u, Seconds1904FromRawFileTime(Make(1904, 1, 2, 0, 0, 0)));
    EXPECT_EQ(0u, Seconds1904FromRawFileTime(Make(2050, 1, 1, 0, 0, 0)));  // past 2040
}

TEST(TimeTest, TickCountSourceCanBeReplaced) {
    uint32_t now = 41;
    SetTickCountSource([&] { return now; });
    EXPECT_EQ(41u, GetTickCount());
    now = 0xFFFFFFFFu;
    EXPECT_EQ(0xFFFFFFFFu, GetTickCount());
    SetTickCountSource({});
    const uint32_t before = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const uint32_t elapsed = GetTickCount() - before;
    EXPECT_GE(elapsed, 20u);
    EXPECT_LT(elapsed, 60000u);
}
