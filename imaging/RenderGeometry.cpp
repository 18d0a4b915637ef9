#include "imaging/RenderGeometry.h"

#include <algorithm>

bool ShouldRotate(int32_t targetWidth, int32_t targetHeight, uint32_t imageWidth,
                  uint32_t imageHeight, uint32_t flags) {
    if (flags & RENDER_NO_ROTATE) return false;
    if (targetWidth == targetHeight || imageWidth == imageHeight) return false;
    const bool imageLandscape = imageWidth > imageHeight;
    const bool targetLandscape = targetWidth > targetHeight;
    return imageLandscape != targetLandscape;
}

uint8_t ChooseScaleShift(uint32_t width, uint32_t height, int32_t targetWidth,
                         int32_t targetHeight) {
    const int64_t dw = targetWidth, dh = targetHeight;
    uint8_t shift = 3;
    for (uint8_t s = 0; s <= 3; ++s) {
        if ((width >> s) <= dw && (height >> s) <= dh) {
            shift = s;
            break;
        }
    }
    if (shift > 0 && (width >> shift) < dw && (height >> shift) < dh) --shift;
    return shift;
}

Rect FitRect(const Rect& target, uint32_t width, uint32_t height) {
    const int64_t tw = std::max<int64_t>(target.Width(), 0);
    const int64_t th = std::max<int64_t>(target.Height(), 0);
    if (width == 0 || height == 0) return {target.left, target.top, target.left, target.top};
    const int64_t rx = (tw << 16) / width;
    const int64_t ry = (th << 16) / height;
    int64_t fitWidth, fitHeight;
    if (rx < ry) {
        fitWidth = tw;
        fitHeight = (int64_t(height) * rx + 32768) >> 16;
    } else {
        fitHeight = th;
        fitWidth = (int64_t(width) * ry + 32768) >> 16;
    }
    // A sliver of a very long picture still gets a pixel, within the target.
    fitWidth = std::min(std::max<int64_t>(fitWidth, 1), std::max<int64_t>(tw, 1));
    fitHeight = std::min(std::max<int64_t>(fitHeight, 1), std::max<int64_t>(th, 1));
    if (tw == 0) fitWidth = 0;
    if (th == 0) fitHeight = 0;
    const int32_t left = target.left + int32_t((tw - fitWidth) >> 1);
    const int32_t top = target.top + int32_t((th - fitHeight) >> 1);
    return {left, top, left + int32_t(fitWidth), top + int32_t(fitHeight)};
}

Size ThumbnailFitSize(uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) return {};
    const int64_t side = STORED_THUMBNAIL_SIDE;
    const int64_t rx = (side << 16) / width, ry = (side << 16) / height;
    int64_t w = side, h = side;
    if (rx >= ry)
        w = (int64_t(width) * ry + 32768) >> 16;
    else
        h = (int64_t(height) * rx + 32768) >> 16;
    return {int32_t(std::clamp<int64_t>(w, 1, side)), int32_t(std::clamp<int64_t>(h, 1, side))};
}

RenderPlan PlanRender(const Rect& target, uint32_t flags, uint32_t imageWidth,
                      uint32_t imageHeight, bool hasEmbeddedThumbnail) {
    RenderPlan plan;
    const int32_t tw = target.Width(), th = target.Height();
    plan.flags = flags;
    if (tw > STORED_THUMBNAIL_SIDE || th > STORED_THUMBNAIL_SIDE)
        plan.flags &= ~RENDER_STORE_THUMBNAIL;

    const bool turned = ShouldRotate(tw, th, imageWidth, imageHeight, plan.flags);
    plan.setup.rotation = turned ? 1 : 0;

    plan.decodeTarget = {tw, th};
    if ((plan.flags & RENDER_STORE_THUMBNAIL) && tw < STORED_THUMBNAIL_SIDE &&
        th < STORED_THUMBNAIL_SIDE)
        plan.decodeTarget = {STORED_THUMBNAIL_SIDE, STORED_THUMBNAIL_SIDE};

    const Size d = plan.decodeTarget;
    const bool embedded = hasEmbeddedThumbnail && d.cx <= EMBEDDED_THUMBNAIL_LIMIT &&
                          d.cy <= EMBEDDED_THUMBNAIL_LIMIT;
    plan.setup.useEmbeddedThumbnail = embedded ? 1 : 0;
    uint32_t w = embedded ? EMBEDDED_THUMBNAIL_WIDTH : imageWidth;
    uint32_t h = embedded ? EMBEDDED_THUMBNAIL_HEIGHT : imageHeight;
    if (turned) std::swap(w, h);
    plan.pictureWidth = w;
    plan.pictureHeight = h;

    plan.setup.scaleShift = ChooseScaleShift(w, h, d.cx, d.cy);
    plan.fit = FitRect(target, w, h);
    const uint8_t s = plan.setup.scaleShift;
    plan.setup.source = {0, 0, int32_t(w >> s), int32_t(h >> s)};
    return plan;
}
