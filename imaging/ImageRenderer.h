#pragma once
#include <cstdint>
#include <memory>

#include "imaging/CancelCheck.h"
#include "imaging/RenderGeometry.h"
#include "imaging/ThumbnailStore.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Geometry.h"

class File;

// Result of a render whose decode the user interrupted.
constexpr int RENDER_CANCELLED = 3;

enum class RenderSource : uint8_t { None, TrailerThumbnail, ExifThumbnail, Decode };

// What the last request did, for tools and tests.
struct RenderReport {
    RenderSource source = RenderSource::None;
    uint8_t scaleShift = 0;
    uint8_t rotation = 0;
    bool thumbnailStored = false;
    int thumbnailError = 0;  // why a thumbnail asked for was not stored
    Rect fit;
};

// Turns an image file into a picture of a wanted size: from the thumbnail
// stored in the file when that suffices, else by decoding the JPEG's EXIF
// thumbnail or the main image at 1/1 to 1/8 scale, turned a quarter when
// the picture and the target lie differently, fitted into the target with
// its aspect ratio kept and centred. Nothing is kept between requests.
//
// Results: 0; RENDER_CANCELLED; the decoder's error numbers; 2 when the
// image has no dimensions; -1 for an empty file; ERROR_NOT_ENOUGH_MEMORY
// when the decoded bitmap cannot be made; ERROR_INVALID_PARAMETER for an
// empty target.
class ImageRenderer {
public:
    // Either may be nullptr: no stored thumbnails, no cancelling.
    explicit ImageRenderer(ThumbnailStore* thumbnails = nullptr, CancelCheck* cancel = nullptr)
        : m_thumbnails(thumbnails), m_cancel(cancel) {}

    // Draws the image, unturned, into the rectangle, and stores a thumbnail
    // in the file when the rectangle is at most 96 x 96. The file must be
    // open for reading and writing.
    int Draw(DeviceContext& dc, File& file, const Rect& target);
    // Hands over the picture; on success `target` becomes the rectangle
    // where the picture lands inside it. On failure `bitmap` is empty.
    int RenderToBitmap(DeviceContext* dc, File& file, Rect& target, uint32_t flags,
                       std::unique_ptr<Bitmap>& bitmap);

    const RenderReport& LastReport() const { return m_report; }

private:
    int Render(DeviceContext* dc, File& file, Rect& target, uint32_t flags,
               std::unique_ptr<Bitmap>* out);
    bool DrawStoredThumbnail(DeviceContext& dc, File& file, const Rect& target);
    int Decode(File& file, const Rect& target, uint32_t flags, RenderPlan& plan,
               std::unique_ptr<Bitmap>& decoded);
    void StoreThumbnail(File& file, const Bitmap& decoded, const Rect& source);

    ThumbnailStore* m_thumbnails;
    CancelCheck* m_cancel;
    RenderReport m_report;
};
