#include "imaging/JpegHuffmanScan.h"

#include "imaging/JpegBlockDecoder.h"

namespace {
int16_t Wrap16(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }
}  // namespace

void JpegHuffmanScan::Reset() {
    for (int16_t& p : m_pred) p = 0;
    m_eobRun = 0;
}

int JpegHuffmanScan::Symbol(const JpegHuffmanTable& table) {
    uint32_t index = m_reader.Peek8();
    int entry = table.lookahead[index];
    if (entry >= 0) {
        m_reader.Drop(table.lookaheadLength[index]);
        return entry;
    }
    m_reader.Drop(8);
    while (entry < 0) {
        int bit = int(m_reader.Read(1));
        entry = table.tree[-entry - 1 + (bit ? 0 : 1)];
    }
    return entry;
}

void JpegHuffmanScan::DecodeBlock(int sc, int16_t* block, int perBlock) {
    if (!m_progressive) return Sequential(sc, block, perBlock);
    if (m_scan.ss == 0) {
        if (m_scan.ah == 0) return DcFirst(sc, block);
        return DcRefine(block);
    }
    if (m_scan.ah == 0) return AcFirst(sc, block);
    AcRefine(sc, block);
}

void JpegHuffmanScan::Sequential(int sc, int16_t* block, int perBlock) {
    const JpegScanComponent& c = m_scan.components[sc];
    DecodeBlockReference(m_reader, m_tables[c.dcSlot & 7], m_tables[c.acSlot & 7], m_pred[c.frameIndex & 3],
                         block, m_zigZag, perBlock == 64);
}

void JpegHuffmanScan::DcFirst(int sc, int16_t* block) {
    const JpegScanComponent& c = m_scan.components[sc];
    int size = Symbol(m_tables[c.dcSlot & 7]);
    int diff = size ? ExtendCoefficient(m_reader.Read(size), size) : 0;
    int16_t& pred = m_pred[c.frameIndex & 3];
    pred = Wrap16(pred + diff);
    block[0] = Wrap16(int32_t(uint32_t(pred) << m_scan.al));
}

void JpegHuffmanScan::DcRefine(int16_t* block) {
    if (m_reader.Read(1)) block[0] = Wrap16(block[0] | (1 << m_scan.al));
}

void JpegHuffmanScan::AcFirst(int sc, int16_t* block) {
    if (m_eobRun > 0) {
        --m_eobRun;
        return;
    }
    const JpegHuffmanTable& table = m_tables[m_scan.components[sc].acSlot & 7];
    for (int k = m_scan.ss; k <= m_scan.se; ++k) {
        int symbol = Symbol(table);
        int run = symbol >> 4, size = symbol & 15;
        if (size) {
            k += run;
            int value = ExtendCoefficient(m_reader.Read(size), size);
            block[At(k)] = Wrap16(int32_t(uint32_t(value) << m_scan.al));
        } else if (run == 15) {
            k += 15;
        } else {
            m_eobRun = 1u << run;
            if (run) m_eobRun += m_reader.Read(run);
            --m_eobRun;
            break;
        }
    }
}

// A coefficient already non-zero takes one correction bit; it grows away
// from zero when the bit is set and the bit is not yet there.
void JpegHuffmanScan::Refine(int16_t& coef, int16_t bit) {
    if (m_reader.Read(1) && (coef & bit) == 0) coef = Wrap16(coef >= 0 ? coef + bit : coef - bit);
}

void JpegHuffmanScan::AcRefine(int sc, int16_t* block) {
    const int16_t bit = int16_t(1 << m_scan.al);
    const JpegHuffmanTable& table = m_tables[m_scan.components[sc].acSlot & 7];
    int k = m_scan.ss;
    if (m_eobRun == 0) {
        for (; k <= m_scan.se; ++k) {
            int symbol = Symbol(table);
            int run = symbol >> 4, size = symbol & 15;
            int16_t value = 0;
            if (size) {
                // Only size 1 is valid; damaged data is read as if it were.
                value = m_reader.Read(1) ? bit : Wrap16(-bit);
            } else if (run != 15) {
                m_eobRun = 1u << run;
                if (run) m_eobRun += m_reader.Read(run);
                break;
            }
            // Skip `run` zero-history coefficients, refining the non-zero
            // ones passed; the new value lands on the next zero one.
            for (; k <= m_scan.se; ++k) {
                int16_t& coef = block[m_zigZag[k]];
                if (coef != 0) {
                    Refine(coef, bit);
                } else if (--run < 0) {
                    break;
                }
            }
            if (value) block[At(k)] = value;
        }
    }
    if (m_eobRun > 0) {
        for (; k <= m_scan.se; ++k) {
            int16_t& coef = block[m_zigZag[k]];
            if (coef != 0) Refine(coef, bit);
        }
        --m_eobRun;
    }
}
