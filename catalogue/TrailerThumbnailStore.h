#pragma once
#include "imaging/ThumbnailStore.h"

// The renderer's thumbnails kept in the thumbnail block of the image file's
// trailer.
class TrailerThumbnailStore : public ThumbnailStore {
public:
    std::unique_ptr<Bitmap> Load(File& file) override;
    int Store(File& file, const Bitmap& thumbnail) override;
};
