#include "catalogue/DateText.h"

#include <langinfo.h>
#include <locale.h>

#include <ctime>
#include <string>

#include "platform/base/Text.h"
#include "platform/base/Time.h"

namespace {

// The LC_TIME locale of the environment, falling back to "C"; freed by the
// destructor.
class TimeLocale {
public:
    TimeLocale() {
        m_locale = newlocale(LC_TIME_MASK, "", locale_t(0));
        if (!m_locale) m_locale = newlocale(LC_TIME_MASK, "C", locale_t(0));
    }
    ~TimeLocale() {
        if (m_locale) freelocale(m_locale);
    }
    TimeLocale(const TimeLocale&) = delete;
    TimeLocale& operator=(const TimeLocale&) = delete;
    locale_t Get() const { return m_locale; }

private:
    locale_t m_locale = locale_t(0);
};

std::tm LocalTm(Seconds1904 time) {
    const SystemTime st = FileTimeToSystemTime(LocalFileTimeFromSeconds1904(time));
    std::tm tm{};
    tm.tm_year = st.year - 1900;
    tm.tm_mon = st.month - 1;
    tm.tm_mday = st.day;
    tm.tm_hour = st.hour;
    tm.tm_min = st.minute;
    tm.tm_sec = st.second;
    tm.tm_wday = st.dayOfWeek;
    tm.tm_isdst = -1;
    return tm;
}

std::u16string Format(const std::string& format, Seconds1904 time, locale_t locale) {
    if (time == 0 || format.empty() || !locale) return {};
    const std::tm tm = LocalTm(time);
    char buffer[128];
    const size_t n = strftime_l(buffer, sizeof buffer, format.c_str(), &tm, locale);
    return Utf8ToUtf16(std::string_view(buffer, n));
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// The locale's time format with the seconds field and the separator before
// it removed ("%H:%M:%S" -> "%H:%M", "%I:%M:%S %p" -> "%I:%M %p").
std::string TimeFormatWithoutSeconds(locale_t locale) {
    std::string format = nl_langinfo_l(T_FMT, locale);
    if (format.find("%r") != std::string::npos) ReplaceAll(format, "%r", nl_langinfo_l(T_FMT_AMPM, locale));
    ReplaceAll(format, "%T", "%H:%M:%S");
    const size_t seconds = format.find("%S");
    if (seconds != std::string::npos) {
        const size_t from = seconds > 0 && format[seconds - 1] != '%' && format[seconds - 1] != 'M'
                                ? seconds - 1
                                : seconds;
        format.erase(from, seconds + 2 - from);
    }
    return format.empty() ? std::string("%H:%M") : format;
}

}  // namespace

std::u16string ShortDateText(Seconds1904 time) {
    TimeLocale locale;
    return Format("%x", time, locale.Get());
}

std::u16string ShortTimeText(Seconds1904 time) {
    TimeLocale locale;
    return Format(TimeFormatWithoutSeconds(locale.Get()), time, locale.Get());
}
