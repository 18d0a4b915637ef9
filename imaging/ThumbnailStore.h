#pragma once
#include <memory>

#include "platform/gdi/Bitmap.h"

class File;

// Where the renderer keeps the small thumbnail of an image between displays
// (the image file's own trailer). The renderer asks through this interface
// so that decoding needs nothing of the catalogue.
class ThumbnailStore {
public:
    virtual ~ThumbnailStore() = default;
    // The stored thumbnail as a 32-bit bitmap, or nullptr when the file has
    // none (or it cannot be read).
    virtual std::unique_ptr<Bitmap> Load(File& file) = 0;
    // Stores a thumbnail of at most 96 x 96 pixels; 0 or an error number.
    virtual int Store(File& file, const Bitmap& thumbnail) = 0;
};
