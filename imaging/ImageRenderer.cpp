#include "imaging/ImageRenderer.h"

#include <algorithm>
#include <new>

#include "imaging/JpegHeader.h"
#include "imaging/JpegImageDecoder.h"
#include "imaging/ResampleJob.h"
#include "platform/base/WinError.h"

namespace {

// Resamples the top-left `source` rectangle of `from` into all of `to`.
uint32_t ResampleInto(const Bitmap& from, const Rect& source, Bitmap& to, uint8_t rotation) {
    ResampleJob job;
    job.sourceBits = from.Row(0);
    job.sourceStride = from.Stride();
    job.sourceWidth = uint16_t(std::min(source.Width(), from.Width()));
    job.sourceHeight = uint16_t(std::min(source.Height(), from.Height()));
    job.destBits = to.Row(0);
    job.destStride = to.Stride();
    job.destWidth = uint16_t(to.Width());
    job.destHeight = uint16_t(to.Height());
    job.rotation = rotation;
    return job.Run();
}

void Blit(DeviceContext& dc, const Rect& at, Bitmap& bitmap) {
    DeviceContext memory;
    memory.SelectObject(&bitmap);
    dc.BitBlt(at.left, at.top, at.Width(), at.Height(), &memory, 0, 0, SRCCOPY);
}

}  // namespace

int ImageRenderer::Draw(DeviceContext& dc, File& file, const Rect& target) {
    Rect rect = target;
    return Render(&dc, file, rect, RENDER_NO_ROTATE | RENDER_STORE_THUMBNAIL, nullptr);
}

int ImageRenderer::RenderToBitmap(DeviceContext* dc, File& file, Rect& target, uint32_t flags,
                                  std::unique_ptr<Bitmap>& bitmap) {
    bitmap.reset();
    return Render(dc, file, target, flags | RENDER_TO_BITMAP, &bitmap);
}

int ImageRenderer::Render(DeviceContext* dc, File& file, Rect& target, uint32_t flags,
                          std::unique_ptr<Bitmap>* out) {
    m_report = {};
    if (target.IsEmpty() || (!out && !dc)) return int(ERROR_INVALID_PARAMETER);
    const bool toBitmap = (flags & RENDER_TO_BITMAP) != 0;
    if (!toBitmap && target.Width() <= STORED_THUMBNAIL_SIDE &&
        target.Height() <= STORED_THUMBNAIL_SIDE && DrawStoredThumbnail(*dc, file, target))
        return 0;

    RenderPlan plan;
    std::unique_ptr<Bitmap> decoded;
    const int rc = Decode(file, target, flags, plan, decoded);
    if (rc != 0) return rc;
    const Rect source = plan.setup.source;
    const uint8_t rotation = plan.setup.rotation;
    if (plan.flags & RENDER_STORE_THUMBNAIL) StoreThumbnail(file, *decoded, source);

    // The picture at the fit size; the decoded one when that cannot be made.
    const Rect fit = plan.fit;
    std::unique_ptr<Bitmap> picture = std::move(decoded);
    Rect shown = source;
    const bool exact = rotation == 0 && picture->Width() == fit.Width() &&
                       picture->Height() == fit.Height() && source.Width() == fit.Width() &&
                       source.Height() == fit.Height();
    if (!exact) {
        auto fitted = CreateImageBitmap(dc, fit.Width(), fit.Height(), 32);
        if (fitted && ResampleInto(*picture, source, *fitted, rotation) == 0) {
            picture = std::move(fitted);
            shown = {0, 0, fit.Width(), fit.Height()};
        }
    }
    m_report.fit = fit;
    if (toBitmap) {
        *out = std::move(picture);
        target = fit;
    } else {
        Blit(*dc, shown.Offset(fit.left, fit.top), *picture);
    }
    return 0;
}

bool ImageRenderer::DrawStoredThumbnail(DeviceContext& dc, File& file, const Rect& target) {
    if (!m_thumbnails) return false;
    std::unique_ptr<Bitmap> thumbnail = m_thumbnails->Load(file);
    if (!thumbnail || thumbnail->IsMono()) return false;
    const Rect fit = FitRect(target, uint32_t(thumbnail->Width()), uint32_t(thumbnail->Height()));
    if (fit.Width() != thumbnail->Width() || fit.Height() != thumbnail->Height()) {
        auto resized = CreateImageBitmap(&dc, fit.Width(), fit.Height(), 32);
        const Rect whole{0, 0, thumbnail->Width(), thumbnail->Height()};
        if (!resized || ResampleInto(*thumbnail, whole, *resized, 0) != 0) return false;
        thumbnail = std::move(resized);
    }
    Blit(dc, fit, *thumbnail);
    m_report.source = RenderSource::TrailerThumbnail;
    m_report.fit = fit;
    return true;
}

// Opens the decoder, plans the request from the header and decodes MCU row
// after MCU row into a bitmap of the padded picture at the chosen scale,
// asking the cancel check after each row. The decoder is freed on return.
int ImageRenderer::Decode(File& file, const Rect& target, uint32_t flags, RenderPlan& plan,
                          std::unique_ptr<Bitmap>& decoded) {
    std::unique_ptr<JpegImageDecoder> decoder(new (std::nothrow) JpegImageDecoder());
    if (!decoder) return int(ERROR_NOT_ENOUGH_MEMORY);
    int rc = decoder->Open(file);
    if (rc != 0) return rc;
    ImageHeaderInfo header{};
    rc = decoder->GetHeaderInfo(header);
    if (rc != 0) return rc;
    if (header.width == 0 || header.height == 0) return JPEG_HEADER_NO_DIMENSIONS;
    plan = PlanRender(target, flags, header.width, header.height, header.hasEmbeddedThumbnail);
    rc = decoder->StartDecoding(plan.setup.useEmbeddedThumbnail != 0);
    if (rc != 0) return rc;
    JpegImageInfo image{};
    rc = decoder->GetImageInfo(image);
    if (rc != 0) return rc;

    // A picture beyond the pixel budget at the planned scale is decoded
    // smaller and enlarged by the resampling.
    uint8_t s = plan.setup.scaleShift;
    while (s < 3 && uint64_t(image.paddedWidth >> s) * (image.paddedHeight >> s) > kJpegPixelBudget) ++s;
    plan.setup.scaleShift = s;
    // Every pixel of the padded picture is written by the decoder below.
    auto bitmap = Bitmap::CreateUncleared(int32_t(image.paddedWidth >> s), int32_t(image.paddedHeight >> s), 32);
    if (!bitmap) return int(ERROR_NOT_ENOUGH_MEMORY);
    rc = decoder->BeginOutput(s, bitmap->Stride());
    if (rc != 0) return rc;
    // A picture gathered over several scans takes its time before the first
    // row; the check is asked while the scans are decoded too.
    decoder->SetCancelCheck(m_cancel);
    if (decoder->OutputWidth() > uint32_t(bitmap->Width()) ||
        decoder->OutputHeight() > uint32_t(bitmap->Height()))
        return int(ERROR_INVALID_DATA);

    m_report.source = plan.setup.useEmbeddedThumbnail ? RenderSource::ExifThumbnail
                                                      : RenderSource::Decode;
    m_report.scaleShift = s;
    m_report.rotation = plan.setup.rotation;
    int32_t row = 0;
    for (;;) {
        int rows = 0;
        rc = decoder->DecodeMcuRow(bitmap->Row(row), rows);
        if (rc == JPEG_ERR_CANCELLED) return RENDER_CANCELLED;
        if (rc != 0 && rc != 1) return rc;  // negative, or out of memory gathering scans
        row += rows;
        if (m_cancel && m_cancel->ShouldCancel()) return RENDER_CANCELLED;
        if (rc == 1 || rows <= 0 || row >= bitmap->Height()) break;
    }
    // The picture as decoded, unturned: the resampling does the turn.
    plan.setup.source = {0, 0, std::max<int32_t>(image.width >> s, 1),
                         std::max<int32_t>(image.height >> s, 1)};
    decoded = std::move(bitmap);
    return 0;
}

void ImageRenderer::StoreThumbnail(File& file, const Bitmap& decoded, const Rect& source) {
    if (!m_thumbnails) return;
    // Stored unturned: the thumbnail stands for the image as it is.
    const Size size = ThumbnailFitSize(uint32_t(source.Width()), uint32_t(source.Height()));
    auto thumbnail = CreateImageBitmap(nullptr, size.cx, size.cy, 32);
    if (!thumbnail || ResampleInto(decoded, source, *thumbnail, 0) != 0) {
        m_report.thumbnailError = int(ERROR_NOT_ENOUGH_MEMORY);
        return;
    }
    m_report.thumbnailError = m_thumbnails->Store(file, *thumbnail);
    m_report.thumbnailStored = m_report.thumbnailError == 0;
}
