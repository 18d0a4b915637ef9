#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "imaging/JpegErrors.h"
#include "imaging/JpegSource.h"

class File;
struct ImageHeaderInfo;

// The standard zig-zag order (ITU-T T.81 figure A.6): position in the coded
// order to position in natural row-major order.
extern const uint8_t kJpegZigZag[64];

// One Huffman table as defined by a DHT segment (T.81 B.2.4.2). Slots 0..3
// hold DC tables, 4..7 AC tables. The entropy decoder keeps the decoding
// tables it builds from these in its own state.
struct HuffSlot {
    uint8_t bits[17];      // bits[0] is always 0; bits[L] = codes of length L
    uint8_t huffval[256];  // symbols in code order
};

struct JpegFrameComponent {
    uint8_t id;
    uint8_t h;           // horizontal sampling factor
    uint8_t v;           // vertical sampling factor
    uint8_t quantTable;  // 0..3
};

struct JpegFrame {
    uint16_t width;
    uint16_t height;
    uint8_t componentCount;  // 0..4
    JpegFrameComponent components[4];
};

struct JpegScanComponent {
    uint8_t frameIndex;  // index into JpegFrame::components
    uint8_t dcSlot;      // Td, 0..3
    uint8_t acSlot;      // Ta + 4, 4..7
};

struct JpegScan {
    uint8_t componentCount;  // Ns, 1..4
    JpegScanComponent components[4];
    uint8_t ss, se;  // spectral selection: first and last coefficient (zig-zag)
    uint8_t ah, al;  // successive approximation: previous and current bit shift
};

// How the entropy-coded data is coded, from the frame marker.
enum JpegCoding : uint8_t {
    JPEG_CODING_NONE = 0,         // no frame header read, or one this decoder refuses
    JPEG_CODING_BASELINE,         // SOF0
    JPEG_CODING_EXTENDED,         // SOF1: sequential, Huffman
    JPEG_CODING_PROGRESSIVE,      // SOF2: progressive, Huffman
    JPEG_CODING_ARITHMETIC,       // SOF9: sequential, arithmetic
    JPEG_CODING_ARITHMETIC_PROGRESSIVE,  // SOF10
};
// "baseline", "extended", "progressive", "arithmetic",
// "arithmetic-progressive", or null for JPEG_CODING_NONE.
const char* JpegCodingName(uint8_t coding);

// What the samples of the components stand for (from the JFIF and Adobe
// markers and the component identifiers, as libjpeg decides it).
enum JpegColourSpace : uint8_t {
    JPEG_SPACE_GREY = 0,
    JPEG_SPACE_YCC,
    JPEG_SPACE_RGB,
    JPEG_SPACE_CMYK,  // as stored by Adobe: inverted
    JPEG_SPACE_YCCK,
};

// Arithmetic conditioning (DAC): per DC table the bounds L and U, per AC
// table Kx (T.81 F.1.4.4.1.4, F.1.4.4.2.1).
struct JpegArithConditioning {
    uint8_t dcLower[4];
    uint8_t dcUpper[4];
    uint8_t acKx[4];
};

// Colour modes chosen from the frame at the start of decoding.
enum JpegColourMode : uint8_t {
    JPEG_MODE_GREY = 0,      // 1 component, MCU 8 x 8, 1 block
    JPEG_MODE_YCC_1X1 = 1,   // 3 components, MCU 8 x 8, 3 blocks
    JPEG_MODE_YCC_1X2 = 2,   // luma 1 x 2, MCU 8 x 16, 4 blocks
    JPEG_MODE_YCC_2X1 = 3,   // luma 2 x 1, MCU 16 x 8, 4 blocks
    JPEG_MODE_YCC_2X2 = 4,   // luma 2 x 2, MCU 16 x 16, 6 blocks
};

// Scans beyond this many are ignored: a real scan script has a few dozen
// at most, and each scan may cost work over the whole picture.
constexpr int kJpegMaxScans = 1000;

// Blocks in one MCU: T.81 allows at most 10.
constexpr int kJpegMaxMcuBlocks = 10;

// How the blocks of one MCU are laid out, at full scale. For a picture whose
// coefficients are gathered over several scans first (progressive,
// arithmetic, or sequential in more than one scan) this is the MCU of all
// components in frame order that the output is made from.
struct JpegMcuLayout {
    uint8_t colourMode;
    uint8_t colourSpace;
    uint8_t mcuWidth;   // pixels: 8 or 16
    uint8_t mcuHeight;  // pixels: 8 or 16
    uint16_t mcusPerRow;
    uint16_t mcuRows;
    uint8_t blocksPerMcu;  // 1..10
    uint8_t blockComponent[kJpegMaxMcuBlocks];      // frame component of each block
    uint8_t blockScanComponent[kJpegMaxMcuBlocks];  // scan component of each block (its DC/AC slots)
    // The coefficients arrive over several scans and are gathered first.
    bool buffered;
};

// Header facts of the image being decoded. The EXIF pointers point into the
// source's buffer and are valid only while the chunk they came from is held.
struct JpegImageInfo {
    uint16_t width;
    uint16_t height;
    uint32_t paddedWidth;  // rounded up to whole MCUs (65535 pads to 65536)
    uint32_t paddedHeight;
    uint16_t mcuHeight;
    const uint8_t* dateTimeOriginal;  // EXIF DateTimeOriginal text, or null
    uint8_t dateTimeOriginalLength;   // bytes held at the pointer, at most 19
    const uint8_t* thumbnail;         // embedded EXIF JPEG thumbnail, or null
    uint32_t thumbnailLength;         // the thumbnail's bytes all lie in the buffer
    uint8_t orientation;              // EXIF orientation of the main image, 1..8; 0 = none
};

// The state of one decode: the source, the tables and headers of the stream,
// and the first error met. A decode runs Open, GetHeaderInfo, StartDecoding
// and then the entropy decoder's MCU rows; the decoder serves one decode.
//
// The entropy decoder either derives from this class and overrides the two
// build steps, which StartDecoding calls at their place in the sequence, or
// holds a decoder, calls StartDecoding and then builds its tables itself.
class JpegDecoder {
public:
    JpegDecoder();
    virtual ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    // Reads the file from its start up to and including the frame header.
    // Returns JPEG_ERR_EMPTY_FILE for an empty file, else the error number.
    // The file must stay open until the decode ends.
    int Open(File& file);
    // The same over a block of memory the caller keeps alive.
    int OpenMemory(const uint8_t* data, size_t size);

    // Width, height, thumbnail flag and date text; returns the error number,
    // or JPEG_HEADER_NO_DIMENSIONS when width and height are both 0.
    int GetHeaderInfo(ImageHeaderInfo& info) const;
    // Fills the sizes of JpegImageInfo from the MCU layout; returns the error.
    int GetImageInfo(JpegImageInfo& info);
    // Reads on to the scan: optionally restarts on the embedded thumbnail,
    // chooses the colour mode, parses the scan header and lays out the MCU.
    int StartDecoding(bool useEmbeddedThumbnail);

    int Error() const { return m_error; }
    bool HasEmbeddedThumbnail() const { return m_info.thumbnail != nullptr; }

protected:
    // Steps of the entropy decoder. BuildColourTables runs once the colour
    // mode and MCU size are chosen; BuildHuffmanTables once the MCU layout is
    // known. Neither runs when an error is set.
    virtual void BuildColourTables() {}
    virtual void BuildHuffmanTables() {}

public:
    // The stream state, read by the entropy decoder.
    std::unique_ptr<JpegSource> m_source;
    const uint8_t* m_ptr = nullptr;  // next byte to read
    const uint8_t* m_end = nullptr;  // end of valid data in the source

    uint8_t m_zigZag[64];
    HuffSlot m_huff[8];
    uint16_t m_quant[4][64];  // natural order
    JpegFrame m_frame;
    JpegScan m_scan;
    JpegMcuLayout m_layout;
    uint16_t m_restartInterval = 0;
    int16_t m_error = 0;
    JpegImageInfo m_info;
    uint8_t m_coding = JPEG_CODING_NONE;
    int m_scansSeen = 0;
    bool m_sawJfif = false;
    bool m_sawAdobe = false;
    uint8_t m_adobeTransform = 0;
    JpegArithConditioning m_arith;

    // Makes the first error stick; later errors are ignored.
    void SetError(int16_t error) {
        if (m_error == 0) m_error = error;
    }

    // After a scan's entropy-coded data: reads on to the next scan header,
    // parsing the table segments between. Returns 1 when a scan header was
    // read, 0 at the end of the image or of the data, or the error number.
    // `code` is the marker already found at the end of the data (-1: none,
    // search from the read pointer).
    int NextScan(int code);
    // Skips entropy-coded data (and restart markers) from the read pointer
    // and returns the code of the marker that ends it, -1 at the end.
    int SkipEntropyData();

private:
    int OpenSource(std::unique_ptr<JpegSource> source);
    void Reset();
    void ReadHeader();
    void FindStartOfImage();
    int WalkMarkers(int code = -1);
    int NextMarker();
    void ParseApp0();
    void ParseApp14();
    void ParseArithConditioning();
    void CheckScan();

    void ParseFrameHeader();
    void ParseHuffmanTables();
    void ParseQuantTables();
    void ParseRestartInterval();
    void SkipSegment();
    void ParseApp1();
    void ParseScanHeader();

    void SetUpOutput();
    uint8_t ColourSpaceOf() const;
    void LayOutMcu();

    // Reading: every read past the data held returns -1 (or false).
    int ReadByte();
    bool ReadBE16(uint16_t& value);
    bool Skip(uint32_t count);  // false when the data ends first
};
