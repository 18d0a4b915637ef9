// Decode throughput of the JPEG decoder at each scale against libjpeg-turbo
// (fast integer IDCT, no fancy upsampling, same scale), on large photo-like
// pictures made with ImageMagick (or, without it, drawn here) and cached
// beside the program; the 12 megapixel 4:2:0 one also made progressive
// (jpegtran's default scan script) and arithmetic-coded by jpegtran.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "imaging/JpegImageDecoder.h"

namespace {

struct Picture {
    const char* name;
    int width, height;
    const char* sampling;
    const char* transcode;  // jpegtran options applied to the baseline file, or null
};

const Picture kPictures[] = {
    {"8mp_420", 3264, 2448, "2x2,1x1,1x1", nullptr},
    {"8mp_422", 3264, 2448, "2x1,1x1,1x1", nullptr},
    {"12mp_420", 4000, 3000, "2x2,1x1,1x1", nullptr},
    {"12mp_422", 4000, 3000, "2x1,1x1,1x1", nullptr},
    {"12mp_prog", 4000, 3000, "2x2,1x1,1x1", "-progressive"},
    {"12mp_arith", 4000, 3000, "2x2,1x1,1x1", "-arithmetic"},
    {"12mp_arprog", 4000, 3000, "2x2,1x1,1x1", "-arithmetic -progressive"},
};

// A smooth picture with fine detail, like a photo.
bool DrawPpm(const std::string& path, int width, int height) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P6 %d %d 255\n", width, height);
    std::vector<uint8_t> row(size_t(width) * 3);
    uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = int((noise >> 16) & 15) - 8;
            const double u = double(x) / width, v = double(y) / height;
            const int r = int(128 + 100 * std::sin(6 * u + 2 * v)) + grain;
            const int g = int(128 + 90 * std::sin(9 * v - 3 * u * v)) + grain;
            const int b = int(128 + 80 * std::cos(5 * (u + v) + 40 * u * u)) + grain;
            uint8_t* p = &row[size_t(x) * 3];
            p[0] = uint8_t(std::clamp(r, 0, 255));
            p[1] = uint8_t(std::clamp(g, 0, 255));
            p[2] = uint8_t(std::clamp(b, 0, 255));
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0;
}

std::string CacheDir() {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path = n > 0 ? std::string(self, size_t(n)) : std::string("./x");
    return path.substr(0, path.rfind('/')) + "/bench_jpeg_images";
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::vector<uint8_t> data;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buffer[65536];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            data.insert(data.end(), buffer, buffer + got);
        std::fclose(f);
    }
    return data;
}

// Made once: a picture drawn here (smooth areas and fine detail, like a
// photo), encoded at quality 90.
const std::vector<uint8_t>& PictureData(const Picture& p) {
    static std::map<std::string, std::vector<uint8_t>> cache;
    auto found = cache.find(p.name);
    if (found != cache.end()) return found->second;
    const std::string dir = CacheDir();
    const std::string jpeg = dir + "/" + p.name + ".jpg";
    std::vector<uint8_t> data = ReadAll(jpeg);
    if (data.empty() && p.transcode) {
        // Made from the baseline picture of the same size and sampling.
        for (const Picture& base : kPictures) {
            if (base.transcode || base.width != p.width || std::string(base.sampling) != p.sampling) continue;
            PictureData(base);
            std::string command = std::string("jpegtran ") + p.transcode + " '" + dir + "/" + base.name + ".jpg' > '" +
                                  jpeg + "'";
            if (std::system(command.c_str()) == 0) data = ReadAll(jpeg);
            break;
        }
        return cache[p.name] = std::move(data);
    }
    if (data.empty()) {
        // Drawn here and compressed with cjpeg, so the pictures are the same
        // on every machine whatever image programs it has.
        const std::string ppm = dir + "/" + p.name + ".ppm";
        std::system(("mkdir -p '" + dir + "'").c_str());
        const std::string command = "cjpeg -quality 90 -sample " + std::string(p.sampling) + " '" + ppm + "' > '" +
                                    jpeg + "' && rm -f '" + ppm + "'";
        if (!DrawPpm(ppm, p.width, p.height) || std::system(command.c_str()) != 0) return cache[p.name];
        data = ReadAll(jpeg);
    }
    return cache[p.name] = std::move(data);
}

void SetRate(benchmark::State& state, const Picture& p) {
    state.counters["MP/s"] =
        benchmark::Counter(double(p.width) * p.height / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void Ours(benchmark::State& state, const Picture& p) {
    const std::vector<uint8_t>& data = PictureData(p);
    const int scale = int(state.range(0));
    std::vector<uint32_t> bitmap;
    size_t decoderBytes = sizeof(JpegImageDecoder) + sizeof(JpegSource);
    size_t coefficientBytes = 0;
    for (auto _ : state) {
        auto decoder = std::make_unique<JpegImageDecoder>();
        if (decoder->OpenMemory(data.data(), data.size()) || decoder->StartDecoding(false)) {
            state.SkipWithError("decode failed");
            return;
        }
        const size_t width = (size_t(decoder->m_layout.mcusPerRow) * decoder->m_layout.mcuWidth) >> scale;
        const size_t height = (size_t(decoder->m_layout.mcuRows) * decoder->m_layout.mcuHeight) >> scale;
        bitmap.resize(width * height);
        decoder->BeginOutput(scale, width * 4);
        uint32_t* dest = bitmap.data();
        int rows = 0;
        while (decoder->DecodeMcuRow(dest, rows) == 0) dest += rows * width;
        coefficientBytes = decoder->CoefficientBytes();
        benchmark::DoNotOptimize(bitmap.data());
    }
    SetRate(state, p);
    state.counters["bitmap_MB"] = double(bitmap.size() * 4) / 1e6;
    state.counters["decoder_kB"] = double(decoderBytes) / 1e3;
    // The store of a picture gathered over several scans (0 otherwise).
    state.counters["coef_MB"] = double(coefficientBytes) / 1e6;
}

void LibJpeg(benchmark::State& state, const Picture& p) {
    const std::vector<uint8_t>& data = PictureData(p);
    const int scale = int(state.range(0));
    std::vector<uint32_t> bitmap;
    std::vector<JSAMPROW> rows;
    for (auto _ : state) {
        jpeg_decompress_struct info;
        jpeg_error_mgr errors;
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, data.data(), data.size());
        jpeg_read_header(&info, TRUE);
        info.dct_method = JDCT_IFAST;
        info.do_fancy_upsampling = FALSE;
        info.out_color_space = JCS_EXT_BGRX;  // 0x00RRGGBB words on little-endian
        info.scale_num = 1;
        info.scale_denom = 1u << scale;
        jpeg_start_decompress(&info);
        bitmap.resize(size_t(info.output_width) * info.output_height);
        rows.resize(info.output_height);
        for (size_t y = 0; y < rows.size(); ++y) {
            rows[y] = reinterpret_cast<JSAMPROW>(bitmap.data() + y * info.output_width);
        }
        while (info.output_scanline < info.output_height) {
            jpeg_read_scanlines(&info, rows.data() + info.output_scanline,
                                info.output_height - info.output_scanline);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(bitmap.data());
    }
    SetRate(state, p);
}

// Collects each run's time so that the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) times[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    for (const Picture& p : kPictures) {
        for (int scale = 0; scale < 4; ++scale) {
            benchmark::RegisterBenchmark((std::string("ours/") + p.name).c_str(), Ours, p)
                ->Arg(scale)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((std::string("libjpeg/") + p.name).c_str(), LibJpeg, p)
                ->Arg(scale)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nspeed ratio ours / libjpeg-turbo by CPU time (above 1: ours is faster)\n");
    for (const Picture& p : kPictures) {
        for (int scale = 0; scale < 4; ++scale) {
            std::string suffix = std::string(p.name) + "/" + std::to_string(scale);
            auto ours = reporter.times.find("ours/" + suffix);
            auto theirs = reporter.times.find("libjpeg/" + suffix);
            if (ours == reporter.times.end() || theirs == reporter.times.end()) continue;
            std::printf("  %-10s 1/%d  %.2f\n", p.name, 1 << scale, theirs->second / ours->second);
        }
    }
    benchmark::Shutdown();
    return 0;
}
