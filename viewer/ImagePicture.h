#pragma once
#include <cstdint>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Geometry.h"

class CancelCheck;
class CImageItem;
class File;

// The slide show's target: the whole portrait screen.
constexpr Rect SLIDE_RECT{0, 0, 240, 320};
// Result of a decode that the user abandoned (a tap or an arrow key).
constexpr int PICTURE_CANCELLED = 3;

// How a record's picture is to be made.
struct PictureRequest {
    Rect target;                 // the picture is fitted into it, centred
    bool autoRotate = true;      // a quarter turn clockwise when the shapes differ
    bool followCamera = false;   // turn by the file's EXIF orientation first
    CancelCheck* cancel = nullptr;
};

// Opens a record's file for reading: a handheld path, or a host path
// (starting with '/') for a file outside the device folder.
uint32_t OpenPictureFile(File& file, const CImageItem& record);

// Makes the record's picture for the request, unless it has one. The
// picture becomes the record's with the rectangle where it lands in the
// target and the tick count it was made at. Returns 0 or the error of
// opening the file or of the renderer (PICTURE_CANCELLED when abandoned).
int MakeImagePicture(CImageItem& record, const PictureRequest& request);

// The single view's picture: made first when the record has none, fitted
// into the view rectangle with the "Auto-rotate" and "Follow camera
// orientation" preferences and a wait cursor; then drawn centred, on
// white unless it covers the whole screen. Returns 0 or the error.
int DrawImagePicture(CImageItem& record, DeviceContext& dc, const Rect& view,
                     CancelCheck* cancel = nullptr);
// The slide show's picture: made for the whole screen when the record has
// none, always turned to fit the screen, with no wait cursor and no drawing.
int PrepareSlidePicture(CImageItem& record, CancelCheck* cancel = nullptr);

// Draws the record's picture centred in the view; the view is filled white
// first unless the picture covers the whole screen.
void PaintImagePicture(CImageItem& record, DeviceContext& dc, const Rect& view);
