#include "imaging/JpegBlockDecoder.h"

void DecodeBlockReference(JpegReferenceBitReader& reader, const JpegHuffmanTable& dc,
                          const JpegHuffmanTable& ac, int16_t& pred, int16_t* coef, const uint8_t* zigZag,
                          bool storeAc) {
    DecodeBlockPlain(reader, dc, ac, pred, coef, zigZag, storeAc);
}
