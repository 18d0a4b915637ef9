#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <ostream>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/FileListCache.h"
#include "catalogue/ImageScanner.h"
#include "catalogue/TrailerThumbnailStore.h"
#include "catalogue/FolderFinder.h"
#include "imaging/ImageRenderer.h"
#include "imaging/JpegPicture.h"
#include "imaging/JpegRowDecoder.h"
#include "imaging/RenderGeometry.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/File.h"
#include "platform/base/FileSystem.h"
#include "platform/png/PngWriter.h"
#include "platform/base/Text.h"
#include "tools/kvtool/Commands.h"
#include "tools/kvtool/ErrorText.h"
#include "tools/kvtool/ImageTarget.h"
#include "tools/kvtool/ThumbnailPass.h"

namespace {
bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           EqualsNoCase(Utf8ToUtf16(text.substr(text.size() - suffix.size())), Utf8ToUtf16(suffix));
}

// PNG or PPM by the output's extension; anything else is refused up front.
bool CheckOutput(const CommandContext& ctx, std::string& output) {
    const auto value = ctx.line.Value("-o");
    if (!value || value->empty()) {
        ctx.Fail(ctx.words.empty() ? "kvtool" : ctx.words[0], "no output file given (-o OUT.png)");
        return false;
    }
    output = *value;
    if (!EndsWith(output, ".png") && !EndsWith(output, ".ppm")) {
        ctx.Fail(output, "the output must end in .png or .ppm");
        return false;
    }
    return true;
}

uint32_t WritePicture(const std::string& output, const uint32_t* pixels, int32_t width, int32_t height,
                      size_t stride) {
    return EndsWith(output, ".ppm") ? WritePpm(output, pixels, width, height, stride)
                                    : WritePng(output, pixels, width, height, stride);
}

bool OpenImage(const CommandContext& ctx, const ImageTarget& target, File& file, uint32_t access) {
    const uint32_t share = access & GENERIC_WRITE ? 0 : FILE_SHARE_READ;
    if (const uint32_t err = file.Open(target.HandheldPath(), access, share, OPEN_EXISTING)) {
        ctx.Fail(ctx.words[0], FileErrorText(static_cast<int>(err), ctx.words[0]));
        return false;
    }
    return true;
}

bool ParseSize(const std::string& text, int& width, int& height) {
    unsigned w = 0, h = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%ux%u%c", &w, &h, &extra) != 2 || w == 0 || h == 0 || w > 65535 ||
        h > 65535) {
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

const char* SourceText(const RenderReport& report, std::string& buffer) {
    switch (report.source) {
    case RenderSource::TrailerThumbnail: return "trailer thumbnail";
    case RenderSource::ExifThumbnail:
        buffer = "EXIF thumbnail at scale 1/" + std::to_string(1 << report.scaleShift);
        return buffer.c_str();
    case RenderSource::Decode:
        buffer = "decode at scale 1/" + std::to_string(1 << report.scaleShift);
        return buffer.c_str();
    case RenderSource::None: break;
    }
    return "none";
}
}  // namespace

int RunDecode(const CommandContext& ctx) {
    if (ctx.words.size() != 1) {
        ctx.Fail("decode", ctx.words.empty() ? "no file given" : "too many arguments");
        return 2;
    }
    std::string output;
    if (!CheckOutput(ctx, output)) return 2;
    const std::string scaleText = ctx.line.Value("--scale").value_or("1");
    const int shift = scaleText == "1" ? 0 : scaleText == "2" ? 1 : scaleText == "4" ? 2 : scaleText == "8" ? 3 : -1;
    if (shift < 0) {
        ctx.Fail("--scale", "expected 1, 2, 4 or 8");
        return 2;
    }
    const ImageTarget target(ctx.words[0]);
    File file;
    if (!OpenImage(ctx, target, file, GENERIC_READ)) return 1;
    const bool thumbnail = ctx.line.Has("--thumbnail");
    uint32_t width = 0, height = 0;
    int decodeError = 0;
    uint32_t writeError = 0;
    if (EndsWith(output, ".ppm")) {
        // Rows go from the decoder's band straight into the file.
        JpegRowDecoder rows;
        decodeError = rows.Open(file, shift, thumbnail);
        width = rows.Width();
        height = rows.Height();
        if (decodeError == 0) {
            writeError = WritePpmRows(output, int32_t(width), int32_t(height), [&](const uint32_t*& row) {
                decodeError = rows.NextRow(row);
                return decodeError == 0;
            });
        }
    } else {
        JpegPicture picture;
        decodeError = DecodeJpegFile(file, shift, thumbnail, picture);
        width = picture.width;
        height = picture.height;
        if (decodeError == 0)
            writeError = WritePicture(output, picture.pixels.data(), int32_t(width), int32_t(height), width * 4);
    }
    if (decodeError) {
        ctx.Fail(ctx.words[0], FileErrorText(decodeError, ctx.words[0]));
        return 1;
    }
    if (writeError) {
        ctx.Fail(output, FileErrorText(static_cast<int>(writeError), output));
        return 1;
    }
    ctx.out << output << ": " << width << "x" << height << "\n";
    return 0;
}

int RunRender(const CommandContext& ctx) {
    int width = 0, height = 0;
    if (ctx.words.size() != 2 || !ParseSize(ctx.words[1], width, height)) {
        ctx.Fail("render", "expected FILE WxH");
        return 2;
    }
    std::string output;
    if (!CheckOutput(ctx, output)) return 2;
    bool store = ctx.line.Has("--store-thumbnail");
    const ImageTarget target(ctx.words[0]);
    File file;
    // A photo that cannot be written is still rendered; the thumbnail it
    // cannot take is reported below.
    int storeError = store ? int(file.Open(target.HandheldPath(), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING)) : 0;
    if (storeError != 0) store = false;
    if (!store && !OpenImage(ctx, target, file, GENERIC_READ)) return 1;
    TrailerThumbnailStore thumbnails;
    ImageRenderer renderer(&thumbnails);
    Rect rect{0, 0, width, height};
    uint32_t flags = (ctx.line.Has("--no-rotate") ? RENDER_NO_ROTATE : 0) | (store ? RENDER_STORE_THUMBNAIL : 0);
    std::unique_ptr<Bitmap> bitmap;
    if (const int result = renderer.RenderToBitmap(nullptr, file, rect, flags, bitmap)) {
        ctx.Fail(ctx.words[0], FileErrorText(result, ctx.words[0]));
        return 1;
    }
    file.Close();
    const RenderReport& report = renderer.LastReport();
    if (report.thumbnailStored) target.Changed();
    if (store && !report.thumbnailStored) storeError = report.thumbnailError;
    if (const uint32_t err = WritePicture(output, bitmap->Row(0), bitmap->Width(), bitmap->Height(), bitmap->Stride())) {
        ctx.Fail(output, FileErrorText(static_cast<int>(err), output));
        return 1;
    }
    std::string buffer;
    ctx.out << "fit " << rect.left << "," << rect.top << " " << rect.Width() << "x" << rect.Height()
            << (report.rotation ? ", turned" : "") << ", from " << SourceText(report, buffer)
            << (report.thumbnailStored ? ", thumbnail stored" : "") << "\n";
    if (storeError == 0) return 0;
    ctx.Fail(ctx.words[0], "the thumbnail could not be stored: " + FileErrorText(storeError, ctx.words[0]));
    return 1;
}

std::vector<std::u16string> AllImagePaths() {
    std::vector<CImageScanner::CardFolder> folders = {{std::u16string(MAIN_PHOTO_FOLDER), true, false}};
    for (const std::u16string& card : CImageScanner::FindCards()) {
        for (auto& folder : CImageScanner::CardFolders(card)) folders.push_back(std::move(folder));
    }
    std::vector<std::u16string> paths;
    for (const auto& folder : folders) {
        CFolderFinder finder;
        if (!finder.First(folder.path, folder.recursive)) continue;
        std::u16string path;
        uint32_t attributes = 0;
        while (finder.Next(path, attributes)) {
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) && CImageScanner::IsImageFile(path)) paths.push_back(path);
        }
    }
    return paths;
}

int RunThumbnails(const CommandContext& ctx) {
    if (!ctx.words.empty()) {
        ctx.Fail("thumbnails", "unexpected argument '" + ctx.words[0] + "'");
        return 2;
    }
    ThumbnailPass pass(ctx, isatty(STDERR_FILENO) && &ctx.err == &std::cerr);
    const ThumbnailPass::Counts counts = pass.Run();
    ctx.out << counts.stored << " thumbnails stored, " << counts.present << " already there, " << counts.undecodable
            << " could not be decoded, " << counts.failed << " failed\n";
    return counts.failed ? 1 : 0;
}
