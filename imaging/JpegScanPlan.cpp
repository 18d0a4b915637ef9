#include "imaging/JpegScanPlan.h"

namespace {

constexpr int SOS = 0xDA, EOI = 0xD9, SOI = 0xD8, DHT = 0xC4, JPG = 0xC8, DAC = 0xCC;

bool IsRestart(int code) { return code >= 0xD0 && code <= 0xD7; }

// The marker after entropy-coded data: stuffed zero bytes and restart
// markers belong to the data. -1 at the end.
int MarkerAfterData(JpegSource::Ahead& ahead) {
    for (;;) {
        int byte = ahead.Next();
        while (byte >= 0 && byte != 0xFF) byte = ahead.Next();
        while (byte == 0xFF) byte = ahead.Next();
        if (byte < 0) return -1;
        if (byte != 0 && !IsRestart(byte)) return byte;
    }
}

// The next marker between segments, as the decoder's own walk finds it.
int NextMarker(JpegSource::Ahead& ahead) {
    for (;;) {
        int byte = ahead.Next();
        while (byte >= 0 && byte != 0xFF) byte = ahead.Next();
        while (byte == 0xFF) byte = ahead.Next();
        if (byte != 0) return byte;
    }
}

uint64_t BandMask(int ss, int se) {
    const uint64_t upTo = se >= 63 ? ~0ull : (2ull << se) - 1;
    return upTo & (~0ull << ss);
}

}  // namespace

void JpegScanPlan::Make(const JpegFrame& frame, const JpegScan& first, JpegSource::Ahead& ahead, int side,
                        const uint8_t* zigZag) {
    m_count = 0;
    Band bands[kJpegMaxScans];
    int count = 1;
    bands[0] = {0, first.ss, first.se, first.ah};
    for (int i = 0; i < first.componentCount; ++i) bands[0].components |= uint8_t(1u << (first.components[i].frameIndex & 3));
    if (first.ss > 63 || !Collect(frame, ahead, bands, count) || !ahead.Complete()) return;

    uint64_t kept = 0;
    for (int k = 0; k < 64; ++k) {
        if (zigZag[k] / 8 < side && zigZag[k] % 8 < side) kept |= 1ull << k;
    }
    uint64_t need[4] = {kept, kept, kept, kept};
    // From the last scan back: a needed refinement needs the history of
    // its whole band from the scans before it.
    for (int j = count - 1; j >= 0; --j) {
        const Band& b = bands[j];
        const uint64_t reach = ~0ull << b.ss;
        bool needed = false;
        for (int c = 0; c < 4; ++c) needed = needed || ((b.components >> c & 1) && (need[c] & reach));
        m_needed[j] = needed;
        if (!needed || b.ss == 0 || b.ah == 0) continue;
        for (int c = 0; c < 4; ++c) {
            if (b.components >> c & 1) need[c] |= BandMask(b.ss, b.se);
        }
    }
    m_count = count;
}

// The scans after the first, up to the end of the image, of the data, or a
// marker that ends the decode. False when the walk meets anything odd.
bool JpegScanPlan::Collect(const JpegFrame& frame, JpegSource::Ahead& ahead, Band* bands, int& count) {
    int code = MarkerAfterData(ahead);
    while (count < kJpegMaxScans) {
        if (code < 0 || code == EOI || code == SOI || code == JPG || code == 0x01 || IsRestart(code)) return true;
        if (code >= 0xC0 && code <= 0xCF && code != DHT && code != DAC) return true;  // a frame header
        if (code == SOS) {
            if (!ReadScanHeader(frame, ahead, bands[count])) return false;
            ++count;
            code = MarkerAfterData(ahead);
            continue;
        }
        const int high = ahead.Next(), low = ahead.Next();
        if (low < 0) return true;
        const int length = high << 8 | low;
        if (length < 2) return false;
        if (!ahead.Skip(uint32_t(length - 2))) return true;
        code = NextMarker(ahead);
    }
    return true;
}

bool JpegScanPlan::ReadScanHeader(const JpegFrame& frame, JpegSource::Ahead& ahead, Band& band) {
    const int high = ahead.Next(), low = ahead.Next(), count = ahead.Next();
    if (count < 1 || count > 4 || (high << 8 | low) != 2 * count + 6) return false;
    band = {};
    for (int i = 0; i < count; ++i) {
        const int selector = ahead.Next();
        ahead.Next();
        int index = 0;
        while (index < frame.componentCount && frame.components[index].id != selector) ++index;
        if (selector < 0 || index == frame.componentCount) return false;
        band.components |= uint8_t(1u << index);
    }
    const int ss = ahead.Next(), se = ahead.Next(), approximation = ahead.Next();
    if (approximation < 0 || ss > 63 || se > 63) return false;
    band.ss = uint8_t(ss);
    band.se = uint8_t(se);
    band.ah = uint8_t(approximation >> 4);
    return true;
}
