#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "imaging/JpegBitReader.h"
#include "imaging/JpegColour.h"
#include "imaging/JpegHuffmanTable.h"
#include "imaging/JpegIdct.h"
#include "imaging/JpegPicture.h"
#include "tests/imaging/JpegTestStreams.h"

// The stages of the entropy decoder one by one: Huffman tables, the bit
// readers, the inverse transforms and the colour converters.
namespace {

HuffSlot Slot(std::vector<uint8_t> counts, std::vector<uint8_t> symbols) {
    HuffSlot slot{};
    for (size_t i = 0; i < counts.size(); ++i) slot.bits[i + 1] = counts[i];
    std::memcpy(slot.huffval, symbols.data(), symbols.size());
    return slot;
}

// The luminance DC table of ITU-T T.81 table K.3.
HuffSlot LumaDc() { return Slot({0, 1, 5, 1, 1, 1, 1, 1, 1}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}); }

TEST(JpegHuffmanTable, DecodesShortAndLongCodes) {
    JpegHuffmanTable table;
    ASSERT_TRUE(table.Build(LumaDc(), true));
    struct Case {
        uint32_t code;
        int length, symbol;
    } cases[] = {{0b00, 2, 0},   {0b010, 3, 1},       {0b110, 3, 5},
                 {0b1110, 4, 6}, {0b11111110, 8, 10}, {0b111111110, 9, 11}};
    for (const Case& c : cases) {
        int length = 0;
        EXPECT_EQ(table.Walk(c.code << (16 - c.length), length), c.symbol);
        EXPECT_EQ(length, c.length);
    }
    // A prefix that starts no code gives symbol 0 after the bits looked at.
    int length = 0;
    EXPECT_EQ(table.Walk(0xFFFF, length), 0);
    EXPECT_EQ(length, 9);
}

TEST(JpegHuffmanTable, RefusesTablesThatCannotBeDecoded) {
    JpegHuffmanTable table;
    EXPECT_FALSE(table.Build(Slot({3}, {1, 2, 3}), false));              // three 1-bit codes
    EXPECT_FALSE(table.Build(Slot({0, 4, 1}, {1, 2, 3, 4, 5}), false));  // 2-bit codes fill the space
    EXPECT_FALSE(table.Build(Slot({1}, {16}), true));                    // DC category above 15
    EXPECT_TRUE(table.Build(Slot({1}, {16}), false));                    // fine as an AC table
    EXPECT_TRUE(table.Build(HuffSlot{}, false));                         // empty slot
}

// Random code lengths that fit (Kraft sum at most 1), with random symbols.
HuffSlot RandomSlot(std::mt19937& random) {
    HuffSlot slot{};
    double used = 0;
    int k = 0;
    for (int length = 1; length <= 16 && k < 200; ++length) {
        int n = int(random() % 6);
        while (n > 0 && used + n / double(1 << length) > 1) --n;
        slot.bits[length] = uint8_t(n);
        used += n / double(1 << length);
        for (int i = 0; i < n; ++i) slot.huffval[k++] = uint8_t(random());
    }
    return slot;
}

// The wide tables must decode every 16-bit window as the plain walk does.
TEST(JpegHuffmanTable, WideTablesAgreeWithTheWalk) {
    std::mt19937 random(5);
    for (int round = 0; round < 40; ++round) {
        const HuffSlot slot = RandomSlot(random);
        JpegHuffmanTable table;
        ASSERT_TRUE(table.Build(slot, false));
        for (uint32_t window = 0; window < 65536; window += 7) {
            int length = 0;
            int symbol = table.Walk(window, length);
            uint32_t top = window >> (16 - JpegHuffmanTable::kFastBits);
            if (uint16_t fast = table.fastSymbol[top]) {
                ASSERT_EQ(fast >> 8, symbol);
                ASSERT_EQ(fast & 0xFF, length);
            }
            if (int32_t entry = table.fastValue[top]) {
                int size = symbol & 15;
                int run = symbol >> 4;
                if (size == 0 && run != 15) run = 64;
                ASSERT_EQ((entry >> 8) & 0xFF, run);
                ASSERT_EQ(entry & 0xFF, length + size);
                if (size) {
                    uint32_t bits = (window >> (16 - length - size)) & ((1u << size) - 1);
                    ASSERT_EQ(entry >> 16, ExtendCoefficient(bits, size));
                }
            }
        }
    }
}

// The skip table's entry for a window must be what the walk gives symbol
// by symbol over those bits: whole symbols with their magnitude bits, up to
// an end of block, never passing the block's last coefficient (a run of 16
// with a one-bit code would pass it within one window).
TEST(JpegHuffmanTable, SkipTableAgreesWithTheWalk) {
    std::vector<HuffSlot> slots = {Slot({1, 1, 1}, {0xF0, 0x00, 0x01})};  // one-bit run of 16
    std::mt19937 random(9);
    for (int round = 0; round < 20; ++round) slots.push_back(RandomSlot(random));
    constexpr int kBits = JpegSkipTable::kBits;
    for (const HuffSlot& slot : slots) {
        JpegHuffmanTable table;
        ASSERT_TRUE(table.Build(slot, false));
        auto skip = std::make_unique<JpegSkipTable>();
        skip->Build(table);
        for (uint32_t pattern = 0; pattern < (1u << kBits); pattern += 3) {
            const uint16_t entry = skip->entries[pattern];
            int bits = 0, advance = 0, last = 0;
            bool ends = false;
            while (!ends && bits < JpegSkipTable::Bits(entry)) {
                int length = 0;
                const int symbol = table.Walk((pattern << (16 - kBits + bits)) & 0xFFFF, length);
                last = length + (symbol & 15);
                bits += last;
                ends = (symbol & 15) == 0 && (symbol >> 4) != 15;
                if (!ends) advance += (symbol >> 4) + 1;
            }
            ASSERT_EQ(bits, JpegSkipTable::Bits(entry)) << pattern;
            ASSERT_EQ(ends, JpegSkipTable::Ends(entry)) << pattern;
            if (bits == 0) {
                ASSERT_GT(JpegSkipTable::Advance(entry), 63) << pattern;  // sends the decoder the plain way
                continue;
            }
            ASSERT_EQ(advance, JpegSkipTable::Advance(entry)) << pattern;
            ASSERT_LE(advance, 63) << pattern;
            ASSERT_EQ(last, JpegSkipTable::LastBits(entry)) << pattern;
        }
    }
}

TEST(JpegHuffmanTable, ExtendsCoefficientsAsT81Says) {
    EXPECT_EQ(ExtendCoefficient(0, 1), -1);
    EXPECT_EQ(ExtendCoefficient(1, 1), 1);
    EXPECT_EQ(ExtendCoefficient(0b011, 3), -4);
    EXPECT_EQ(ExtendCoefficient(0b100, 3), 4);
    EXPECT_EQ(ExtendCoefficient(0, 15), -32767);
    EXPECT_EQ(ExtendCoefficient(0x7FFF, 15), 32767);
}

// ---- bit readers ----------------------------------------------------------

struct Readers {
    explicit Readers(const std::vector<uint8_t>& data) : source(data.data(), data.size()) {
        const uint8_t* start = source.Fill();
        reference.Input().Attach(&source, start, source.End());
        sourceFast = std::make_unique<JpegSource>(data.data(), data.size());
        start = sourceFast->Fill();
        fast.Input().Attach(sourceFast.get(), start, sourceFast->End());
    }
    uint32_t ReadReference(int n) { return reference.Read(n); }
    uint32_t ReadFast(int n) {
        fast.Fill();
        return fast.Read(n);
    }
    JpegSource source;
    std::unique_ptr<JpegSource> sourceFast;
    JpegReferenceBitReader reference;
    JpegFastBitReader fast;
};

std::vector<uint32_t> ReadBytes(Readers& r, int count, bool fast) {
    std::vector<uint32_t> bytes;
    for (int i = 0; i < count; ++i) bytes.push_back(fast ? r.ReadFast(8) : r.ReadReference(8));
    return bytes;
}

TEST(JpegBitReader, UnstuffsAndStopsAtMarkersAndTheEnd) {
    struct Case {
        std::vector<uint8_t> data;
        std::vector<uint32_t> bytes;
    } cases[] = {
        {{0x12, 0xFF, 0x00, 0x34}, {0x12, 0xFF, 0x34, 0xFF, 0xFF}},  // stuffing, then the end
        {{0x12, 0xFF, 0xD9, 0x34}, {0x12, 0xFF, 0xFF, 0xFF, 0xFF}},  // a marker: one-bits
        {{0x12, 0xFF}, {0x12, 0xFF, 0xFF, 0xFF}},                    // 0xFF as the last byte
        {{}, {0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        for (bool fast : {false, true}) {
            Readers r(c.data);
            EXPECT_EQ(ReadBytes(r, int(c.bytes.size()), fast), c.bytes);
        }
    }
}

// A stuffed pair and a restart marker across the boundary of the 35840-byte
// chunks: the look-behind byte keeps the 0xFF whose partner is in the next
// chunk.
TEST(JpegBitReader, ReadsAcrossChunkBoundaries) {
    const size_t chunk = JpegSource::kChunkSize;
    for (size_t ffAt : {chunk - 2, chunk - 1, chunk}) {
        std::vector<uint8_t> data(JpegSource::kChunkSize + 40, 0x5A);
        data[ffAt] = 0xFF;
        data[ffAt + 1] = 0x00;
        std::vector<uint32_t> expected(JpegSource::kChunkSize + 39, 0x5A);
        expected[ffAt] = 0xFF;
        for (bool fast : {false, true}) {
            Readers r(data);
            EXPECT_EQ(ReadBytes(r, int(expected.size()), fast), expected) << ffAt;
        }
    }
}

// After a restart both readers continue with the bytes after the marker,
// whatever they had taken in beyond the last symbol.
TEST(JpegBitReader, RestartResumesAfterTheMarkerInBothReaders) {
    const std::vector<uint8_t> data = {0xA1, 0xB2, 0xC3, 0xFF, 0x00, 0xD4, 0xE5, 0xF6, 0x17, 0x28, 0x39,
                                       0x4A, 0xFF, 0xD3, 0x5B, 0x6C, 0x7D, 0x8E, 0x9F, 0x10, 0x21, 0x32};
    for (int symbolBits = 1; symbolBits <= 16; ++symbolBits) {
        for (int symbols = 1; symbols <= 5; ++symbols) {
            Readers r(data);
            for (int i = 0; i < symbols; ++i) {
                r.reference.Peek8();  // a symbol: the reference needs 8 bits
                r.reference.Read(symbolBits);
                r.ReadFast(symbolBits);
            }
            r.reference.Restart();
            r.fast.Restart(symbolBits >= 8 ? 0 : 8 - symbolBits);
            SCOPED_TRACE(testing::Message() << symbols << " symbols of " << symbolBits << " bits");
            EXPECT_EQ(ReadBytes(r, 6, true), ReadBytes(r, 6, false));
        }
    }
}

// The production reader in the reference's shape, as progressive scans
// use it: symbols (Peek8, then Drop of the code's length) and plain reads
// (magnitudes, correction bits, end-of-band run lengths) in any mix, then a
// restart; it resumes where the reference does, also when the reference
// had taken in a stuffed 0xFF beyond the last symbol.
TEST(JpegBitReader, SteppedReaderRestartsWhereTheReferenceDoes) {
    const std::vector<uint8_t> data = {0xA1, 0xFF, 0x00, 0xC3, 0xFF, 0x00, 0xD4, 0xE5, 0xF6, 0x17, 0x28, 0x39,
                                       0x4A, 0xFF, 0xD3, 0x5B, 0x6C, 0x7D, 0x8E, 0x9F, 0x10, 0x21, 0x32};
    uint32_t noise = 7;
    for (int sequence = 0; sequence < 400; ++sequence) {
        JpegSource referenceSource(data.data(), data.size()), steppedSource(data.data(), data.size());
        JpegReferenceBitReader reference;
        JpegSteppedFastReader stepped;
        const uint8_t* start = referenceSource.Fill();
        reference.Input().Attach(&referenceSource, start, referenceSource.End());
        start = steppedSource.Fill();
        stepped.Input().Attach(&steppedSource, start, steppedSource.End());
        stepped.Reset();
        std::string ops;
        for (int op = 0, count = 1 + sequence % 5; op < count; ++op) {
            noise = noise * 1103515245u + 12345u;
            const int n = 1 + int((noise >> 16) % 8);
            if ((noise >> 24) & 1) {
                EXPECT_EQ(stepped.Peek8(), reference.Peek8());
                stepped.Drop(n);
                reference.Drop(n);
                ops += "S" + std::to_string(n);
            } else {
                EXPECT_EQ(stepped.Read(2 * n - 1), reference.Read(2 * n - 1));
                ops += "R" + std::to_string(2 * n - 1);
            }
        }
        SCOPED_TRACE(ops);
        reference.Restart();
        stepped.Restart();
        for (int i = 0; i < 6; ++i) EXPECT_EQ(stepped.Read(8), reference.Read(8)) << "byte " << i;
    }
}

TEST(JpegBitReader, RestartSearchGivesUpAfter1536Bytes) {
    std::vector<uint8_t> data(2000, 0x11);
    data[1536] = 0x22;
    data[1600] = 0xFF;
    data[1601] = 0xD0;
    for (bool fast : {false, true}) {
        Readers r(data);
        if (fast) {
            r.fast.Restart(0);
        } else {
            r.reference.Restart();
        }
        EXPECT_EQ(fast ? r.ReadFast(8) : r.ReadReference(8), 0x22u);
    }
}

// ---- transforms -----------------------------------------------------------

TEST(JpegIdct, AanFactorsAreThoseOfTheFastTransform) {
    uint16_t quant[64];
    std::fill(quant, quant + 64, uint16_t(4096));  // (4096 a + 2048) >> 12 = a
    PrescaleAanQuant(quant);
    const uint16_t firstRow[8] = {16384, 22725, 21407, 19266, 16384, 12873, 8867, 4520};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(quant[i], firstRow[i]);
        EXPECT_EQ(quant[i * 8], firstRow[i]);
    }
    EXPECT_EQ(quant[9], 31521);
    EXPECT_EQ(quant[63], 1247);
}

TEST(JpegIdct, RangeLimitWrapsTenBitsThenClamps) {
    struct Case {
        int32_t in;
        int out;
    } cases[] = {{0, 128},   {127, 255}, {128, 255},  {-128, 0},       {-129, 0},
                 {511, 255}, {512, 0},   {1023, 127}, {1024 + 5, 133}, {-1024 - 5, 123}};
    for (const Case& c : cases) EXPECT_EQ(IdctRangeLimit(c.in), c.out) << c.in;
}

TEST(JpegIdct, BlocksWithOnlyDcAreFlatAtEveryScale) {
    using Transform = void (*)(const int16_t*, const uint16_t*, uint8_t*);
    const struct {
        Transform transform;
        int samples;
        bool prescaled;
    } transforms[] = {{IdctAan8x8, 64, true},   {IdctAan8x8Sse2, 64, true}, {Idct4x4, 16, false},
                      {Idct4x4Fast, 16, false}, {Idct2x2, 4, false},        {Idct1x1, 1, false}};
    for (int dc : {-300, -16, 0, 5, 100, 1000}) {
        int16_t coef[64] = {};
        coef[0] = int16_t(dc);
        uint16_t quant[64], scaled[64];
        std::fill(quant, quant + 64, uint16_t(3));
        std::memcpy(scaled, quant, sizeof scaled);
        PrescaleAanQuant(scaled);  // the DC entry becomes 4 x 3
        for (const auto& t : transforms) {
            uint8_t out[64];
            t.transform(coef, t.prescaled ? scaled : quant, out);
            int expected = std::clamp(((dc * 3) >> 3) + 128, 0, 255);
            for (int i = 0; i < t.samples; ++i) ASSERT_EQ(out[i], expected) << dc;
        }
    }
}

TEST(JpegIdct, FastTransformsMatchThePlainOnes) {
    std::mt19937 random(9);
    for (int round = 0; round < 20000; ++round) {
        int16_t coef[64] = {};
        uint16_t quant[64];
        const int range = round % 3 == 0 ? 65536 : round % 3 == 1 ? 64 : 4096;
        for (int i = 0; i < 64; ++i) {
            quant[i] = uint16_t(random() % (round % 2 ? 65536 : 64));
            if (random() % 3 == 0) coef[i] = int16_t(int(random() % range) - range / 2);
        }
        uint8_t plain[64], fast[64];
        uint16_t scaled[64];
        std::memcpy(scaled, quant, sizeof scaled);
        PrescaleAanQuant(scaled);
        IdctAan8x8(coef, scaled, plain);
        IdctAan8x8Sse2(coef, scaled, fast);
        ASSERT_EQ(0, std::memcmp(plain, fast, 64)) << round;
        Idct4x4(coef, quant, plain);
        Idct4x4Fast(coef, quant, fast);
        ASSERT_EQ(0, std::memcmp(plain, fast, 16)) << round;
    }
}

// ---- colour ---------------------------------------------------------------

TEST(JpegColour, ConvertsWithJfifFactors) {
    JpegColourTables t;
    t.Build();
    EXPECT_EQ(t.Pixel(128, 128, 128), 0x808080u);
    EXPECT_EQ(t.Pixel(255, 128, 255) >> 16, 255u);  // red clamped
    EXPECT_EQ(t.Pixel(0, 128, 0) >> 16, 0u);
    for (int y = 0; y < 256; y += 15) {
        for (int cb = 0; cb < 256; cb += 17) {
            for (int cr = 0; cr < 256; cr += 17) {
                uint32_t p = t.Pixel(y, cb, cr);
                double r = y + 1.402 * (cr - 128), g = y - 0.34414 * (cb - 128) - 0.71414 * (cr - 128),
                       b = y + 1.772 * (cb - 128);
                auto near = [](uint32_t v, double x) {
                    return std::abs(int(v) - std::clamp(x, 0.0, 255.0)) <= 1.0;
                };
                ASSERT_TRUE(near(p >> 16, r) && near((p >> 8) & 0xFF, g) && near(p & 0xFF, b))
                    << y << " " << cb << " " << cr;
            }
        }
    }
}

// Every production converter against the plain one on random samples; the
// plain one places chroma by the rule "each chroma sample covers the luma
// pixels of its place".
TEST(JpegColour, FastConvertersMatchThePlainOne) {
    JpegColourTables t;
    t.Build();
    std::mt19937 random(3);
    struct Space {
        int space, firstMode;
    } spaces[] = {{JPEG_SPACE_YCC, 0}, {JPEG_SPACE_RGB, 1}, {JPEG_SPACE_CMYK, 1}, {JPEG_SPACE_YCCK, 1}};
    for (const Space& sp : spaces) {
        for (int mode = sp.firstMode; mode < 5; ++mode) {
            for (int scale = 0; scale < 4; ++scale) {
                alignas(16) uint8_t samples[10 * 64];
                for (uint8_t& s : samples) s = uint8_t(random());
                const int width = (mode >= 3 ? 16 : 8) >> scale,
                          height = (mode == 2 || mode == 4 ? 16 : 8) >> scale;
                const size_t stride = (width + 3) * 4;
                std::vector<uint32_t> plain(height * (width + 3), 7), fast(height * (width + 3), 7);
                ConvertMcuReference(t, mode, sp.space, 8 >> scale, samples, plain.data(), stride);
                FastColourConverter(mode, sp.space, scale)(t, samples, fast.data(), stride);
                EXPECT_EQ(plain, fast) << "space " << sp.space << " mode " << mode << " scale " << scale;
                for (int y = 0; y < height; ++y) EXPECT_EQ(plain[y * (width + 3) + width], 7u);
            }
        }
    }
    // 2 x 2 at 1/8: four luma samples and one chroma pair.
    uint8_t samples[6] = {10, 20, 30, 40, 128, 128};
    uint32_t out[4];
    FastColourConverter(4, JPEG_SPACE_YCC, 3)(t, samples, out, 8);
    EXPECT_EQ(out[0], 0x0A0A0Au);
    EXPECT_EQ(out[1], 0x141414u);
    EXPECT_EQ(out[2], 0x1E1E1Eu);
    EXPECT_EQ(out[3], 0x282828u);
}

// ---- whole streams built byte by byte -------------------------------------

// A 16 x 8 greyscale stream whose tables hold one 1-bit code each.
std::vector<uint8_t> TinyGrey(const std::vector<uint8_t>& acTable, const std::vector<uint8_t>& data) {
    JpegStream s;
    s.Soi().Dqt(0).Dht(0x00, 0).Segment(0xC4, acTable).Frame(16, 8, {{1, 0x11, 0}}).Sos({1});
    s.Raw(data).Eoi();
    return s.Bytes();
}

TEST(JpegDecodeStreams, EntropyDataEndingEarlyDecodesFlat) {
    std::vector<uint8_t> ac = {0x10, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00};
    for (std::vector<uint8_t> data : {std::vector<uint8_t>{}, std::vector<uint8_t>{0x00}}) {
        std::vector<uint8_t> bytes = TinyGrey(ac, data);
        for (int scale = 0; scale < 4; ++scale) {
            JpegPicture picture;
            ASSERT_EQ(DecodeJpegMemory(bytes.data(), bytes.size(), scale, false, picture), 0);
            for (uint32_t p : picture.pixels) EXPECT_EQ(p, 0x808080u);
        }
    }
}

TEST(JpegDecodeStreams, RefusesAnUndecodableTableOnlyWhereTheScanUsesIt) {
    std::vector<uint8_t> oversubscribedAc = {0x10, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3};
    std::vector<uint8_t> oversubscribedUnused = {0x13, 3, 0, 0, 0, 0, 0, 0, 0, 0,
                                                 0,    0, 0, 0, 0, 0, 0, 1, 2, 3};
    JpegPicture picture;
    std::vector<uint8_t> used = TinyGrey(oversubscribedAc, {0x00});
    EXPECT_EQ(DecodeJpegMemory(used.data(), used.size(), 0, false, picture), JPEG_ERR_HUFF_TABLE);
    JpegStream s;
    s.Soi()
        .Dqt(0)
        .Dht(0x00)
        .Dht(0x10)
        .Segment(0xC4, oversubscribedUnused)
        .Frame(8, 8, {{1, 0x11, 0}})
        .Sos({1});
    s.Raw({0x00}).Eoi();
    EXPECT_EQ(DecodeJpegMemory(s.Bytes().data(), s.Bytes().size(), 0, false, picture), 0);
}

}  // namespace
