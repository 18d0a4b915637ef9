#pragma once
#include <cstdint>

#include "platform/gdi/Geometry.h"

// Flags of a render request.
constexpr uint32_t RENDER_NO_ROTATE = 0x4;
constexpr uint32_t RENDER_TO_BITMAP = 0x40;
constexpr uint32_t RENDER_STORE_THUMBNAIL = 0x200;

// Side of the thumbnail kept in an image's trailer, and the largest target
// served by the JPEG's embedded EXIF thumbnail, taken to be 160 x 120.
constexpr int32_t STORED_THUMBNAIL_SIDE = 96;
constexpr int32_t EMBEDDED_THUMBNAIL_LIMIT = 160;
constexpr uint32_t EMBEDDED_THUMBNAIL_WIDTH = 160;
constexpr uint32_t EMBEDDED_THUMBNAIL_HEIGHT = 120;

// How a picture is decoded for a target.
struct DecodeSetup {
    uint8_t useEmbeddedThumbnail = 0;
    uint8_t scaleShift = 0;  // decode at 1 / (1 << scaleShift), 0 to 3
    uint8_t rotation = 0;    // 0 none, 1 a quarter turn clockwise
    Rect source;             // the picture inside the decoded bitmap
};

// Everything a render request decides before decoding.
struct RenderPlan {
    uint32_t flags = 0;       // the request's flags, thumbnail storing dropped if too big
    Size decodeTarget;        // D
    uint32_t pictureWidth = 0;   // W: the picture as it will stand, turned if turned
    uint32_t pictureHeight = 0;  // H
    DecodeSetup setup;
    Rect fit;                 // where the picture lands inside the target
};

// A quarter turn when neither the target nor the image is square, one is
// landscape and the other portrait, and RENDER_NO_ROTATE is not given.
bool ShouldRotate(int32_t targetWidth, int32_t targetHeight, uint32_t imageWidth,
                  uint32_t imageHeight, uint32_t flags);

// The smallest shift s (0..3) with W >> s and H >> s inside D, 3 when none
// fits; one step back when the result is smaller than D both ways, so that
// the decode is reduced afterwards rather than enlarged.
uint8_t ChooseScaleShift(uint32_t width, uint32_t height, int32_t targetWidth,
                         int32_t targetHeight);

// A W x H picture fitted into the target with its aspect ratio kept and
// centred; smaller pictures are enlarged. Ratios are 16.16 fixed point. A
// side never shrinks below one pixel. An empty picture gets an empty
// rectangle at the target's top-left corner.
Rect FitRect(const Rect& target, uint32_t width, uint32_t height);

// The size of the stored thumbnail of a width x height picture: fitted
// into 96 x 96 by the 16.16 ratios, the longer side 96, neither below 1.
Size ThumbnailFitSize(uint32_t width, uint32_t height);

// The decisions of a render request for an image of the given size.
RenderPlan PlanRender(const Rect& target, uint32_t flags, uint32_t imageWidth,
                      uint32_t imageHeight, bool hasEmbeddedThumbnail);
