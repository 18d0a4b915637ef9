#include "imaging/JpegBlockDecoder.h"

namespace {

// ---- reference block decoding (ITU-T T.81 F.2.2) ------------------------

int DecodeSymbol(JpegReferenceBitReader& reader, const JpegHuffmanTable& table) {
    uint32_t index = reader.Peek8();
    int entry = table.lookahead[index];
    if (entry >= 0) {
        reader.Drop(table.lookaheadLength[index]);
        return entry;
    }
    reader.Drop(8);
    while (entry < 0) {
        int bit = int(reader.Read(1));
        entry = table.tree[-entry - 1 + (bit ? 0 : 1)];
    }
    return entry;
}

int DecodeDifference(JpegReferenceBitReader& reader, const JpegHuffmanTable& dc) {
    int size = DecodeSymbol(reader, dc);
    return size ? ExtendCoefficient(reader.Read(size), size) : 0;
}

}  // namespace

void DecodeBlockReference(JpegReferenceBitReader& reader, const JpegHuffmanTable& dc,
                          const JpegHuffmanTable& ac, int16_t& pred, int16_t* coef, const uint8_t* zigZag,
                          bool storeAc) {
    pred = jpeg_detail::Wrap16(pred + DecodeDifference(reader, dc));
    coef[0] = pred;
    for (int k = 1; k < 64; ++k) {
        int symbol = DecodeSymbol(reader, ac);
        int run = symbol >> 4, size = symbol & 15;
        k += run;
        if (size) {
            int value = ExtendCoefficient(reader.Read(size), size);
            if (k > 63) break;
            if (storeAc) coef[zigZag[k]] = static_cast<int16_t>(value);
        } else if (run != 15) {
            break;
        }
    }
}
