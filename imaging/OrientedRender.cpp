#include "imaging/OrientedRender.h"

#include "imaging/JpegDecoder.h"
#include "imaging/RenderGeometry.h"
#include "platform/base/File.h"
#include "platform/base/WinError.h"

namespace {

struct StoredFacts {
    uint8_t tag = 0;
    uint32_t width = 0;
    uint32_t height = 0;
};

StoredFacts ReadStoredFacts(File& file) {
    StoredFacts facts;
    auto decoder = std::make_unique<JpegDecoder>();
    JpegImageInfo info{};
    if (decoder->Open(file) == 0 && decoder->GetImageInfo(info) == 0) facts = {info.orientation, info.width, info.height};
    file.Seek(0, FILE_BEGIN);
    return facts;
}

int RenderTurned(ImageRenderer& renderer, File& file, Rect& target, uint32_t flags, const StoredFacts& facts,
                 std::unique_ptr<Bitmap>& bitmap, PictureOrientation& orientation) {
    orientation = PictureOrientation::FromExif(facts.tag);
    const uint32_t shownWidth = orientation.swap ? facts.height : facts.width;
    const uint32_t shownHeight = orientation.swap ? facts.width : facts.height;
    if (ShouldRotate(target.Width(), target.Height(), shownWidth, shownHeight, flags))
        orientation = orientation.TurnedClockwise();
    Rect before = orientation.swap ? Rect{0, 0, target.Height(), target.Width()}
                                   : Rect{0, 0, target.Width(), target.Height()};
    std::unique_ptr<Bitmap> stored;
    const int result = renderer.RenderToBitmap(nullptr, file, before, flags | RENDER_NO_ROTATE, stored);
    if (result != 0) return result;
    bitmap = OrientBitmap(*stored, orientation);
    if (!bitmap) return int(ERROR_NOT_ENOUGH_MEMORY);
    const int32_t left = target.left + (target.Width() - bitmap->Width()) / 2;
    const int32_t top = target.top + (target.Height() - bitmap->Height()) / 2;
    target = {left, top, left + bitmap->Width(), top + bitmap->Height()};
    return 0;
}

}  // namespace

uint8_t ReadOrientationTag(File& file) { return ReadStoredFacts(file).tag; }

int RenderOrientedToBitmap(ImageRenderer& renderer, File& file, Rect& target, uint32_t flags,
                           std::unique_ptr<Bitmap>& bitmap, PictureOrientation* orientation) {
    const StoredFacts facts = ReadStoredFacts(file);
    PictureOrientation used;
    int result = 0;
    if (facts.tag > 1 && facts.width && facts.height) {
        result = RenderTurned(renderer, file, target, flags, facts, bitmap, used);
    } else {
        result = renderer.RenderToBitmap(nullptr, file, target, flags, bitmap);
        if (renderer.LastReport().rotation) used = used.TurnedClockwise();
    }
    if (orientation) *orientation = used;
    return result;
}
