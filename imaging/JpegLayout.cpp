// The output set-up's choice of colour mode and MCU size, and the block
// layout of the MCUs of the scan (ITU-T T.81 A.2).
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

}  // namespace

void JpegDecoder::SetUpOutput() {
    const JpegFrameComponent* c = m_frame.components;
    int mode = -1;
    if (m_frame.componentCount == 1) {
        if (!ValidFactor(c[0].h) || !ValidFactor(c[0].v)) return SetError(JPEG_ERR_SAMPLING_FACTOR);
        mode = JPEG_MODE_GREY;
    } else if (m_frame.componentCount == 3) {
        bool chromaFull = c[1].h == 1 && c[1].v == 1 && c[2].h == 1 && c[2].v == 1;
        for (int m = JPEG_MODE_YCC_1X1; m <= JPEG_MODE_YCC_2X2 && chromaFull; ++m) {
            if (c[0].h == kModes[m].lumaH && c[0].v == kModes[m].lumaV) mode = m;
        }
        if (mode < 0) return SetError(JPEG_ERR_SAMPLING_LAYOUT);
    } else {
        return SetError(JPEG_ERR_COMPONENT_COUNT);
    }
    m_layout.colourMode = static_cast<uint8_t>(mode);
    m_layout.mcuWidth = kModes[mode].mcuWidth;
    m_layout.mcuHeight = kModes[mode].mcuHeight;
    m_layout.mcuRows = static_cast<uint16_t>(CeilDiv(m_frame.height, m_layout.mcuHeight));
}

// One scan component: one block per MCU. Several: H x V blocks of each
// component in scan order. The scan must hold the frame's components in
// frame order (T.81 B.2.3) so that the blocks are those the colour mode
// converts; with the sampling the set-up accepted that is at most 6 blocks.
void JpegDecoder::LayOutMcu() {
    if (m_error) return;
    uint8_t hMax = 0;
    for (int i = 0; i < m_frame.componentCount; ++i) {
        if (m_frame.components[i].h > hMax) hMax = m_frame.components[i].h;
    }
    if (m_scan.componentCount != m_frame.componentCount) return SetError(JPEG_ERR_SCAN_LAYOUT);
    if (m_scan.componentCount == 1) {
        uint32_t columns = CeilDiv(uint32_t(m_frame.width) * m_frame.components[0].h, hMax);
        m_layout.mcusPerRow = static_cast<uint16_t>(CeilDiv(columns, 8));
        m_layout.blocksPerMcu = 1;
        m_layout.blockComponent[0] = m_scan.components[0].frameIndex;
        m_layout.blockScanComponent[0] = 0;
        return;
    }
    m_layout.mcusPerRow = static_cast<uint16_t>(CeilDiv(CeilDiv(m_frame.width, 8), hMax));
    int blocks = 0;
    for (int s = 0; s < m_scan.componentCount; ++s) {
        uint8_t index = m_scan.components[s].frameIndex;
        if (index != s) return SetError(JPEG_ERR_SCAN_LAYOUT);
        const JpegFrameComponent& c = m_frame.components[index];
        for (int b = 0; b < c.h * c.v; ++b) {
            if (blocks == 6) return SetError(JPEG_ERR_SCAN_LAYOUT);
            m_layout.blockComponent[blocks] = index;
            m_layout.blockScanComponent[blocks] = static_cast<uint8_t>(s);
            ++blocks;
        }
    }
    m_layout.blocksPerMcu = static_cast<uint8_t>(blocks);
}
