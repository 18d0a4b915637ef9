#include "catalogue/TrailerThumbnailStore.h"

#include "catalogue/ImageTrailer.h"
#include "catalogue/ScreenBitmap.h"
#include "catalogue/ThumbnailBitmap.h"
#include "catalogue/TrailerEdits.h"
#include "platform/base/WinError.h"

std::unique_ptr<Bitmap> TrailerThumbnailStore::Load(File& file) {
    CImageTrailer trailer;
    if (!trailer.Read(file)) return nullptr;
    const auto payload = trailer.FindThumbnail();
    if (!payload) return nullptr;
    ScreenBitmap picture;
    if (DecodeThumbnail(*payload, picture) != 0) return nullptr;
    auto bitmap = CreateImageBitmap(nullptr, picture.width, picture.height, 32);
    if (!bitmap || picture.pixels.size() < size_t(picture.width) * size_t(picture.height))
        return nullptr;
    for (int32_t y = 0; y < picture.height; ++y)
        for (int32_t x = 0; x < picture.width; ++x) bitmap->Row(y)[x] = picture.At(x, y);
    return bitmap;
}

int TrailerThumbnailStore::Store(File& file, const Bitmap& thumbnail) {
    if (thumbnail.IsMono()) return int(ERROR_INVALID_PARAMETER);
    ScreenBitmap picture;
    picture.width = thumbnail.Width();
    picture.height = thumbnail.Height();
    picture.pixels.reserve(size_t(picture.width) * size_t(picture.height));
    for (int32_t y = 0; y < picture.height; ++y)
        picture.pixels.insert(picture.pixels.end(), thumbnail.Row(y),
                              thumbnail.Row(y) + picture.width);
    return StoreTrailerThumbnail(file, picture);
}
