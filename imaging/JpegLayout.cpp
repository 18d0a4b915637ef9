// The output set-up's choice of colour mode, colour space and MCU size, and
// the block layout of the MCUs (ITU-T T.81 A.2).
#include "imaging/JpegDecoder.h"

namespace {

struct ColourModeShape {
    uint8_t lumaH, lumaV, mcuWidth, mcuHeight;
};

// Indexed by colour mode.
constexpr ColourModeShape kModes[5] = {
    {0, 0, 8, 8},   // greyscale, any sampling
    {1, 1, 8, 8},
    {1, 2, 8, 16},
    {2, 1, 16, 8},
    {2, 2, 16, 16},
};

uint32_t CeilDiv(uint32_t a, uint32_t b) { return (a + b - 1) / b; }

bool ValidFactor(uint8_t f) { return f >= 1 && f <= 4; }

// Components 1 and 2 sampled once per MCU, component 0 (and 3) in one of the
// luma shapes; -1 when none fits.
int ModeOf(const JpegFrameComponent* c, int count) {
    bool chromaFull = c[1].h == 1 && c[1].v == 1 && c[2].h == 1 && c[2].v == 1;
    if (count == 4 && (c[3].h != c[0].h || c[3].v != c[0].v)) return -1;
    for (int m = JPEG_MODE_YCC_1X1; m <= JPEG_MODE_YCC_2X2 && chromaFull; ++m) {
        if (c[0].h == kModes[m].lumaH && c[0].v == kModes[m].lumaV) return m;
    }
    return -1;
}

}  // namespace

// As libjpeg decides it: JFIF means YCbCr; else the Adobe marker's
// transform; else the component identifiers ('R', 'G', 'B'); else YCbCr.
// Four components are CMYK unless an Adobe marker says YCCK.
uint8_t JpegDecoder::ColourSpaceOf() const {
    const JpegFrameComponent* c = m_frame.components;
    if (m_frame.componentCount == 1) return JPEG_SPACE_GREY;
    if (m_frame.componentCount == 4) {
        return m_sawAdobe && m_adobeTransform != 0 ? JPEG_SPACE_YCCK : JPEG_SPACE_CMYK;
    }
    if (m_sawJfif) return JPEG_SPACE_YCC;
    if (m_sawAdobe) return m_adobeTransform == 0 ? JPEG_SPACE_RGB : JPEG_SPACE_YCC;
    return c[0].id == 'R' && c[1].id == 'G' && c[2].id == 'B' ? JPEG_SPACE_RGB : JPEG_SPACE_YCC;
}

void JpegDecoder::SetUpOutput() {
    const JpegFrameComponent* c = m_frame.components;
    int mode = -1;
    if (m_frame.componentCount == 1) {
        if (!ValidFactor(c[0].h) || !ValidFactor(c[0].v)) return SetError(JPEG_ERR_SAMPLING_FACTOR);
        mode = JPEG_MODE_GREY;
    } else if (m_frame.componentCount == 3 || m_frame.componentCount == 4) {
        mode = ModeOf(c, m_frame.componentCount);
        if (mode < 0) return SetError(JPEG_ERR_SAMPLING_LAYOUT);
    } else {
        return SetError(JPEG_ERR_COMPONENT_COUNT);
    }
    m_layout.colourMode = static_cast<uint8_t>(mode);
    m_layout.colourSpace = ColourSpaceOf();
    m_layout.mcuWidth = kModes[mode].mcuWidth;
    m_layout.mcuHeight = kModes[mode].mcuHeight;
    m_layout.mcuRows = static_cast<uint16_t>(CeilDiv(m_frame.height, m_layout.mcuHeight));
}

// The output MCU holds H x V blocks of each frame component in frame order
// (greyscale: one block); with the sampling the set-up accepted that is at
// most 10 blocks. A sequential scan that holds exactly these blocks is
// decoded row by row into the output; anything else (several scans,
// progressive or arithmetic coding) gathers the coefficients first.
void JpegDecoder::LayOutMcu() {
    if (m_error) return;
    const bool grey = m_frame.componentCount == 1;
    m_layout.mcusPerRow = static_cast<uint16_t>(CeilDiv(m_frame.width, m_layout.mcuWidth));
    int blocks = 0;
    for (int index = 0; index < m_frame.componentCount; ++index) {
        const JpegFrameComponent& c = m_frame.components[index];
        const int count = grey ? 1 : c.h * c.v;
        for (int b = 0; b < count; ++b) {
            m_layout.blockComponent[blocks] = static_cast<uint8_t>(index);
            m_layout.blockScanComponent[blocks] = static_cast<uint8_t>(index);
            ++blocks;
        }
    }
    m_layout.blocksPerMcu = static_cast<uint8_t>(blocks);
    bool inFrameOrder = m_scan.componentCount == m_frame.componentCount;
    for (int s = 0; s < m_scan.componentCount && inFrameOrder; ++s) {
        inFrameOrder = m_scan.components[s].frameIndex == s;
    }
    const bool huffmanSequential = m_coding == JPEG_CODING_BASELINE || m_coding == JPEG_CODING_EXTENDED;
    m_layout.buffered = !huffmanSequential || !inFrameOrder;
}
