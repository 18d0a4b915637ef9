#pragma once
#include <cstdint>
#include <memory>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Geometry.h"
#include "imaging/PictureOrientation.h"

class CancelCheck;
class File;

// A part of a photo at a zoom factor.
struct ZoomRequest {
    PictureOrientation orientation;  // how the photo stands on screen
    double factor = 1.0;             // screen pixels per photo pixel
    Rect region;                     // the part wanted, in zoomed coordinates
    CancelCheck* cancel = nullptr;
};

// What a zoomed render did, for tests and benchmarks.
struct ZoomReport {
    int scaleShift = 0;          // decoded at 1 / 2^scaleShift
    int mcuRowsDecoded = 0;      // entropy-decoded rows
    int mcuRowsTotal = 0;
    int mcuColumnsOutput = 0;    // transformed columns of each wanted row
    int mcuColumnsTotal = 0;
};

// Renders a part of a zoomed photo. The file is decoded at the smallest of
// 1/8, 1/4, 1/2 and 1/1 that is at least as large as the zoom needs, and
// only the MCUs under the part are transformed; the entropy decoding runs
// to the last MCU row of the part and stops there. The result, region
// sized, is then resampled (nearest neighbour) from the decoded part.
// Returns 0, PICTURE_CANCELLED (3), or the decoder's error number.
int RenderZoomed(File& file, const ZoomRequest& request, std::unique_ptr<Bitmap>& picture,
                 ZoomReport* report = nullptr);
