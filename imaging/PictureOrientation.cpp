#include "imaging/PictureOrientation.h"

PictureOrientation PictureOrientation::FromExif(uint8_t tag) {
    switch (tag) {
    case 2: return {false, true, false};
    case 3: return {false, true, true};
    case 4: return {false, false, true};
    case 5: return {true, false, false};
    case 6: return {true, false, true};
    case 7: return {true, true, true};
    case 8: return {true, true, false};
    default: return {};
    }
}

// Turning the shown picture clockwise makes shown (a, b) come from the
// earlier shown (b, shownHeight - 1 - a): the axes swap, and the mirror of
// the axis that now runs down the picture changes.
PictureOrientation PictureOrientation::TurnedClockwise() const {
    PictureOrientation turned{!swap, flipX, flipY};
    if (swap)
        turned.flipX = !flipX;
    else
        turned.flipY = !flipY;
    return turned;
}

std::unique_ptr<Bitmap> OrientBitmap(const Bitmap& stored, PictureOrientation orientation) {
    const int32_t width = stored.Width(), height = stored.Height();
    auto shown = Bitmap::Create(orientation.ShownWidth(width, height),
                                orientation.ShownHeight(width, height), 32);
    if (!shown) return nullptr;
    for (int32_t y = 0; y < shown->Height(); ++y) {
        uint32_t* row = shown->Row(y);
        for (int32_t x = 0; x < shown->Width(); ++x) {
            int32_t u = 0, v = 0;
            orientation.SourceOf(x, y, width, height, u, v);
            row[x] = stored.Row(v)[u];
        }
    }
    return shown;
}
