#include "tools/kvtool/ThumbnailPass.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <thread>

#include "catalogue/FileListCache.h"
#include "catalogue/TrailerThumbnailStore.h"
#include "imaging/ImageRenderer.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/File.h"
#include "platform/base/WinError.h"
#include "platform/gdi/Bitmap.h"
#include "imaging/RenderGeometry.h"
#include "tools/kvtool/ErrorText.h"

namespace {
constexpr int kCell = 96;
// A listing that keeps finding photos it has not seen (files renamed over
// and over) is given up after this many.
constexpr int kMaxListings = 8;

std::function<void(const std::u16string&)>& BeforeOpen() {
    static std::function<void(const std::u16string&)> hook;
    return hook;
}

bool Gone(uint32_t error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }
}  // namespace

void ThumbnailPass::SetBeforeOpen(std::function<void(const std::u16string&)> hook) { BeforeOpen() = std::move(hook); }

ThumbnailPass::ThumbnailPass(const CommandContext& ctx, bool progress, unsigned workers)
    : m_ctx(ctx), m_progress(progress), m_workers(workers ? workers : std::max(1u, std::thread::hardware_concurrency())) {}

ThumbnailPass::Counts ThumbnailPass::Run() {
    for (int listing = 0; listing < kMaxListings; ++listing) {
        size_t added = 0;
        for (std::u16string& path : AllImagePaths()) {
            if (!m_seen.insert(path).second) continue;
            m_paths.push_back(std::move(path));
            ++added;
        }
        if (added == 0) break;
        const size_t workers = std::min<size_t>(m_workers, m_paths.size() - m_next);
        std::vector<std::thread> threads;
        for (size_t i = 1; i < workers; ++i) threads.emplace_back([this] { Work(); });
        Work();
        for (std::thread& t : threads) t.join();
    }
    if (m_progress && !m_paths.empty()) m_ctx.err << "\n";
    return m_counts;
}

// One renderer and store per worker: the only pixels a worker holds are the
// picture it is decoding and its thumbnail. No device context is made: the
// drawing layer's objects belong to one thread.
void ThumbnailPass::Work() {
    TrailerThumbnailStore thumbnails;
    ImageRenderer renderer(&thumbnails);
    std::u16string path;
    while (Next(path)) One(thumbnails, renderer, path);
}

bool ThumbnailPass::Next(std::u16string& path) {
    std::lock_guard guard(m_lock);
    if (m_next >= m_paths.size()) return false;
    path = m_paths[m_next++];
    return true;
}

// A file that cannot be decoded is reported and passed over; a photo that
// could be drawn but did not get its thumbnail is a failure.
void ThumbnailPass::One(TrailerThumbnailStore& thumbnails, ImageRenderer& renderer, const std::u16string& path) {
    if (BeforeOpen()) BeforeOpen()(path);
    std::string host;
    DeviceFolder::Current().ToHost(path, host);
    File file;
    const uint32_t openError = file.Open(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    if (Gone(openError)) return Done(nullptr);
    if (openError != 0 && file.Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) != 0) {
        Fail(host, "cannot be read: " + FileErrorText(int(openError), host));
        return Done(&Counts::undecodable);
    }
    // What drawing into a grid cell does: a stored thumbnail is shown as it
    // is, anything else is decoded and leaves its thumbnail in the file.
    const std::unique_ptr<Bitmap> stored = thumbnails.Load(file);
    if (stored && !stored->IsMono()) return Done(&Counts::present);
    Rect cell{0, 0, kCell, kCell};
    std::unique_ptr<Bitmap> fitted;
    if (const int result = renderer.RenderToBitmap(nullptr, file, cell, RENDER_NO_ROTATE | RENDER_STORE_THUMBNAIL, fitted)) {
        Fail(host, "cannot be decoded, passed over: " + ErrorText(result));
        return Done(&Counts::undecodable);
    }
    const RenderReport& report = renderer.LastReport();
    if (report.thumbnailStored) {
        CFileListCache::DeleteCacheOf(path);
        return Done(&Counts::stored);
    }
    const int why = openError ? int(openError) : report.thumbnailError;
    Fail(host, "the thumbnail could not be stored" + (why ? ": " + FileErrorText(why, host) : std::string()));
    Done(&Counts::failed);
}

void ThumbnailPass::Fail(const std::string& subject, const std::string& reason) {
    std::lock_guard guard(m_lock);
    m_ctx.Fail(subject, reason);
}

void ThumbnailPass::Done(size_t Counts::*tally) {
    std::lock_guard guard(m_lock);
    if (tally) ++(m_counts.*tally);
    ++m_done;
    ShowProgress();
}

// One line redrawn in place on a terminal.
void ThumbnailPass::ShowProgress() {
    if (!m_progress || m_paths.empty()) return;
    constexpr size_t kWidth = 30;
    const size_t filled = m_done * kWidth / m_paths.size();
    m_ctx.err << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, '.') << "] " << m_done << "/"
              << m_paths.size() << std::flush;
}
