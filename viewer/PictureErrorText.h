#pragma once
#include <string>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Geometry.h"

// What the photo window says instead of a picture it could not make:
// "Progressive JPEGs not supported" for the decoder's -234, otherwise
// "There was an error reading the image (%d)." with the number.
std::u16string PictureErrorText(int error);

// Fills the view white and draws the text centred both ways, broken into
// lines that fit the view less a margin on each side (the longer text is
// wider than the screen on one line).
void DrawPictureError(DeviceContext& dc, const Rect& view, int error);
