#include "imaging/JpegDecoder.h"

#include <cstring>
#include <new>

#include "imaging/JpegExifReader.h"
#include "imaging/JpegHeader.h"
#include "platform/base/File.h"
#include "platform/base/WinError.h"

const uint8_t kJpegZigZag[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

namespace {

// Marker codes (ITU-T T.81 table B.1).
constexpr int SOF0 = 0xC0, SOF1 = 0xC1, SOF2 = 0xC2, SOF9 = 0xC9, SOF10 = 0xCA;
constexpr int DHT = 0xC4, DAC = 0xCC, JPG = 0xC8, TEM = 0x01;
constexpr int RST0 = 0xD0, RST7 = 0xD7, SOI = 0xD8, EOI = 0xD9, SOS = 0xDA;
constexpr int DQT = 0xDB, DRI = 0xDD, APP0 = 0xE0, APP1 = 0xE1, APP14 = 0xEE;

// The start of image must lie within this many bytes of the stream's start.
constexpr int kSoiSearchBytes = 513;
constexpr uint8_t kExifSignature[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint8_t kJfifSignature[5] = {'J', 'F', 'I', 'F', 0};
constexpr uint8_t kAdobeSignature[5] = {'A', 'd', 'o', 'b', 'e'};
constexpr int kMaxScans = kJpegMaxScans;

bool IsRestartMarker(int code) { return code >= RST0 && code <= RST7; }

bool IsFrameMarker(int code) {
    return code >= 0xC0 && code <= 0xCF && code != DHT && code != JPG && code != DAC;
}

}  // namespace

const char* JpegCodingName(uint8_t coding) {
    static const char* const names[] = {nullptr, "baseline", "extended", "progressive", "arithmetic",
                                        "arithmetic-progressive"};
    return coding < sizeof names / sizeof names[0] ? names[coding] : nullptr;
}

JpegDecoder::JpegDecoder() { Reset(); }

JpegDecoder::~JpegDecoder() = default;

int JpegDecoder::Open(File& file) {
    uint64_t size = 0;
    if (file.GetSize(size) == 0 && size == 0) {
        m_error = JPEG_ERR_EMPTY_FILE;
        return m_error;
    }
    file.Seek(0, FILE_BEGIN);
    return OpenSource(std::unique_ptr<JpegSource>(new (std::nothrow) JpegSource(file)));
}

int JpegDecoder::OpenMemory(const uint8_t* data, size_t size) {
    if (size == 0) {
        m_error = JPEG_ERR_EMPTY_FILE;
        return m_error;
    }
    return OpenSource(std::unique_ptr<JpegSource>(new (std::nothrow) JpegSource(data, size)));
}

int JpegDecoder::OpenSource(std::unique_ptr<JpegSource> source) {
    if (!source) {
        m_error = int16_t(ERROR_NOT_ENOUGH_MEMORY);
        return m_error;
    }
    m_source = std::move(source);
    m_ptr = m_source->Fill();
    m_end = m_source->End();
    Reset();
    ReadHeader();
    // The EXIF pointers point into the first chunk; once it has been
    // replaced they would point at other data. (The 8-bit chunk count would
    // miss a header 256 chunks long.)
    // The orientation is a value and stays.
    if (m_source->ChunksRead() > 1) {
        const uint8_t orientation = m_info.orientation;
        std::memset(&m_info, 0, sizeof m_info);
        m_info.orientation = orientation;
    }
    return m_error;
}

void JpegDecoder::Reset() {
    m_error = 0;
    std::memcpy(m_zigZag, kJpegZigZag, sizeof m_zigZag);
    std::memset(m_huff, 0, sizeof m_huff);
    std::memset(m_quant, 0, sizeof m_quant);
    std::memset(&m_frame, 0, sizeof m_frame);
    std::memset(&m_scan, 0, sizeof m_scan);
    std::memset(&m_layout, 0, sizeof m_layout);
    std::memset(&m_info, 0, sizeof m_info);
    m_restartInterval = 0;
    m_coding = JPEG_CODING_NONE;
    m_scansSeen = 0;
    m_sawJfif = m_sawAdobe = false;
    m_adobeTransform = 0;
    for (int i = 0; i < 4; ++i) {  // the defaults of T.81 F.1.4.4
        m_arith.dcLower[i] = 0;
        m_arith.dcUpper[i] = 1;
        m_arith.acKx[i] = 5;
    }
}

int JpegDecoder::GetHeaderInfo(ImageHeaderInfo& info) const {
    if (m_error) return m_error;
    info.width = m_frame.width;
    info.height = m_frame.height;
    info.hasEmbeddedThumbnail = HasEmbeddedThumbnail() ? 1 : 0;
    if (m_info.dateTimeOriginal) {
        size_t n = 0;
        while (n < m_info.dateTimeOriginalLength && m_info.dateTimeOriginal[n] != 0) {
            info.dateText[n] = static_cast<char>(m_info.dateTimeOriginal[n]);
            ++n;
        }
        info.dateText[n] = 0;
    }
    return m_frame.width + m_frame.height == 0 ? JPEG_HEADER_NO_DIMENSIONS : 0;
}

int JpegDecoder::GetImageInfo(JpegImageInfo& info) {
    m_info.width = m_frame.width;
    m_info.height = m_frame.height;
    m_info.mcuHeight = m_layout.mcuHeight;
    if (m_layout.mcuWidth && m_layout.mcuHeight) {
        m_info.paddedWidth = (uint32_t(m_frame.width) + m_layout.mcuWidth - 1) / m_layout.mcuWidth *
                             m_layout.mcuWidth;
        m_info.paddedHeight = (uint32_t(m_frame.height) + m_layout.mcuHeight - 1) /
                              m_layout.mcuHeight * m_layout.mcuHeight;
    }
    info = m_info;
    return m_error;
}

int JpegDecoder::StartDecoding(bool useEmbeddedThumbnail) {
    if (m_error) return m_error;
    if (useEmbeddedThumbnail && m_info.thumbnail) {
        const uint8_t* thumbnail = m_info.thumbnail;
        Reset();
        m_ptr = thumbnail;
        ReadHeader();
        if (m_error) return m_error;
    }
    SetUpOutput();
    if (m_error) return m_error;
    BuildColourTables();
    int marker = WalkMarkers();
    if (m_error) return m_error;
    if (marker != SOS) {
        SetError(JPEG_ERR_NO_SCAN);
        return m_error;
    }
    ParseScanHeader();
    LayOutMcu();
    if (m_error) return m_error;
    BuildHuffmanTables();
    return m_error;
}

// ---- Reading ------------------------------------------------------------

int JpegDecoder::ReadByte() {
    if (m_ptr >= m_end) {
        m_ptr = m_source->Fill();
        m_end = m_source->End();
        if (m_ptr >= m_end) return -1;
    }
    return *m_ptr++;
}

bool JpegDecoder::ReadBE16(uint16_t& value) {
    int high = ReadByte();
    int low = ReadByte();
    if (high < 0 || low < 0) return false;
    value = static_cast<uint16_t>(high << 8 | low);
    return true;
}

bool JpegDecoder::Skip(uint32_t count) {
    while (count > 0) {
        uint32_t held = static_cast<uint32_t>(m_end - m_ptr);
        if (held >= count) {
            m_ptr += count;
            return true;
        }
        count -= held;
        m_ptr = m_source->Fill();
        m_end = m_source->End();
        if (m_ptr >= m_end) return false;
    }
    return true;
}

// ---- Start of image and the marker walk ---------------------------------

void JpegDecoder::ReadHeader() {
    FindStartOfImage();
    if (m_error) return;
    int marker = WalkMarkers();
    if (m_error) return;
    switch (marker) {
    case SOF0: m_coding = JPEG_CODING_BASELINE; break;
    case SOF1: m_coding = JPEG_CODING_EXTENDED; break;
    case SOF2: m_coding = JPEG_CODING_PROGRESSIVE; break;
    case SOF9: m_coding = JPEG_CODING_ARITHMETIC; break;
    case SOF10: m_coding = JPEG_CODING_ARITHMETIC_PROGRESSIVE; break;
    default: return SetError(JPEG_ERR_FRAME_TYPE);
    }
    ParseFrameHeader();
}

void JpegDecoder::FindStartOfImage() {
    int previous = ReadByte();
    int current = ReadByte();
    if (previous == 0xFF && current == SOI) return;
    for (int read = 2; read < kSoiSearchBytes; ++read) {
        previous = current;
        current = ReadByte();
        if (current < 0) break;
        if (previous == 0xFF && current == SOI) {
            // Found by searching: accept it only when a marker follows.
            int next = ReadByte();
            if (next != 0xFF) break;
            --m_ptr;
            return;
        }
    }
    SetError(JPEG_ERR_NO_SOI);
}

// Returns the next marker code, or -1 when the data ends first.
int JpegDecoder::NextMarker() {
    for (;;) {
        int byte = ReadByte();
        while (byte >= 0 && byte != 0xFF) byte = ReadByte();
        while (byte == 0xFF) byte = ReadByte();
        if (byte != 0) return byte;
    }
}

// Handles table and skipped segments until a frame header, SOI, EOI or SOS
// marker, which it returns. Returns -1 when the data ends or an error is set.
// `code` is a marker already read, or -1 to find the first one.
int JpegDecoder::WalkMarkers(int code) {
    while (!m_error) {
        if (code < 0) code = NextMarker();
        if (code < 0) return -1;
        if (IsFrameMarker(code) || code == SOI || code == EOI || code == SOS) return code;
        if (code == DAC) {
            ParseArithConditioning();
        } else if (code == JPG || code == TEM || (code >= RST0 && code <= RST7)) {
            SetError(JPEG_ERR_NO_SCAN);
        } else if (code == DHT) {
            ParseHuffmanTables();
        } else if (code == DQT) {
            ParseQuantTables();
        } else if (code == DRI) {
            ParseRestartInterval();
        } else if (code == APP1) {
            ParseApp1();
        } else if (code == APP0) {
            ParseApp0();
        } else if (code == APP14) {
            ParseApp14();
        } else {
            SkipSegment();
        }
        code = -1;
    }
    return -1;
}

int JpegDecoder::SkipEntropyData() {
    for (;;) {
        int byte = ReadByte();
        while (byte >= 0 && byte != 0xFF) byte = ReadByte();
        while (byte == 0xFF) byte = ReadByte();
        if (byte < 0) return -1;
        if (byte != 0 && !IsRestartMarker(byte)) return byte;
    }
}

int JpegDecoder::NextScan(int code) {
    if (m_error) return m_error;
    if (++m_scansSeen >= kMaxScans) return 0;
    int marker = WalkMarkers(code);
    if (m_error == JPEG_ERR_TRUNCATED) {
        // The file ends inside a segment: what arrived is all there is.
        m_error = 0;
        return 0;
    }
    if (m_error) return m_error;
    if (marker != SOS) return 0;
    ParseScanHeader();
    if (m_error == JPEG_ERR_TRUNCATED) {
        m_error = 0;
        return 0;
    }
    return m_error ? m_error : 1;
}

// ---- Marker segments (T.81 B.2) ------------------------------------------

void JpegDecoder::ParseFrameHeader() {
    uint16_t length = 0, height = 0, width = 0;
    if (!ReadBE16(length)) return SetError(JPEG_ERR_TRUNCATED);
    int precision = ReadByte();
    if (precision < 0) return SetError(JPEG_ERR_TRUNCATED);
    if (precision != 8) return SetError(JPEG_ERR_PRECISION);
    if (!ReadBE16(height) || !ReadBE16(width)) return SetError(JPEG_ERR_TRUNCATED);
    int count = ReadByte();
    if (count < 0) return SetError(JPEG_ERR_TRUNCATED);
    if (count >= 5) return SetError(JPEG_ERR_FRAME_COMPONENTS);
    if (length != 8 + 3 * count) return SetError(JPEG_ERR_FRAME_LENGTH);
    m_frame.width = width;
    m_frame.height = height;
    m_frame.componentCount = static_cast<uint8_t>(count);
    for (int i = 0; i < count; ++i) {
        int id = ReadByte(), sampling = ReadByte(), table = ReadByte();
        if (id < 0 || sampling < 0 || table < 0) return SetError(JPEG_ERR_TRUNCATED);
        if (table > 3) return SetError(JPEG_ERR_TABLE_SELECTOR);
        JpegFrameComponent& c = m_frame.components[i];
        c.id = static_cast<uint8_t>(id);
        c.h = static_cast<uint8_t>(sampling >> 4);
        c.v = static_cast<uint8_t>(sampling & 0x0F);
        c.quantTable = static_cast<uint8_t>(table);
    }
    if ((width == 0) != (height == 0)) SetError(JPEG_ERR_ONE_DIMENSION_ZERO);
}

void JpegDecoder::ParseHuffmanTables() {
    uint16_t length = 0;
    if (!ReadBE16(length)) return SetError(JPEG_ERR_TRUNCATED);
    if (length < 2) return SetError(JPEG_ERR_HUFF_LENGTH);
    uint32_t left = length - 2u;
    while (left > 0) {
        uint8_t head[17];
        for (uint8_t& b : head) {
            int byte = ReadByte();
            if (byte < 0) return SetError(JPEG_ERR_TRUNCATED);
            b = static_cast<uint8_t>(byte);
        }
        uint32_t sum = 0;
        for (int i = 1; i <= 16; ++i) sum += head[i];
        if (sum > 255) return SetError(JPEG_ERR_HUFF_TOO_MANY_CODES);
        if (left < 17 + sum) return SetError(JPEG_ERR_HUFF_LENGTH);
        int slot = (head[0] & 0x0F) + ((head[0] & 0x10) ? 4 : 0);
        if (slot >= 8) return SetError(JPEG_ERR_HUFF_SLOT);
        HuffSlot& table = m_huff[slot];
        std::memset(&table, 0, sizeof table);
        std::memcpy(table.bits + 1, head + 1, 16);
        for (uint32_t i = 0; i < sum; ++i) {
            int byte = ReadByte();
            if (byte < 0) return SetError(JPEG_ERR_TRUNCATED);
            table.huffval[i] = static_cast<uint8_t>(byte);
        }
        left -= 17 + sum;
    }
}

void JpegDecoder::ParseQuantTables() {
    uint16_t length = 0;
    if (!ReadBE16(length)) return SetError(JPEG_ERR_TRUNCATED);
    if (length < 2) return SetError(JPEG_ERR_QUANT_LENGTH);
    uint32_t left = length - 2u;
    while (left > 0) {
        int head = ReadByte();
        if (head < 0) return SetError(JPEG_ERR_TRUNCATED);
        int number = head & 0x0F;
        if (number >= 4) return SetError(JPEG_ERR_QUANT_TABLE_NUMBER);
        bool wide = head > 15;
        uint32_t tableBytes = wide ? 129 : 65;
        if (left < tableBytes) return SetError(JPEG_ERR_QUANT_SHORT);
        for (int k = 0; k < 64; ++k) {
            int value = ReadByte();
            if (wide && value >= 0) {
                int low = ReadByte();
                value = low < 0 ? -1 : value << 8 | low;
            }
            if (value < 0) return SetError(JPEG_ERR_TRUNCATED);
            m_quant[number][m_zigZag[k]] = static_cast<uint16_t>(value);
        }
        left -= tableBytes;
    }
}

void JpegDecoder::ParseRestartInterval() {
    uint16_t length = 0, interval = 0;
    if (!ReadBE16(length)) return SetError(JPEG_ERR_TRUNCATED);
    if (length != 4) return SetError(JPEG_ERR_RESTART_LENGTH);
    if (!ReadBE16(interval)) return SetError(JPEG_ERR_TRUNCATED);
    m_restartInterval = interval;
}

// A segment whose data runs past the end of the file is skipped to the end;
// the search for the next marker then finds none.
void JpegDecoder::SkipSegment() {
    uint16_t length = 0;
    if (!ReadBE16(length)) return SetError(JPEG_ERR_TRUNCATED);
    if (length < 2) return SetError(JPEG_ERR_SEGMENT_LENGTH);
    Skip(length - 2u);
}

// An EXIF APP1 is walked in place, and only when the whole segment is held
// in the buffer; the values found point into it. Any other APP1 is skipped.
void JpegDecoder::ParseApp1() {
    uint16_t length = 0;
    if (!ReadBE16(length)) return SetError(JPEG_ERR_TRUNCATED);
    if (length < 2) return SetError(JPEG_ERR_SEGMENT_LENGTH);
    uint32_t body = length - 2u;
    bool held = uint32_t(m_end - m_ptr) >= body;
    if (held && body >= sizeof kExifSignature &&
        std::memcmp(m_ptr, kExifSignature, sizeof kExifSignature) == 0) {
        const uint8_t* tiff = m_ptr + sizeof kExifSignature;
        JpegExifFacts facts = JpegExifReader(tiff, body - sizeof kExifSignature).Read();
        if (facts.dateTimeOriginal) {
            m_info.dateTimeOriginal = facts.dateTimeOriginal;
            m_info.dateTimeOriginalLength = facts.dateTimeOriginalLength;
        }
        if (facts.orientation && !m_info.orientation) m_info.orientation = facts.orientation;
        if (facts.thumbnail) {
            m_info.thumbnail = facts.thumbnail;
            m_info.thumbnailLength = facts.thumbnailLength;
        }
    }
    Skip(body);
}

void JpegDecoder::ParseScanHeader() {
    uint16_t length = 0;
    if (!ReadBE16(length)) return SetError(JPEG_ERR_TRUNCATED);
    int count = ReadByte();
    if (count < 0) return SetError(JPEG_ERR_TRUNCATED);
    if (count < 1 || count > 4 || length - 3 != 2 * count + 3) return SetError(JPEG_ERR_SCAN_LENGTH);
    m_scan.componentCount = static_cast<uint8_t>(count);
    for (int i = 0; i < count; ++i) {
        int selector = ReadByte(), tables = ReadByte();
        if (selector < 0 || tables < 0) return SetError(JPEG_ERR_TRUNCATED);
        int index = 0;
        while (index < m_frame.componentCount && m_frame.components[index].id != selector) ++index;
        if (index == m_frame.componentCount) return SetError(JPEG_ERR_SCAN_COMPONENT);
        if ((tables >> 4) > 3 || (tables & 0x0F) > 3) return SetError(JPEG_ERR_TABLE_SELECTOR);
        JpegScanComponent& c = m_scan.components[i];
        c.frameIndex = static_cast<uint8_t>(index);
        c.dcSlot = static_cast<uint8_t>(tables >> 4);
        c.acSlot = static_cast<uint8_t>((tables & 0x0F) + 4);
    }
    int ss = ReadByte(), se = ReadByte(), approximation = ReadByte();
    if (approximation < 0) return SetError(JPEG_ERR_TRUNCATED);
    m_scan.ss = static_cast<uint8_t>(ss);
    m_scan.se = static_cast<uint8_t>(se);
    m_scan.ah = static_cast<uint8_t>(approximation >> 4);
    m_scan.al = static_cast<uint8_t>(approximation & 0x0F);
    CheckScan();
}

// A component named twice would have its blocks decoded twice over. In a
// progressive frame the scan must follow the rules of T.81 G.1.1.1.1, as
// libjpeg insists; a sequential decoder reads the whole band whatever the
// scan says.
void JpegDecoder::CheckScan() {
    for (int i = 0; i < m_scan.componentCount; ++i) {
        for (int j = 0; j < i; ++j) {
            if (m_scan.components[i].frameIndex == m_scan.components[j].frameIndex)
                return SetError(JPEG_ERR_SCAN_LAYOUT);
        }
    }
    if (m_coding != JPEG_CODING_PROGRESSIVE && m_coding != JPEG_CODING_ARITHMETIC_PROGRESSIVE) return;
    const JpegScan& s = m_scan;
    bool bad = s.se > 63 || s.se < s.ss || s.al > 13 || (s.ah != 0 && s.al != s.ah - 1);
    if (s.ss == 0 && s.se != 0) bad = true;
    if (s.ss != 0 && s.componentCount != 1) bad = true;
    if (bad) SetError(JPEG_ERR_PROGRESSIVE);
}

// JFIF APP0: its presence says a three-component picture is YCbCr.
void JpegDecoder::ParseApp0() {
    uint16_t length = 0;
    if (!ReadBE16(length)) return SetError(JPEG_ERR_TRUNCATED);
    if (length < 2) return SetError(JPEG_ERR_SEGMENT_LENGTH);
    uint32_t body = length - 2u;
    if (body >= 14 && uint32_t(m_end - m_ptr) >= sizeof kJfifSignature &&
        std::memcmp(m_ptr, kJfifSignature, sizeof kJfifSignature) == 0)
        m_sawJfif = true;
    Skip(body);
}

// Adobe APP14: its transform flag says how three or four components are
// coded (0: RGB or CMYK, 1: YCbCr, 2: YCCK).
void JpegDecoder::ParseApp14() {
    uint16_t length = 0;
    if (!ReadBE16(length)) return SetError(JPEG_ERR_TRUNCATED);
    if (length < 2) return SetError(JPEG_ERR_SEGMENT_LENGTH);
    uint32_t body = length - 2u;
    if (body >= 12 && uint32_t(m_end - m_ptr) >= 12 &&
        std::memcmp(m_ptr, kAdobeSignature, sizeof kAdobeSignature) == 0) {
        m_sawAdobe = true;
        m_adobeTransform = m_ptr[11];
    }
    Skip(body);
}

// DAC: pairs of table class and number, and its conditioning value.
void JpegDecoder::ParseArithConditioning() {
    uint16_t length = 0;
    if (!ReadBE16(length)) return SetError(JPEG_ERR_TRUNCATED);
    if (length < 2 || (length - 2) % 2 != 0) return SetError(JPEG_ERR_ARITHMETIC);
    for (int left = length - 2; left > 0; left -= 2) {
        int table = ReadByte(), value = ReadByte();
        if (value < 0) return SetError(JPEG_ERR_TRUNCATED);
        int number = table & 0x0F;
        if (number > 3 || table > 0x1F) return SetError(JPEG_ERR_ARITHMETIC);
        if (table & 0x10) {
            if (value < 1 || value > 63) return SetError(JPEG_ERR_ARITHMETIC);
            m_arith.acKx[number] = static_cast<uint8_t>(value);
        } else {
            int lower = value & 0x0F, upper = value >> 4;
            if (lower > upper) return SetError(JPEG_ERR_ARITHMETIC);
            m_arith.dcLower[number] = static_cast<uint8_t>(lower);
            m_arith.dcUpper[number] = static_cast<uint8_t>(upper);
        }
    }
}
