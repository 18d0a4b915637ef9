#include "tests/imaging/LibJpegReference.h"

#include <jpeglib.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void ErrorExit(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }
// Counts corrupt-data warnings like the default handler, without printing.
void Silent(j_common_ptr info, int level) {
    if (level < 0) ++info->err->num_warnings;
}

}  // namespace

// libjpeg reports errors by longjmp. A local vector filled after setjmp may
// come back from the jump with its old, register-held state and leak, so
// the row buffer outlives the call.
bool DecodeWithLibJpeg(const std::vector<uint8_t>& data, int scaleShift, LibJpegImage& out) {
    static thread_local std::vector<uint8_t> line;
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ErrorExit;
    errors.base.emit_message = Silent;
    jpeg_create_decompress(&info);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_mem_src(&info, data.data(), data.size());
    jpeg_read_header(&info, TRUE);
    out.converted = info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_GRAYSCALE;
    // CMYK and YCCK come out as (inverted) CMYK, turned into RGB below as
    // libjpeg-turbo's programs do it.
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.dct_method = JDCT_IFAST;
    info.do_fancy_upsampling = FALSE;
    // A progressive picture whose scans leave coefficients unrefined is
    // smoothed across blocks by default; the decoder shows the coefficients
    // as they arrived.
    info.do_block_smoothing = FALSE;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    info.scale_num = 1;
    info.scale_denom = 1u << scaleShift;
    jpeg_start_decompress(&info);
    out.width = int(info.output_width);
    out.height = int(info.output_height);
    out.pixels.assign(size_t(out.width) * out.height, 0);
    const int channels = cmyk ? 4 : 3;
    line.assign(size_t(out.width) * channels, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = line.data();
        int y = int(info.output_scanline);
        jpeg_read_scanlines(&info, &row, 1);
        for (int x = 0; x < out.width; ++x) {
            const uint8_t* p = &line[size_t(x) * channels];
            uint32_t rgb[3] = {p[0], p[1], p[2]};
            if (cmyk) {
                for (uint32_t& c : rgb) c = uint32_t(double(c) * double(p[3]) / 255.0 + 0.5);
            }
            out.pixels[size_t(y) * out.width + x] = rgb[0] << 16 | rgb[1] << 8 | rgb[2];
        }
    }
    jpeg_finish_decompress(&info);
    out.warnings = errors.base.num_warnings;
    jpeg_destroy_decompress(&info);
    return true;
}

bool ReadDcWithLibJpeg(const std::vector<uint8_t>& data, std::vector<LibJpegDcPlane>& planes) {
    LibJpegDcPlane plane;
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ErrorExit;
    errors.base.emit_message = Silent;
    jpeg_create_decompress(&info);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_mem_src(&info, data.data(), data.size());
    jpeg_read_header(&info, TRUE);
    jvirt_barray_ptr* arrays = jpeg_read_coefficients(&info);
    planes.clear();
    for (int c = 0; c < info.num_components; ++c) {
        jpeg_component_info* comp = &info.comp_info[c];
        plane = LibJpegDcPlane{};
        plane.blocksWide = int(comp->width_in_blocks);
        plane.blocksHigh = int(comp->height_in_blocks);
        plane.q0 = comp->quant_table->quantval[0];
        for (int by = 0; by < plane.blocksHigh; ++by) {
            JBLOCKARRAY rows = info.mem->access_virt_barray(reinterpret_cast<j_common_ptr>(&info), arrays[c],
                                                            JDIMENSION(by), 1, FALSE);
            for (int bx = 0; bx < plane.blocksWide; ++bx) plane.dc.push_back(rows[0][bx][0]);
        }
        planes.push_back(plane);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

std::vector<uint8_t> EncodeArithmeticWithLibJpeg(const std::vector<uint32_t>& pixels, int width, int height,
                                                 const ArithmeticOptions& options) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 85, TRUE);
    info.arith_code = TRUE;
    info.arith_dc_L[0] = UINT8(options.dcLower);
    info.arith_dc_U[0] = UINT8(options.dcUpper);
    info.arith_ac_K[0] = UINT8(options.acKx);
    if (options.progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(size_t(width) * 3);
    while (info.next_scanline < info.image_height) {
        const uint32_t* from = &pixels[size_t(info.next_scanline) * width];
        for (int x = 0; x < width; ++x) {
            row[size_t(x) * 3] = uint8_t(from[x] >> 16);
            row[size_t(x) * 3 + 1] = uint8_t(from[x] >> 8);
            row[size_t(x) * 3 + 2] = uint8_t(from[x]);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

PixelDifference ComparePixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    PixelDifference result;
    double squares = 0;
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        for (int shift = 0; shift <= 16; shift += 8) {
            int d = std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF));
            result.maxDifference = std::max(result.maxDifference, d);
            squares += double(d) * d;
        }
    }
    double mse = n ? squares / (3.0 * n) : 0;
    result.psnr = mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
    return result;
}
