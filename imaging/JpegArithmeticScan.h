#pragma once
#include <cstdint>

#include "imaging/JpegDecoder.h"
#include "imaging/JpegSource.h"

// The block decoding of one arithmetic-coded scan (T.81 annex D, F.2.4 and
// G.2): the adaptive binary decoder with its statistics bins, sequential
// blocks and the four kinds of progressive scan, conditioned by the DAC
// values. Where the data hits a marker or ends, zero bytes are decoded, as
// the coding allows; a code that runs past coefficient 63 or a magnitude
// past 15 bits stops the scan until the next restart.
class JpegArithmeticScan {
public:
    JpegArithmeticScan(JpegSource* source, const uint8_t* ptr, const uint8_t* end, const JpegScan& scan,
                       const JpegArithConditioning& conditioning, const uint8_t* zigZag, bool progressive);

    // Decodes the next block of scan component `sc` into `block` (natural
    // order, 64 coefficients; `perBlock` 1 keeps only the DC value).
    void DecodeBlock(int sc, int16_t* block, int perBlock);
    // Steps over the restart marker and starts the decoder afresh.
    void Restart();
    // Arithmetic-coded data may end early by design, so the walk over the
    // blocks never stops before the scan's end.
    bool OutOfData() const { return false; }

    // Where the data of the scan was left.
    const uint8_t* Ptr() const { return m_ptr; }
    const uint8_t* End() const { return m_end; }

private:
    int Decode(uint8_t* bin);
    void StartUp();
    int NextByte();
    int RawByte();
    void ResetDecoder();
    int DecodeDifference(int sc, int table);
    int DecodeMagnitude(uint8_t* st, int table, int k, bool& overflow);
    void Sequential(int sc, int16_t* block);
    void DcFirst(int sc, int16_t* block);
    void AcFirst(int sc, int16_t* block);
    void AcRefine(int sc, int16_t* block);
    int At(int k) const { return k > 63 ? 63 : m_zigZag[k]; }

    JpegSource* m_source;
    const uint8_t* m_ptr;
    const uint8_t* m_end;
    const JpegScan& m_scan;
    const JpegArithConditioning& m_conditioning;
    const uint8_t* m_zigZag;
    bool m_progressive;

    int32_t m_c = 0;   // code register: base of the interval and input bits
    int32_t m_a = 0;   // interval size, normalised
    int m_ct = -16;    // bits left in C's input part; -16 at start, -1 after an error
    bool m_marker = false;  // a marker (or the end) was met: zeros follow
    int16_t m_pred[4] = {};
    int m_dcContext[4] = {};
    uint8_t m_dcStats[4][64] = {};
    uint8_t m_acStats[4][256] = {};
    uint8_t m_fixedBin = 113;  // probability 0.5 (T.851 table 5)
};
