#pragma once
#include <cstdint>
#include <memory>

#include "imaging/ImageRenderer.h"
#include "imaging/PictureOrientation.h"

class File;

// The EXIF orientation tag of the file's main image (1 to 8; 0 when it has
// none or the header cannot be read). The file is left at its start.
uint8_t ReadOrientationTag(File& file);

// As the renderer's RenderToBitmap, with the picture first turned and
// mirrored as the file's EXIF orientation tag says: the quarter turn that
// RENDER_NO_ROTATE leaves out then applies to the picture as it stands up.
// The renderer fits the stored pixels into the target as they will stand
// before turning, and the fitted picture is turned without resampling it
// again. A file without a tag, or tagged 1, is rendered exactly as
// RenderToBitmap does. `orientation`, when given, receives how the
// picture stands against the stored pixels.
int RenderOrientedToBitmap(ImageRenderer& renderer, File& file, Rect& target, uint32_t flags,
                           std::unique_ptr<Bitmap>& bitmap, PictureOrientation* orientation = nullptr);
