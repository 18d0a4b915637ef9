#include "viewer/ImagePicture.h"

#include <memory>

#include "catalogue/ImageItem.h"
#include "handheld/CameraOrientationPreference.h"
#include "handheld/Preferences.h"
#include "imaging/ImageRenderer.h"
#include "imaging/OrientedRender.h"
#include "imaging/PictureOrientation.h"
#include "platform/base/File.h"
#include "platform/base/Text.h"
#include "platform/base/Time.h"
#include "platform/base/WinError.h"
#include "platform/gdi/GdiHelpers.h"
#include "platform/shell/Shell.h"
#include "platform/window/WindowManager.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

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
    ImageRenderer renderer(nullptr, request.cancel);
    std::unique_ptr<Bitmap> picture;
    Rect placed = request.target;
    PictureOrientation orientation;
    const uint32_t flags = RENDER_TO_BITMAP | (request.autoRotate ? 0 : RENDER_NO_ROTATE);
    int result = 0;
    if (request.followCamera) {
        result = RenderOrientedToBitmap(renderer, file, placed, flags, picture, &orientation);
    } else {
        result = renderer.RenderToBitmap(nullptr, file, placed, flags, picture);
        if (renderer.LastReport().rotation) orientation = orientation.TurnedClockwise();
    }
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
