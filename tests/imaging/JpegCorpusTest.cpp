#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/JpegDecoder.h"
#include "imaging/JpegHeader.h"
#include "platform/base/File.h"
#include "tests/support/TestSupport.h"

// Header facts of the shared corpus against the manifest that an independent
// marker and EXIF walker wrote.
namespace {

using Row = std::map<std::string, std::string>;

std::vector<Row> ReadManifest(const std::string& path) {
    std::ifstream in(path);
    std::vector<Row> rows;
    std::string line;
    std::vector<std::string> columns;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, '\t')) fields.push_back(field);
        if (columns.empty()) {
            columns = fields;
            continue;
        }
        Row row;
        for (size_t i = 0; i < columns.size(); ++i) row[columns[i]] = i < fields.size() ? fields[i] : "";
        rows.push_back(row);
    }
    return rows;
}

// The frame result the header rules give for the manifest's frame facts.
int ExpectedFromFrame(const Row& row) {
    const std::string& sof = row.at("sof");
    if (sof.empty()) return -218;
    if (sof != "c0" && sof != "c1" && sof != "c2" && sof != "c9" && sof != "ca") return -218;
    if (row.at("precision") != "8") return -205;
    int components = std::stoi(row.at("components"));
    if (components >= 5) return -208;
    bool widthZero = row.at("width") == "0", heightZero = row.at("height") == "0";
    if (widthZero && heightZero) return 2;
    if (widthZero != heightZero) return -206;
    return 0;
}

bool InFolder(const std::string& path, const char* folder) { return path.rfind(folder, 0) == 0; }

// Files where the rules of our reader legitimately part from the manifest.
// The Exif IFD pointer is followed whatever type it is stored with; these two
// store it as ASCII with a 4-byte count, so the value in the entry still
// leads to the Exif IFD and its date, which the manifest's walker refuses.
const char* const kExifPointerAsText[] = {
    "conformance/pil_exif_typeerror.jpg",
    "camera/ian_tests_30-type_error.jpg",
    // The TIFF header's 42 is not checked (the manifest's walker stops
    // there); exiftool, which reads on, finds the same IFD1 thumbnail.
    "malformed/jd_its_c3018ebe53d0046eecb58858ca869a99.jpg",
};

bool IsListed(const std::string& path) {
    for (const char* listed : kExifPointerAsText) {
        if (path == listed) return true;
    }
    return false;
}

struct Outcome {
    int result = 0;
    ImageHeaderInfo info{};
    bool beyondFirstChunk = false;  // the header read needed a second chunk
    int start = 0;                  // result of the start of decoding
    int thumbStart = 0;             // the same on the embedded thumbnail
    std::string thumbSize;          // its frame's "WxH"
};

Outcome ReadHeader(const std::string& path) {
    Outcome out;
    File file;
    if (file.OpenHost(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) != 0) {
        out.result = 99999;
        return out;
    }
    out.result = ReadImageHeaderInfo(file, out.info);
    JpegDecoder decoder;
    if (decoder.Open(file) == 0) out.beyondFirstChunk = decoder.m_source->ChunksRead() > 1;
    out.start = decoder.StartDecoding(false);
    if (out.info.hasEmbeddedThumbnail) {
        JpegDecoder thumb;
        thumb.Open(file);
        out.thumbStart = thumb.StartDecoding(true);
        out.thumbSize = std::to_string(thumb.m_frame.width) + "x" + std::to_string(thumb.m_frame.height);
    }
    return out;
}

// What the colour set-up and the scan layout make of the manifest's frame.
int ExpectedStart(const Row& row) {
    const std::string& sampling = row.at("sampling");
    const std::string& components = row.at("components");
    if (components != "1" && components != "3" && components != "4") return -225;
    static const char* const kLayouts[] = {"1x1,1x1,1x1",     "1x2,1x1,1x1",     "2x1,1x1,1x1",
                                           "2x2,1x1,1x1",     "1x1,1x1,1x1,1x1", "1x2,1x1,1x1,1x2",
                                           "2x1,1x1,1x1,2x1", "2x2,1x1,1x1,2x2"};
    if (components == "1") return 0;
    for (const char* layout : kLayouts) {
        if (sampling == layout) return 0;
    }
    return -226;
}

void CheckExifFacts(const Row& row, const Outcome& got) {
    const std::string& path = row.at("path");
    std::string date = row.at("exif_datetime_original").substr(0, 19);
    bool thumb = row.at("ifd1_jpeg_thumb") == "yes";
    if (got.beyondFirstChunk) {
        // The values pointed into a chunk that has since been replaced.
        date.clear();
        thumb = false;
    } else if (IsListed(path)) {
        return;
    }
    EXPECT_EQ(std::string(got.info.dateText), date) << path;
    EXPECT_EQ(got.info.hasEmbeddedThumbnail != 0, thumb) << path;
    // The thumbnail's own frame, as exiftool extracted and djpeg decoded it.
    const std::string& decoded = row.at("thumb_decoded");
    if (got.info.hasEmbeddedThumbnail && !decoded.empty() && decoded.find(' ') == std::string::npos &&
        decoded != "fail") {
        EXPECT_EQ(got.thumbStart, 0) << path;
        EXPECT_EQ(got.thumbSize, decoded) << path;
    }
}

}  // namespace

// Conformance and camera files give exactly the result the frame facts call
// for. Malformed files often fail earlier, in a damaged table segment the
// manifest does not describe; for them the check is that whatever we accept
// the manifest accepts too, with the same dimensions.
TEST(JpegCorpus, HeaderFactsMatchTheManifest) {
    std::string dir = CorpusDir();
    // The corpus always lies beside the project (../shared/corpus) where the
    // tests run; without it these checks would pass having checked nothing.
    ASSERT_FALSE(dir.empty()) << "the JPEG corpus is missing: " << KV_CORPUS_DIR << " (or $KV_CORPUS_DIR)";
    std::vector<Row> rows = ReadManifest(dir + "/manifest.tsv");
    ASSERT_GT(rows.size(), 700u);
    int accepted = 0, beyond = 0;
    for (const Row& row : rows) {
        const std::string& path = row.at("path");
        Outcome got = ReadHeader(dir + "/" + path);
        int expected = row.at("bytes") == "0" ? -1 : ExpectedFromFrame(row);
        if (!InFolder(path, "malformed/")) {
            EXPECT_EQ(got.result, expected) << path;
        } else if (got.result == 0 || got.result == 2) {
            EXPECT_EQ(got.result, expected) << path;
        }
        if (got.result != 0 || expected != 0) continue;
        ++accepted;
        beyond += got.beyondFirstChunk;
        EXPECT_EQ(std::to_string(got.info.width), row.at("width")) << path;
        EXPECT_EQ(std::to_string(got.info.height), row.at("height")) << path;
        CheckExifFacts(row, got);
        if (!InFolder(path, "malformed/")) {
            EXPECT_EQ(got.start, ExpectedStart(row)) << path;
        }
    }
    // The corpus holds hundreds of readable headers, a few of them longer
    // than one chunk; a reader that found none would be suspect.
    EXPECT_GT(accepted, 250);
    EXPECT_GT(beyond, 0);
    std::printf("%d headers accepted, %d of them beyond the first chunk\n", accepted, beyond);
}
