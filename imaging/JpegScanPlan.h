#pragma once
#include <cstdint>

#include "imaging/JpegDecoder.h"
#include "imaging/JpegSource.h"

// Which scans of a progressive picture a reduced scale needs. The scaled
// transform uses only the top-left side x side coefficients of a block; a
// scan is needed when it codes one of them, or codes a coefficient whose
// history (zero or not) a needed refinement scan after it reads. The others
// are passed over without entropy decoding. Knowing what comes later takes a
// look over the rest of the file: its segments and scan headers, stepping
// over the entropy-coded data.
//
// The test of a scan takes its band from Ss to 63, since damaged data can
// place a value past Se; a look that meets anything odd (an unknown
// component, a header whose length lies, data it cannot read) plans every
// scan as needed.
class JpegScanPlan {
public:
    // Plans from `first`, the scan whose header was just read, and those in
    // `ahead`, which starts at its entropy-coded data.
    void Make(const JpegFrame& frame, const JpegScan& first, JpegSource::Ahead& ahead, int side,
              const uint8_t* zigZag);
    // Every scan needed (full and 1/8 scale, where other rules hold).
    void NeedAll() { m_count = 0; }
    // Whether scan `ordinal` (0: the first) must be decoded.
    bool Needed(int ordinal) const { return ordinal >= m_count || m_needed[ordinal] != 0; }

private:
    struct Band {
        uint8_t components;  // bit per frame component
        uint8_t ss, se, ah;
    };
    static bool Collect(const JpegFrame& frame, JpegSource::Ahead& ahead, Band* bands, int& count);
    static bool ReadScanHeader(const JpegFrame& frame, JpegSource::Ahead& ahead, Band& band);

    int m_count = 0;
    uint8_t m_needed[kJpegMaxScans] = {};
};
