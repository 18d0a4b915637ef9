#include "catalogue/ImageTrailer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/ScreenBitmap.h"
#include "catalogue/ThumbnailBitmap.h"
#include "catalogue/TrailerEdits.h"
#include "platform/base/File.h"
#include "platform/base/WinError.h"
#include "tests/catalogue/TrailerFixtures.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestSupport.h"

using namespace trailer_fixtures;

namespace {

class TrailerFileTest : public ::testing::Test {
public:
    void Put(const std::vector<uint8_t>& bytes) { WriteHostFile(m_device.Host(kImageHost), bytes); }
    std::vector<uint8_t> Bytes() const { return ReadHostFile(m_device.Host(kImageHost)); }

    // Parses the image file's trailer; the notes and blocks read go to the
    // out parameters.
    bool ReadTrailer(TrailerRecord& record, std::vector<std::string>& strings,
                     std::vector<TrailerBlock>* blocks = nullptr) {
        File file;
        EXPECT_EQ(0u, file.Open(kImagePath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
        const TrailerRecord* found = m_trailer.Read(file);
        if (!found) return false;
        record = *found;
        while (auto s = m_trailer.NextString()) strings.emplace_back(*s);
        while (blocks) {
            auto block = m_trailer.NextBlock();
            if (!block) break;
            blocks->push_back(*block);
        }
        return true;
    }

    static ScreenBitmap Picture(int width, int height) {
        ScreenBitmap picture{width, height, std::vector<uint32_t>(size_t(width) * height)};
        for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = uint32_t(i * 0x010305);
        return picture;
    }

    int StoreThumbnail(int width, int height) {
        File file;
        EXPECT_EQ(0u, file.Open(kImagePath, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
        return StoreTrailerThumbnail(file, Picture(width, height));
    }

    TempDevice m_device;
    CImageTrailer m_trailer;
};

TEST_F(TrailerFileTest, TwoLetterNoteOnPlainFileAppendsExactly45Bytes) {
    const auto body = JpegBody();
    Put(body);
    const Seconds1904 created = CreationDate(kImagePath);
    ASSERT_NE(0u, created);

    ASSERT_EQ(0, SetTrailerNote(kImagePath, u"Hi"));

    const auto bytes = Bytes();
    ASSERT_EQ(body.size() + 45, bytes.size());
    EXPECT_TRUE(std::equal(body.begin(), body.end(), bytes.begin()));
    const uint8_t* t = bytes.data() + body.size();
    EXPECT_EQ(0, std::memcmp(t, "Kestrelview\0", 12));
    const uint8_t fixedHead[] = {0x00, 0x02, 0x00, 0x00};
    EXPECT_EQ(0, std::memcmp(t + 12, fixedHead, 4));
    EXPECT_EQ(created, ReadBE32(t + 16));
    EXPECT_EQ(RecordId{}, (RecordId{t[20], t[21], t[22], t[23], t[24], t[25], t[26], t[27]}));
    EXPECT_NE(RecordId{}, (RecordId{t[28], t[29], t[30], t[31], t[32], t[33], t[34], t[35]}));
    const uint8_t tail[] = {0x00, 0x1C, 0x00, 0x1F, 'H', 'i', 0x00, 0x00, 0x2B};
    EXPECT_EQ(0, std::memcmp(t + 36, tail, sizeof tail));
}

TEST_F(TrailerFileTest, EditsKeepTheForeignTrailerAtTheVeryEnd) {
    const auto body = JpegBody();
    const auto foreign = ForeignTrailer();
    Put(Concat(body, foreign));

    ASSERT_EQ(0, SetTrailerNote(kImagePath, u"a much longer first note"));
    ASSERT_EQ(0, SetTrailerCategory(kImagePath, RecordId{1, 1, 1, 1, 1, 1, 1, 1}));
    ASSERT_EQ(0, StoreThumbnail(4, 3));
    ASSERT_EQ(0, SetTrailerNote(kImagePath, u"2nd"));  // the trailer shrinks

    const auto bytes = Bytes();
    ASSERT_GT(bytes.size(), body.size() + foreign.size());
    EXPECT_TRUE(std::equal(body.begin(), body.end(), bytes.begin()));
    EXPECT_TRUE(std::equal(foreign.begin(), foreign.end(), bytes.end() - foreign.size()));
    TrailerRecord record;
    std::vector<std::string> strings;
    std::vector<TrailerBlock> blocks;
    ASSERT_TRUE(ReadTrailer(record, strings, &blocks));
    EXPECT_EQ(body.size(), m_trailer.InsertionPoint());
    EXPECT_EQ(FOREIGN_TRAILER_SIZE, m_trailer.ForeignLength());
    EXPECT_EQ((std::vector<std::string>{"2nd"}), strings);
    EXPECT_EQ((RecordId{1, 1, 1, 1, 1, 1, 1, 1}), record.category);
    ASSERT_EQ(1u, blocks.size());
    // Nothing is left between our trailer and the foreign one.
    EXPECT_EQ(bytes.size(), body.size() + 40 + 4 + 6 + 16 + 24 + 2 + foreign.size());
}

TEST_F(TrailerFileTest, VersionOneSkipsItsFirstStringAndIsRewrittenAsVersionTwo) {
    const auto body = JpegBody();
    Put(Concat(body, RawTrailer(1, {"producer data", "the note", "extra"})));

    TrailerRecord record;
    std::vector<std::string> strings;
    ASSERT_TRUE(ReadTrailer(record, strings));
    EXPECT_EQ(2, record.version);
    EXPECT_EQ((std::vector<std::string>{"the note", "extra"}), strings);

    ASSERT_EQ(0, SetTrailerPrivate(kImagePath, true));
    strings.clear();
    ASSERT_TRUE(ReadTrailer(record, strings));
    EXPECT_EQ(body.size(), m_trailer.InsertionPoint());
    EXPECT_EQ(1, record.privateFlag);
    EXPECT_EQ((RecordId{1, 2, 3, 4, 5, 6, 7, 8}), record.category);
    EXPECT_EQ(0x01020304u, record.date);
    EXPECT_EQ((std::vector<std::string>{"the note", "extra"}), strings);
    const auto bytes = Bytes();
    EXPECT_EQ(0x02, bytes[body.size() + 13]);  // version 00 02 on disk
}

TEST_F(TrailerFileTest, DamagedTrailersAreIgnoredAndANewOneIsAppended) {
    auto wrongId = RawTrailer(2, {"old"});
    wrongId[10] = 'x';
    auto version3 = RawTrailer(3, {"old"});
    for (const auto& damaged : {wrongId, version3}) {
        const auto before = Concat(JpegBody(), damaged);
        Put(before);
        TrailerRecord record;
        std::vector<std::string> strings;
        EXPECT_FALSE(ReadTrailer(record, strings));

        ASSERT_EQ(0, SetTrailerNote(kImagePath, u"Hi"));
        const auto bytes = Bytes();
        ASSERT_EQ(before.size() + 45, bytes.size());
        EXPECT_TRUE(std::equal(before.begin(), before.end(), bytes.begin()));
        ASSERT_TRUE(ReadTrailer(record, strings));
        EXPECT_EQ((std::vector<std::string>{"Hi"}), strings);
    }
}

TEST_F(TrailerFileTest, MergeRulesOfTheEdits) {
    const RecordId category{7, 7, 7, 7, 7, 7, 7, 7};
    const RecordId unique{5, 5, 5, 5, 5, 5, 5, 5};
    const std::vector<RawBlock> oldBlocks = {{0x22, 0, 1, {1, 2, 3}}, {0x23, 0, 2, {}}};
    struct Case {
        const char* name;
        int (*edit)(TrailerFileTest&);
        std::vector<std::string> strings;
        size_t blocks;
        uint16_t privateFlag;
        RecordId category;
    };
    const Case cases[] = {
        {"note drops old strings only", [](TrailerFileTest&) { return SetTrailerNote(kImagePath, u"new"); },
         {"new"}, 2, 1, category},
        {"category keeps all else",
         [](TrailerFileTest&) { return SetTrailerCategory(kImagePath, CATEGORY_ID_UNFILED); },
         {"a", "b"}, 2, 1, CATEGORY_ID_UNFILED},
        {"private keeps all else", [](TrailerFileTest&) { return SetTrailerPrivate(kImagePath, false); },
         {"a", "b"}, 2, 0, category},
        {"thumbnail drops old blocks only", [](TrailerFileTest& t) { return t.StoreThumbnail(2, 2); },
         {"a", "b"}, 1, 1, category},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put(Concat(JpegBody(), RawTrailer(2, {"a", "b"}, oldBlocks, 1, 1234, category, unique)));
        ASSERT_EQ(0, c.edit(*this));
        TrailerRecord record;
        std::vector<std::string> strings;
        std::vector<TrailerBlock> blocks;
        ASSERT_TRUE(ReadTrailer(record, strings, &blocks));
        EXPECT_EQ(c.strings, strings);
        EXPECT_EQ(c.blocks, blocks.size());
        EXPECT_EQ(c.privateFlag, record.privateFlag);
        EXPECT_EQ(c.category, record.category);
        EXPECT_EQ(unique, record.uniqueId);
        EXPECT_EQ(1234u, record.date);
        EXPECT_EQ(28, record.stringOffset);
    }
}

TEST_F(TrailerFileTest, UniqueIdIsMadeOnceAndKept) {
    Put(JpegBody());
    ASSERT_EQ(0, SetTrailerNote(kImagePath, u"x"));
    TrailerRecord first;
    std::vector<std::string> strings;
    ASSERT_TRUE(ReadTrailer(first, strings));
    ASSERT_EQ(0, SetTrailerPrivate(kImagePath, true));
    TrailerRecord second;
    ASSERT_TRUE(ReadTrailer(second, strings));
    EXPECT_NE(RecordId{}, first.uniqueId);
    EXPECT_EQ(first.uniqueId, second.uniqueId);
}

// Next to a 96 x 96 thumbnail (6 + 18448 bytes) the strings may take 1886
// bytes, or 1578 with the foreign trailer; one byte more is refused and the
// file keeps every byte.
TEST_F(TrailerFileTest, SizeLimitRefusesAndLeavesTheFileUnchanged) {
    struct Case {
        bool foreign;
        size_t noteLength;
        int expected;
    };
    const Case cases[] = {{false, 1885, 0}, {false, 1886, ERR_TRAILER_TOO_LARGE},
                          {true, 1577, 0}, {true, 1578, ERR_TRAILER_TOO_LARGE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.noteLength);
        Put(c.foreign ? Concat(JpegBody(), ForeignTrailer()) : JpegBody());
        ASSERT_EQ(0, StoreThumbnail(96, 96));
        const auto before = Bytes();
        EXPECT_EQ(c.expected, SetTrailerNote(kImagePath, std::u16string(c.noteLength, u'n')));
        const auto after = Bytes();
        if (c.expected != 0) {
            EXPECT_EQ(before, after);
        } else {
            const size_t trailer = 40 + 6 + 18448 + c.noteLength + 1;
            EXPECT_EQ(TRAILER_MAX_SIZE - (c.foreign ? FOREIGN_TRAILER_SIZE : 0), trailer);
            EXPECT_EQ(JpegBody().size() + trailer + 2 + (c.foreign ? FOREIGN_TRAILER_SIZE : 0),
                      after.size());
        }
    }
}

// A full disk part way through the trailer: the edit fails and the file,
// image data and old trailer alike, is byte for byte as it was.
TEST_F(TrailerFileTest, AWriteThatFailsPartWayLeavesTheFileAsItWas) {
    const struct {
        const char* name;
        std::vector<uint8_t> file;
        bool withNote;
    } cases[] = {
        {"no trailer", JpegBody(), false},
        {"a trailer", JpegBody(), true},
        {"a foreign trailer", Concat(JpegBody(), ForeignTrailer()), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Put(c.file);
        if (c.withNote) {
            ASSERT_EQ(0, SetTrailerNote(kImagePath, u"old note"));
        }
        const std::vector<uint8_t> before = Bytes();
        int result = 0;
        {
            const FileSizeLimit limit(before.size() + 20);
            result = SetTrailerNote(kImagePath, std::u16string(200, u'n'));
        }
        EXPECT_NE(0, result);
        EXPECT_EQ(before, Bytes());
    }
}

TEST_F(TrailerFileTest, EmptyFileIsRefusedWithNoData) {
    Put({});
    EXPECT_EQ(ERR_TRAILER_NO_DATA, SetTrailerNote(kImagePath, u"x"));
    EXPECT_TRUE(Bytes().empty());
    // A file that is nothing but a foreign trailer has no image data either.
    Put(ForeignTrailer());
    EXPECT_EQ(ERR_TRAILER_NO_DATA, SetTrailerCategory(kImagePath, RecordId{1}));
    EXPECT_EQ(ForeignTrailer(), Bytes());
}

TEST_F(TrailerFileTest, MissingFileGivesTheOpenError) {
    EXPECT_EQ(int(ERROR_FILE_NOT_FOUND), SetTrailerNote(u"\\nothing.jpg", u"x"));
}

TEST_F(TrailerFileTest, TrailerInALongFileIsFoundInItsLast20480Bytes) {
    const auto body = JpegBody(100000);
    Put(Concat(body, RawTrailer(2, {"far"})));
    TrailerRecord record;
    std::vector<std::string> strings;
    ASSERT_TRUE(ReadTrailer(record, strings));
    EXPECT_EQ(body.size(), m_trailer.InsertionPoint());
    EXPECT_EQ((std::vector<std::string>{"far"}), strings);
}

TEST_F(TrailerFileTest, NotesDropCarriageReturnsAndAreCutAt4095Bytes) {
    Put(JpegBody());
    ASSERT_EQ(0, SetTrailerNote(kImagePath, u"line one\r\nline two\r\n\u00e9"));
    TrailerRecord record;
    std::vector<std::string> strings;
    ASSERT_TRUE(ReadTrailer(record, strings));
    EXPECT_EQ((std::vector<std::string>{"line one\nline two\n\xe9"}), strings);
    EXPECT_EQ(u"line one\r\nline two\r\n\u00e9", NoteFromStored(strings[0]));

    EXPECT_EQ(std::string(4095, 'a'), NoteToStored(std::u16string(5000, u'a')));
    EXPECT_EQ("ab", NoteToStored(std::u16string(u"ab\0cd", 5)));
    // Notes stored with CR LF by others do not gain a second CR.
    EXPECT_EQ(u"a\r\nb\r\n", NoteFromStored("a\r\nb\n"));
}

// --- parsing bytes held in memory ------------------------------------------

std::vector<std::string> Strings(CImageTrailer& trailer) {
    std::vector<std::string> out;
    while (auto s = trailer.NextString()) out.emplace_back(*s);
    return out;
}

size_t BlockCount(CImageTrailer& trailer) {
    size_t n = 0;
    while (trailer.NextBlock()) ++n;
    return n;
}

TEST(TrailerParse, LengthsThatLieFindNoTrailer) {
    const auto good = Concat(JpegBody(100), RawTrailer(2, {"n"}));
    CImageTrailer trailer;
    ASSERT_NE(nullptr, trailer.Parse(good, 0));

    struct Case {
        const char* name;
        uint16_t length;
    };
    const Case cases[] = {{"below 40", 39}, {"one too long", uint16_t(good.size() - 100 - 1)},
                          {"beyond the buffer", 0xFFFF}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto bytes = good;
        WriteBE16(&bytes[bytes.size() - 2], c.length);
        EXPECT_EQ(nullptr, trailer.Parse(bytes, 0));
        EXPECT_EQ(bytes.size(), trailer.InsertionPoint());
    }
    EXPECT_EQ(nullptr, trailer.Parse(std::vector<uint8_t>{0x00}, 0));
}

TEST(TrailerParse, StringsStopAtTheBlockAreaAndTheDataEnd) {
    auto bytes = RawTrailer(2, {"one", "two"}, {{1, 3, 0, {0xAB, 0xCD}}});
    CImageTrailer trailer;
    ASSERT_NE(nullptr, trailer.Parse(bytes, 0));
    EXPECT_EQ((std::vector<std::string>{"one", "two"}), Strings(trailer));
    EXPECT_FALSE(trailer.NextString());  // stays at the end

    // A block offset past the data: strings end with the data, unterminated
    // text is cut there.
    WriteBE16(&bytes[12 + 26], 0xFFF0);
    ASSERT_NE(nullptr, trailer.Parse(bytes, 0));
    // The block bytes 00 01 03 00 00 02 AB CD read as four strings, the last
    // without its NUL.
    const std::vector<std::string> expected = {"one", "two", "", "\x01\x03", "", "\x02\xAB\xCD"};
    EXPECT_EQ(expected, Strings(trailer));
    EXPECT_EQ(0u, BlockCount(trailer));

    // A string offset past the data gives no strings at all.
    WriteBE16(&bytes[12 + 24], 0xFFF0);
    ASSERT_NE(nullptr, trailer.Parse(bytes, 0));
    EXPECT_TRUE(Strings(trailer).empty());
}

TEST(TrailerParse, BlockWhoseLengthLiesEndsTheIteration) {
    auto bytes = RawTrailer(2, {}, {{1, 3, 0, {1, 2, 3}}, {2, 0, 9, {4, 5}}});
    CImageTrailer trailer;
    ASSERT_NE(nullptr, trailer.Parse(bytes, 0));
    EXPECT_EQ(2u, BlockCount(trailer));
    // Second block's length (bytes 4-5 of its header) one more than held.
    const size_t second = 40 + 6 + 3;
    WriteBE16(&bytes[second + 4], 3);
    ASSERT_NE(nullptr, trailer.Parse(bytes, 0));
    auto first = trailer.NextBlock();
    ASSERT_TRUE(first);
    EXPECT_EQ(3u, first->payload.size());
    EXPECT_FALSE(trailer.NextBlock());
    EXPECT_FALSE(trailer.NextBlock());
}

TEST(TrailerParse, FindBlockTakesTheFirstAtOrAboveTheKeyElseTheLast) {
    const auto bytes =
        RawTrailer(2, {}, {{5, 0, 1, {}}, {6, 0, 4, {}}, {1, 3, 0, {0x11}}, {7, 0, 9, {}}});
    CImageTrailer trailer;
    ASSERT_NE(nullptr, trailer.Parse(bytes, 0));
    EXPECT_EQ(6, trailer.FindBlock(3)->header.type);
    EXPECT_EQ(5, trailer.FindBlock(0)->header.type);
    EXPECT_EQ(7, trailer.FindBlock(10)->header.type);
    // The renderer's lookup (key 3) lands on type 6 here: no thumbnail.
    EXPECT_FALSE(trailer.FindThumbnail());

    const auto thumbOnly = RawTrailer(2, {"n"}, {{1, 3, 0, {0x11, 0x22}}});
    ASSERT_NE(nullptr, trailer.Parse(thumbOnly, 0));
    ASSERT_TRUE(trailer.FindThumbnail());
    EXPECT_EQ(0x22, (*trailer.FindThumbnail())[1]);

    ASSERT_NE(nullptr, trailer.Parse(RawTrailer(2, {"n"}), 0));
    EXPECT_FALSE(trailer.FindBlock(3));
}

TEST(TrailerBuild, StringsGoBeforeBlocksAndMoveTheBlockOffset) {
    TrailerRecord record;
    record.date = 99;
    record.stringOffset = 5;
    TrailerBuffer buffer;
    ASSERT_EQ(0, NewTrailer(&record, buffer));
    EXPECT_EQ(2, record.version);
    EXPECT_EQ(28, record.stringOffset);
    EXPECT_EQ(28, record.blockOffset);
    const uint8_t payload[] = {0xEE};
    ASSERT_EQ(0, AddBlock(buffer, TrailerBlock{{1, {3, 0}, 0}, payload}));
    ASSERT_EQ(0, AddString(buffer, std::string_view("ab")));
    ASSERT_EQ(0, AddString(buffer, std::nullopt));
    EXPECT_EQ(28 + 4, buffer.Record().blockOffset);
    EXPECT_EQ(99u, buffer.Record().date);
    const std::vector<uint8_t> tail(buffer.Bytes().begin() + 40, buffer.Bytes().end());
    EXPECT_EQ((std::vector<uint8_t>{'a', 'b', 0, 0, 0, 1, 3, 0, 0, 1, 0xEE}), tail);

    std::vector<uint8_t> huge(0x10000);
    EXPECT_EQ(ERR_TRAILER_TOO_LARGE, AddBlock(buffer, TrailerBlock{{1, {3, 0}, 0}, huge}));
    EXPECT_EQ(ERR_TRAILER_TOO_LARGE, AddString(buffer, std::string(0xFFFF, 'x')));
}

// --- thumbnails -------------------------------------------------------------

TEST(Thumbnail, SizeKeepsTheLongerSideAt96) {
    struct Case {
        uint32_t width, height;
        ThumbnailSize expected;
    };
    const Case cases[] = {{640, 480, {96, 72}}, {480, 640, {72, 96}}, {1000, 1000, {96, 96}},
                          {48, 48, {96, 96}},   {1600, 1200, {96, 72}}, {10000, 1, {96, 1}},
                          {0, 480, {0, 0}},     {65535, 65535, {96, 96}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        EXPECT_EQ(c.expected, ThumbnailSizeFor(c.width, c.height));
    }
}

TEST(Thumbnail, EncodeWritesTheHeaderAndRgb565BigEndian) {
    const ScreenBitmap picture{2, 1, {0xFF0000, 0x123456}};
    std::vector<uint8_t> payload;
    ASSERT_EQ(0, EncodeThumbnail(picture, payload));
    const std::vector<uint8_t> expected = {0, 2, 0, 1, 0, 4, 0, 0, 16, 2, 0, 0, 0, 0, 0, 0,
                                           0xF8, 0x00, 0x11, 0xAA};
    EXPECT_EQ(expected, payload);

    ScreenBitmap decoded;
    ASSERT_EQ(0, DecodeThumbnail(payload, decoded));
    EXPECT_EQ(2, decoded.width);
    EXPECT_EQ(1, decoded.height);
    // 5 and 6 bits widen by repeating their top bits: 0x12 -> 0x12, 0x34 -> 0x35, 0x56 -> 0x52.
    EXPECT_EQ((std::vector<uint32_t>{0xFF0000, 0x123552}), decoded.pixels);

    EXPECT_NE(0, EncodeThumbnail(ScreenBitmap{97, 1, std::vector<uint32_t>(97)}, payload));
    EXPECT_NE(0, EncodeThumbnail(ScreenBitmap{2, 2, std::vector<uint32_t>(3)}, payload));
}

std::vector<uint8_t> CompressedHeader(uint16_t width, uint16_t height, uint16_t rowBytes) {
    std::vector<uint8_t> p = {0, 0, 0, 0, 0, 0, 0x80, 0, 16, 2, 0, 0, 0, 0, 0, 0, 0xEE, 0xEE};
    WriteBE16(&p[0], width);
    WriteBE16(&p[2], height);
    WriteBE16(&p[4], rowBytes);
    return p;
}

TEST(Thumbnail, CompressedRowsStartFromTheRowAbove) {
    // 5 pixels in rows of 10 bytes: two groups, the second of 2 bytes.
    auto payload = CompressedHeader(5, 3, 10);
    const std::vector<uint8_t> coded = {
        0xC0, 0xF8, 0x00, 0x80, 0x07,  // row 0: pixel 0 = F800, high byte of pixel 4 = 07
        0x03, 0x00, 0x1F, 0x00,        // row 1: pixel 3 = 001F, the rest as above
        0x00, 0xC0, 0xFF, 0xFF,        // row 2: pixel 4 = FFFF
    };
    payload.insert(payload.end(), coded.begin(), coded.end());
    ScreenBitmap picture;
    ASSERT_EQ(0, DecodeThumbnail(payload, picture));
    const std::vector<uint32_t> expected = {
        0xFF0000, 0, 0, 0,        0x00E000,
        0xFF0000, 0, 0, 0x0000FF, 0x00E000,
        0xFF0000, 0, 0, 0x0000FF, 0xFFFFFF,
    };
    EXPECT_EQ(expected, picture.pixels);

    // Every proper prefix of the coded data is refused, never over-read.
    for (size_t cut = 0; cut < coded.size(); ++cut) {
        SCOPED_TRACE(cut);
        const std::vector<uint8_t> shorter(payload.begin(), payload.end() - 1 - cut);
        EXPECT_EQ(int(ERROR_INVALID_DATA), DecodeThumbnail(shorter, picture));
    }
}

TEST(Thumbnail, MalformedHeadersAreRefused) {
    std::vector<uint8_t> good;
    ASSERT_EQ(0, EncodeThumbnail(ScreenBitmap{3, 2, std::vector<uint32_t>(6, 0x808080)}, good));
    struct Case {
        const char* name;
        size_t offset;
        uint8_t value;
    };
    const Case cases[] = {{"zero width", 1, 0}, {"zero height", 3, 0}, {"rows too short", 5, 5},
                          {"8 bits", 8, 8},     {"taller than held", 3, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto bad = good;
        bad[c.offset] = c.value;
        ScreenBitmap picture;
        EXPECT_EQ(int(ERROR_INVALID_DATA), DecodeThumbnail(bad, picture));
        EXPECT_TRUE(picture.pixels.empty());
    }
    ScreenBitmap picture;
    EXPECT_EQ(int(ERROR_INVALID_DATA), DecodeThumbnail(std::span(good).first(15), picture));
    // Wider rows than needed are skipped over.
    auto padded = good;
    padded[5] = 8;
    padded.insert(padded.begin() + 16 + 6, {0xAA, 0xBB});
    padded.insert(padded.end(), {0xAA, 0xBB});
    ASSERT_EQ(0, DecodeThumbnail(padded, picture));
    EXPECT_EQ(std::vector<uint32_t>(6, 0x808080), picture.pixels);
}

TEST_F(TrailerFileTest, StoredThumbnailIsFoundTheWayTheRendererLooks) {
    Put(JpegBody());
    ASSERT_EQ(0, SetTrailerNote(kImagePath, u"keep me"));
    ASSERT_EQ(0, StoreThumbnail(96, 72));
    ASSERT_EQ(0, StoreThumbnail(72, 96));
    File file;
    ASSERT_EQ(0u, file.Open(kImagePath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    ASSERT_NE(nullptr, m_trailer.Read(file));
    EXPECT_EQ("keep me", m_trailer.NextString().value_or(""));
    auto payload = m_trailer.FindThumbnail();
    ASSERT_TRUE(payload);
    EXPECT_EQ(16u + 2 * 72 * 96, payload->size());
    ScreenBitmap picture;
    ASSERT_EQ(0, DecodeThumbnail(*payload, picture));
    EXPECT_EQ(72, picture.width);
    EXPECT_EQ(96, picture.height);
    EXPECT_EQ(1u, BlockCount(m_trailer));
}

}  // namespace

// A thumbnail being made reads the photo on another thread: an edit made
// meanwhile waits for that read instead of failing with a sharing error.
TEST_F(TrailerFileTest, AnEditWaitsForABriefReadOnAnotherThread) {
    Put(JpegBody());
    File reader;
    ASSERT_EQ(0u, reader.Open(kImagePath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        reader.Close();
    });
    EXPECT_EQ(0, SetTrailerCategory(kImagePath, RecordId{2, 2, 2, 2, 2, 2, 2, 2}));
    release.join();
    TrailerRecord record;
    std::vector<std::string> strings;
    ASSERT_TRUE(ReadTrailer(record, strings, nullptr));
    EXPECT_EQ((RecordId{2, 2, 2, 2, 2, 2, 2, 2}), record.category);
}
