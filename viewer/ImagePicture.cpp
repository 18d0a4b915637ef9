#include "viewer/ImagePicture.h"

#include <memory>

#include "catalogue/ImageItem.h"
#include "handheld/CameraOrientationPreference.h"
#include "handheld/Preferences.h"
#include "imaging/ImageRenderer.h"
#include "imaging/JpegDecoder.h"
#include "imaging/RenderGeometry.h"
#include "platform/base/File.h"
#include "platform/base/Text.h"
#include "platform/base/Time.h"
#include "platform/base/WinError.h"
#include "platform/gdi/GdiHelpers.h"
#include "platform/shell/Shell.h"
#include "platform/window/WindowManager.h"
#include "viewer/PictureOrientation.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// The EXIF orientation tag and the stored size, read from the header.
struct StoredFacts {
    uint8_t orientation = 0;
    uint32_t width = 0;
    uint32_t height = 0;
};

StoredFacts ReadStoredFacts(File& file) {
    StoredFacts facts;
    JpegDecoder decoder;
    JpegImageInfo info{};
    if (decoder.Open(file) == 0 && decoder.GetImageInfo(info) == 0) {
        facts = {info.orientation, info.width, info.height};
    }
    file.Seek(0, FILE_BEGIN);
    return facts;
}

// The renderer's own path: the picture turned a quarter when it says so.
int RenderPlain(File& file, const PictureRequest& request, std::unique_ptr<Bitmap>& picture,
                Rect& placed, PictureOrientation& orientation) {
    ImageRenderer renderer(nullptr, request.cancel);
    placed = request.target;
    const uint32_t flags = RENDER_TO_BITMAP | (request.autoRotate ? 0 : RENDER_NO_ROTATE);
    const int result = renderer.RenderToBitmap(nullptr, file, placed, flags, picture);
    orientation = renderer.LastReport().rotation ? PictureOrientation{}.TurnedClockwise()
                                                 : PictureOrientation{};
    return result;
}

// Turned by the camera's tag (and then a quarter when the shapes still
// differ): the renderer fits the stored pixels into the target as it will
// stand before the turn, and the fitted picture is turned without
// resampling it again.
int RenderOriented(File& file, const PictureRequest& request, const StoredFacts& facts,
                   std::unique_ptr<Bitmap>& picture, Rect& placed, PictureOrientation& orientation) {
    orientation = PictureOrientation::FromExif(facts.orientation);
    const Rect& target = request.target;
    const uint32_t shownWidth = orientation.swap ? facts.height : facts.width;
    const uint32_t shownHeight = orientation.swap ? facts.width : facts.height;
    if (request.autoRotate && ShouldRotate(target.Width(), target.Height(), shownWidth, shownHeight, 0))
        orientation = orientation.TurnedClockwise();
    Rect before = orientation.swap ? Rect{0, 0, target.Height(), target.Width()}
                                   : Rect{0, 0, target.Width(), target.Height()};
    ImageRenderer renderer(nullptr, request.cancel);
    std::unique_ptr<Bitmap> stored;
    const int result = renderer.RenderToBitmap(nullptr, file, before, RENDER_TO_BITMAP | RENDER_NO_ROTATE,
                                               stored);
    if (result != 0) return result;
    picture = OrientBitmap(*stored, orientation);
    if (!picture) return int(ERROR_NOT_ENOUGH_MEMORY);
    placed = {target.left + (target.Width() - picture->Width()) / 2,
              target.top + (target.Height() - picture->Height()) / 2, 0, 0};
    placed.right = placed.left + picture->Width();
    placed.bottom = placed.top + picture->Height();
    return 0;
}

}  // namespace

uint32_t OpenPictureFile(File& file, const CImageItem& record) {
    const std::u16string& path = record.GetPath();
    uint32_t opened = file.Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (opened != 0 && !path.empty() && path[0] == u'/')
        opened = file.OpenHost(Utf16ToUtf8(path), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    return opened;
}

int MakeImagePicture(CImageItem& record, const PictureRequest& request) {
    if (record.GetPicture()) return 0;
    File file;
    if (const uint32_t opened = OpenPictureFile(file, record)) return int(opened);
    const StoredFacts facts = request.followCamera ? ReadStoredFacts(file) : StoredFacts{};
    std::unique_ptr<Bitmap> picture;
    Rect placed;
    PictureOrientation orientation;
    const bool turnByTag = facts.orientation > 1 && facts.width && facts.height;
    const int result = turnByTag ? RenderOriented(file, request, facts, picture, placed, orientation)
                                 : RenderPlain(file, request, picture, placed, orientation);
    if (result != 0 || !picture) return result;
    record.SetPicture(std::move(picture), placed, GetTickCount(), orientation.Pack());
    return 0;
}

void PaintImagePicture(CImageItem& record, DeviceContext& dc, const Rect& view) {
    Bitmap* picture = record.GetPicture();
    if (!picture) return;
    if (picture->Width() < SCREEN_WIDTH || picture->Height() < SCREEN_HEIGHT)
        dc.FillSolidRect(view, kWhite);
    DrawBitmapInRect(dc, view, *picture, true);
}

int DrawImagePicture(CImageItem& record, DeviceContext& dc, const Rect& view, CancelCheck* cancel) {
    if (!record.GetPicture()) {
        WaitCursor wait;
        PictureRequest request{view, GetAutoRotate(), GetFollowCameraOrientation(), cancel};
        if (const int result = MakeImagePicture(record, request)) return result;
    }
    PaintImagePicture(record, dc, view);
    return 0;
}

int PrepareSlidePicture(CImageItem& record, CancelCheck* cancel) {
    PictureRequest request{SLIDE_RECT, true, GetFollowCameraOrientation(), cancel};
    return MakeImagePicture(record, request);
}
