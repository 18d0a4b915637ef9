// Renders arbitrary bytes as an image file: header sizes that lie, decodes
// that fail half-way and thumbnails stored into the file must neither
// crash nor read or write outside the bitmaps. The decoder's pixel budget
// bounds the work; the first byte chooses the target, the flags and the
// canvas (mono or 32-bit).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "catalogue/TrailerThumbnailStore.h"
#include "imaging/ImageRenderer.h"
#include "platform/base/File.h"

namespace {

const std::string& ScratchPath() {
    static const std::string path = [] {
        char dir[] = "/tmp/fuzz_render.XXXXXX";
        const char* made = mkdtemp(dir);
        return std::string(made ? made : "/tmp") + "/image.jpg";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t mode = data[0];
    File file;
    if (file.OpenHost(ScratchPath(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS) != 0)
        return 0;
    uint32_t written = 0;
    file.Write(data + 1, uint32_t(size - 1), written);

    TrailerThumbnailStore store;
    ImageRenderer renderer(&store, nullptr);
    static const Rect targets[] = {{0, 0, 240, 320}, {0, 0, 60, 45}, {3, 7, 36, 24},
                                   {0, 0, 96, 96}};
    const Rect target = targets[mode & 3];
    if (mode & 4) {
        auto canvas = Bitmap::Create(240, 320, (mode & 32) ? 1 : 32);
        DeviceContext dc;
        dc.SelectObject(canvas.get());
        renderer.Draw(dc, file, target);
    } else {
        Rect rect = target;
        std::unique_ptr<Bitmap> bitmap;
        const uint32_t flags = ((mode & 8) ? RENDER_NO_ROTATE : 0) |
                               ((mode & 16) ? RENDER_STORE_THUMBNAIL : 0);
        renderer.RenderToBitmap(nullptr, file, rect, flags, bitmap);
    }
    return 0;
}
