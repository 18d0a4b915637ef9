#include "imaging/JpegHeader.h"

#include <cstring>
#include <memory>
#include <new>

#include "imaging/JpegDecoder.h"
#include "platform/base/Time.h"
#include "platform/base/WinError.h"

namespace {

int HeaderInfoAfterOpen(const JpegDecoder& decoder, int openResult, ImageHeaderInfo& info) {
    if (openResult == JPEG_ERR_EMPTY_FILE) return openResult;
    info.coding = decoder.m_coding;
    return decoder.GetHeaderInfo(info);
}

// Digits at the given positions of "YYYY:MM:DD HH:MM:SS"; any character
// counts as its distance from '0', as the text is not checked beforehand.
int Digits(const char* text, int first, int count) {
    int value = 0;
    for (int i = first; i < first + count; ++i) value = value * 10 + (text[i] - '0');
    return value;
}

}  // namespace

int ReadImageHeaderInfo(File& file, ImageHeaderInfo& info) {
    std::memset(&info, 0, sizeof info);
    std::unique_ptr<JpegDecoder> decoder(new (std::nothrow) JpegDecoder());
    if (!decoder) return int(ERROR_NOT_ENOUGH_MEMORY);
    return HeaderInfoAfterOpen(*decoder, decoder->Open(file), info);
}

int ReadImageHeaderInfo(const uint8_t* data, size_t size, ImageHeaderInfo& info) {
    std::memset(&info, 0, sizeof info);
    std::unique_ptr<JpegDecoder> decoder(new (std::nothrow) JpegDecoder());
    if (!decoder) return int(ERROR_NOT_ENOUGH_MEMORY);
    return HeaderInfoAfterOpen(*decoder, decoder->OpenMemory(data, size), info);
}

uint32_t HeaderDate(const ImageHeaderInfo& info) {
    const char* text = info.dateText;
    if (text[0] == 0) return 0;
    int year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    int hour = Digits(text, 11, 2), minute = Digits(text, 14, 2), second = Digits(text, 17, 2);
    if (year == 0 || month == 0 || day == 0) return 0;
    // A short or damaged text gives fields out of range, which the calendar
    // conversion refuses.
    for (int field : {year, month, day, hour, minute, second}) {
        if (field < 0 || field > 0xFFFF) return 0;
    }
    SystemTime st;
    st.year = static_cast<uint16_t>(year);
    st.month = static_cast<uint16_t>(month);
    st.day = static_cast<uint16_t>(day);
    st.hour = static_cast<uint16_t>(hour);
    st.minute = static_cast<uint16_t>(minute);
    st.second = static_cast<uint16_t>(second);
    FileTime local = 0;
    if (!SystemTimeToFileTime(st, local)) return 0;
    return Seconds1904FromLocalFileTime(local);
}
