#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/gdi/Bitmap.h"

// Writers of 32-bit pictures (0x00RRGGBB, rows `strideBytes` apart) to
// image files on the host. The file appears complete or not at all: the
// picture is written to a temporary file beside it, which is renamed over
// the destination at the end. Return 0 or a Windows error number
// (ERROR_INVALID_PARAMETER for an empty or malformed picture).
uint32_t WritePng(const std::string& hostPath, const uint32_t* pixels, int32_t width,
                  int32_t height, size_t strideBytes);
uint32_t WritePpm(const std::string& hostPath, const uint32_t* pixels, int32_t width,
                  int32_t height, size_t strideBytes);

// The same PPM, its rows fetched one at a time from `nextRow` (top-down,
// 0x00RRGGBB, each valid until the next call) and packed as they are
// written, so no packed copy of the picture is held. `nextRow` returning
// false abandons the file and the writer returns an error number; the
// caller keeps its own reason.
uint32_t WritePpmRows(const std::string& hostPath, int32_t width, int32_t height,
                      const std::function<bool(const uint32_t*&)>& nextRow);

// A picture with transparency: pixels 0xAARRGGBB, not premultiplied.
uint32_t WritePngWithAlpha(const std::string& hostPath, const uint32_t* pixels, int32_t width,
                           int32_t height, size_t strideBytes);

// Bitmaps of either depth; monochrome pixels are written black (0) and
// white (1).
uint32_t WritePng(const std::string& hostPath, const Bitmap& bitmap);
uint32_t WritePpm(const std::string& hostPath, const Bitmap& bitmap);
