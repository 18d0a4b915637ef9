// Renders a part of arbitrary bytes as a zoomed photo: any orientation,
// factor and region, over headers that lie and decodes that fail half-way,
// must neither crash nor read or write outside the decoded part.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "imaging/CancelCheck.h"
#include "platform/base/File.h"
#include "viewer/ZoomRenderer.h"

namespace {

// Keeps each run short: huge pictures stop after some MCU rows.
class RowLimit : public CancelCheck {
public:
    bool ShouldCancel() override { return ++m_rows > 256; }

private:
    int m_rows = 0;
};

const std::string& ScratchPath() {
    static const std::string path = [] {
        char dir[] = "/tmp/fuzz_zoom_render.XXXXXX";
        const char* made = mkdtemp(dir);
        return std::string(made ? made : "/tmp") + "/image.jpg";
    }();
    return path;
}

}  // namespace

// Byte 0: orientation bits and a factor choice; bytes 1..4: the region's
// corner and size in units of 16 pixels; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    File file;
    if (file.OpenHost(ScratchPath(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS) != 0) return 0;
    uint32_t written = 0;
    file.Write(data + 5, uint32_t(size - 5), written);
    file.Seek(0, FILE_BEGIN);

    static const double factors[] = {0.03, 0.125, 0.3, 0.5, 1.0, 1.5, 2.0, 4.0};
    ZoomRequest request;
    request.orientation = PictureOrientation::Unpack(data[0] & 7);
    request.factor = factors[(data[0] >> 3) & 7];
    request.region = {data[1] * 16, data[2] * 16, data[1] * 16 + 1 + data[3] * 4, data[2] * 16 + 1 + data[4] * 4};
    RowLimit limit;
    request.cancel = &limit;
    std::unique_ptr<Bitmap> picture;
    RenderZoomed(file, request, picture);
    return 0;
}
