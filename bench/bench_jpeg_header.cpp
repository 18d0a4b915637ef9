#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "imaging/JpegHeader.h"
#include "platform/base/File.h"

namespace {

// Camera photos of the shared corpus: EXIF with a thumbnail, a large phone
// photo, and one whose APP1 is larger than the first chunk.
const char* const kCameraFiles[] = {
    "camera/ian_Canon_40D.jpg",
    "camera/ian_mobile_HMD_Nokia_8.3_5G.jpg",
    "camera/ian_Samsung_Digimax_i50_MP3.jpg",
};

void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void Segment(std::vector<uint8_t>& out, uint8_t marker, const std::vector<uint8_t>& body) {
    out.insert(out.end(), {0xFF, marker});
    Put16(out, uint16_t(body.size() + 2));
    out.insert(out.end(), body.begin(), body.end());
}

// A camera-like header: JFIF, an EXIF block with IFD0 -> Exif IFD (date)
// and IFD1 (thumbnail), two quantisation and four Huffman tables, a
// 4000 x 3000 4:2:0 frame, a scan header and some entropy-coded bytes.
std::vector<uint8_t> CameraLikeJpeg() {
    std::vector<uint8_t> tiff(8192, 0);
    auto put16 = [&](size_t at, uint16_t v) { tiff[at] = uint8_t(v); tiff[at + 1] = uint8_t(v >> 8); };
    auto put32 = [&](size_t at, uint32_t v) { put16(at, uint16_t(v)); put16(at + 2, uint16_t(v >> 16)); };
    auto entry = [&](size_t at, uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        put16(at, tag), put16(at + 2, type), put32(at + 4, count), put32(at + 8, value);
    };
    tiff[0] = tiff[1] = 'I';
    put16(2, 42), put32(4, 8);
    put16(8, 1), entry(10, 34665, 4, 1, 100), put32(22, 200);
    put16(100, 1), entry(102, 36867, 2, 20, 150), put32(114, 0);
    std::memcpy(&tiff[150], "2003:07:14 09:05:30", 20);
    put16(200, 3), entry(202, 259, 3, 1, 6), entry(214, 513, 4, 1, 300), entry(226, 514, 4, 1, 6000);
    put32(238, 0);
    std::vector<uint8_t> app1(6 + tiff.size(), 0);
    std::memcpy(app1.data(), "Exif", 4);
    std::memcpy(app1.data() + 6, tiff.data(), tiff.size());

    std::vector<uint8_t> out = {0xFF, 0xD8};
    Segment(out, 0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    Segment(out, 0xE1, app1);
    for (uint8_t t = 0; t < 2; ++t) {
        std::vector<uint8_t> dqt(65, 16);
        dqt[0] = t;
        Segment(out, 0xDB, dqt);
    }
    for (uint8_t cls : {0x00, 0x10, 0x01, 0x11}) {
        std::vector<uint8_t> dht(17, 0);
        dht[0] = cls;
        dht[8] = 12;
        for (uint8_t s = 0; s < 12; ++s) dht.push_back(s);
        Segment(out, 0xC4, dht);
    }
    Segment(out, 0xC0, {8, 0x0B, 0xB8, 0x0F, 0xA0, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
    Segment(out, 0xDA, {3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0});
    out.resize(out.size() + 100000, 0x55);
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

void BM_ReadImageHeaderInfo_CameraFile(benchmark::State& state) {
    std::string path = std::string(KV_CORPUS_DIR) + "/" + kCameraFiles[state.range(0)];
    File probe;
    if (probe.OpenHost(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) != 0) {
        state.SkipWithError("corpus file absent");
        return;
    }
    probe.Close();
    state.SetLabel(kCameraFiles[state.range(0)]);
    for (auto _ : state) {
        File file;
        file.OpenHost(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        ImageHeaderInfo info;
        benchmark::DoNotOptimize(ReadImageHeaderInfo(file, info));
        benchmark::DoNotOptimize(HeaderDate(info));
    }
}
BENCHMARK(BM_ReadImageHeaderInfo_CameraFile)->DenseRange(0, 2);

void BM_ReadImageHeaderInfo_Memory(benchmark::State& state) {
    std::vector<uint8_t> jpeg = CameraLikeJpeg();
    ImageHeaderInfo check;
    if (ReadImageHeaderInfo(jpeg.data(), jpeg.size(), check) != 0 || !check.hasEmbeddedThumbnail ||
        HeaderDate(check) == 0) {
        state.SkipWithError("generated JPEG not read as expected");
        return;
    }
    for (auto _ : state) {
        ImageHeaderInfo info;
        benchmark::DoNotOptimize(ReadImageHeaderInfo(jpeg.data(), jpeg.size(), info));
        benchmark::DoNotOptimize(HeaderDate(info));
    }
}
BENCHMARK(BM_ReadImageHeaderInfo_Memory);

}  // namespace

BENCHMARK_MAIN();
