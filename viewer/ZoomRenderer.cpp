#include "viewer/ZoomRenderer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/CancelCheck.h"
#include "imaging/JpegHeader.h"
#include "imaging/JpegImageDecoder.h"
#include "platform/base/WinError.h"
#include "viewer/ImagePicture.h"

namespace {

// The decoded part of the photo: MCU columns [colFirst, colEnd) of MCU rows
// [rowFirst, rowEnd) at scale 1 / 2^shift, stored at (0, 0) of `pixels`.
struct DecodedPart {
    int shift = 0;
    int32_t left = 0;  // pixels at the decoded scale
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

// The largest shift whose decode is still at least as large as the zoom.
int ScaleShiftFor(double factor) {
    int shift = 0;
    while (shift < 3 && factor * double(2 << shift) <= 1.0) ++shift;
    return shift;
}

// Zoomed coordinate to photo coordinate, 16.16 fixed point, so that the
// limits worked out first and the resampling agree to the pixel.
struct Steps {
    uint64_t step;
    int32_t Photo(int32_t zoomed, int32_t limit) const {
        return std::min<int32_t>(int32_t((uint64_t(std::max(zoomed, 0)) * step) >> 16), limit - 1);
    }
};

class ZoomDecode {
public:
    ZoomDecode(File& file, const ZoomRequest& request) : m_file(file), m_request(request) {}

    int Run(std::unique_ptr<Bitmap>& picture, ZoomReport* report);

private:
    int Open();
    void PlanPart();
    int DecodePart();
    int Resample(std::unique_ptr<Bitmap>& picture) const;

    File& m_file;
    const ZoomRequest& m_request;
    std::unique_ptr<JpegImageDecoder> m_owned = std::make_unique<JpegImageDecoder>();
    JpegImageDecoder& m_decoder = *m_owned;
    int32_t m_width = 0;  // stored size
    int32_t m_height = 0;
    Steps m_steps{};
    DecodedPart m_part;
    int m_colFirst = 0, m_colEnd = 0, m_rowFirst = 0, m_rowEnd = 0;
};

int ZoomDecode::Open() {
    if (int error = m_decoder.Open(m_file)) return error;
    ImageHeaderInfo header{};
    if (int error = m_decoder.GetHeaderInfo(header)) return error;
    if (int error = m_decoder.StartDecoding(false)) return error;
    JpegImageInfo info{};
    if (int error = m_decoder.GetImageInfo(info)) return error;
    m_width = info.width;
    m_height = info.height;
    return m_width > 0 && m_height > 0 ? 0 : 2;
}

// The MCUs under the wanted region: its corners taken back through the
// zoom and the orientation to stored pixels at the decoded scale.
void ZoomDecode::PlanPart() {
    const PictureOrientation& o = m_request.orientation;
    const Rect& r = m_request.region;
    const int32_t shownW = o.ShownWidth(m_width, m_height), shownH = o.ShownHeight(m_width, m_height);
    const int32_t x0 = m_steps.Photo(r.left, shownW), x1 = m_steps.Photo(r.right - 1, shownW);
    const int32_t y0 = m_steps.Photo(r.top, shownH), y1 = m_steps.Photo(r.bottom - 1, shownH);
    int32_t uMin = m_width, uMax = 0, vMin = m_height, vMax = 0;
    for (int32_t x : {x0, x1})
        for (int32_t y : {y0, y1}) {
            int32_t u = 0, v = 0;
            o.SourceOf(x, y, m_width, m_height, u, v);
            uMin = std::min(uMin, u), uMax = std::max(uMax, u);
            vMin = std::min(vMin, v), vMax = std::max(vMax, v);
        }
    const int shift = m_part.shift;
    const int mcuW = m_decoder.m_layout.mcuWidth >> shift, mcuH = m_decoder.m_layout.mcuHeight >> shift;
    m_colFirst = (uMin >> shift) / mcuW;
    m_colEnd = std::min<int>((uMax >> shift) / mcuW + 1, m_decoder.m_layout.mcusPerRow);
    m_rowFirst = (vMin >> shift) / mcuH;
    m_rowEnd = std::min<int>((vMax >> shift) / mcuH + 1, m_decoder.m_layout.mcuRows);
    m_part.left = m_colFirst * mcuW;
    m_part.top = m_rowFirst * mcuH;
    m_part.width = (m_colEnd - m_colFirst) * mcuW;
    m_part.height = (m_rowEnd - m_rowFirst) * mcuH;
}

int ZoomDecode::DecodePart() {
    const size_t outWidth = size_t(m_decoder.m_layout.mcusPerRow) * (m_decoder.m_layout.mcuWidth >> m_part.shift);
    if (int error = m_decoder.BeginOutput(m_part.shift, outWidth * 4)) return error;
    m_decoder.SetCancelCheck(m_request.cancel);  // asked while scans are gathered too
    const int mcuH = m_decoder.McuHeight();
    std::vector<uint32_t> band;
    try {
        band.resize(outWidth * size_t(mcuH));
        // Rows are appended as they are decoded: each pixel written once.
        m_part.pixels.clear();
        m_part.pixels.reserve(size_t(m_part.width) * size_t(m_part.height));
    } catch (const std::bad_alloc&) {
        return int(ERROR_NOT_ENOUGH_MEMORY);
    }
    for (int row = 0; row < m_rowEnd; ++row) {
        const bool wanted = row >= m_rowFirst;
        m_decoder.SetOutputColumns(wanted ? uint16_t(m_colFirst) : 0, wanted ? uint16_t(m_colEnd) : 0);
        int rows = 0;
        const int result = m_decoder.DecodeMcuRow(band.data(), rows);
        if (result == JPEG_ERR_CANCELLED) return PICTURE_CANCELLED;
        if (result < 0 || result > 1) return result;
        if (wanted) {
            for (int y = 0; y < mcuH; ++y) {
                const uint32_t* from = band.data() + size_t(y) * outWidth + m_part.left;
                m_part.pixels.insert(m_part.pixels.end(), from, from + m_part.width);
            }
        }
        if (m_request.cancel && m_request.cancel->ShouldCancel()) return PICTURE_CANCELLED;
        if (result == 1) break;
    }
    // Rows the picture never reached stay black, as before.
    m_part.pixels.resize(size_t(m_part.width) * size_t(m_part.height));
    return 0;
}

int ZoomDecode::Resample(std::unique_ptr<Bitmap>& picture) const {
    const Rect& r = m_request.region;
    const PictureOrientation& o = m_request.orientation;
    picture = Bitmap::Create(r.Width(), r.Height(), 32);
    if (!picture) return int(ERROR_NOT_ENOUGH_MEMORY);
    const int32_t shownW = o.ShownWidth(m_width, m_height), shownH = o.ShownHeight(m_width, m_height);
    std::vector<int32_t> columns(size_t(r.Width()));
    for (int32_t x = 0; x < r.Width(); ++x) columns[size_t(x)] = m_steps.Photo(r.left + x, shownW);
    const int shift = m_part.shift;
    for (int32_t y = 0; y < r.Height(); ++y) {
        const int32_t photoY = m_steps.Photo(r.top + y, shownH);
        uint32_t* out = picture->Row(y);
        for (int32_t x = 0; x < r.Width(); ++x) {
            int32_t u = 0, v = 0;
            o.SourceOf(columns[size_t(x)], photoY, m_width, m_height, u, v);
            const int32_t px = std::clamp((u >> shift) - m_part.left, 0, m_part.width - 1);
            const int32_t py = std::clamp((v >> shift) - m_part.top, 0, m_part.height - 1);
            out[x] = m_part.pixels[size_t(py) * size_t(m_part.width) + size_t(px)];
        }
    }
    return 0;
}

int ZoomDecode::Run(std::unique_ptr<Bitmap>& picture, ZoomReport* report) {
    picture.reset();
    if (m_request.region.IsEmpty() || !(m_request.factor > 0)) return int(ERROR_INVALID_PARAMETER);
    if (int error = Open()) return error;
    m_steps.step = uint64_t(std::llround(65536.0 / m_request.factor));
    m_part.shift = ScaleShiftFor(m_request.factor);
    PlanPart();
    if (int error = DecodePart()) return error;
    if (report) {
        *report = {m_part.shift, m_rowEnd, m_decoder.m_layout.mcuRows, m_colEnd - m_colFirst,
                   m_decoder.m_layout.mcusPerRow};
    }
    return Resample(picture);
}

}  // namespace

int RenderZoomed(File& file, const ZoomRequest& request, std::unique_ptr<Bitmap>& picture,
                 ZoomReport* report) {
    ZoomDecode decode(file, request);
    return decode.Run(picture, report);
}
