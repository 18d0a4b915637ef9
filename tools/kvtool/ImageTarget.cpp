#include "tools/kvtool/ImageTarget.h"

#include <filesystem>

#include "catalogue/FileListCache.h"
#include "catalogue/ImageItem.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/Text.h"

namespace stdfs = std::filesystem;

ImageTarget::ImageTarget(const std::string& hostPath) {
    std::error_code ec;
    const std::string absolute = stdfs::absolute(hostPath, ec).lexically_normal().string();
    const DeviceFolder& device = DeviceFolder::Current();
    const std::string root = stdfs::absolute(device.Root(), ec).lexically_normal().string();
    if (DeviceFolder(root).ToDevice(absolute, m_path)) {
        m_removable = CImageItem::IsRemovablePath(m_path);
        return;
    }
    const stdfs::path p(absolute);
    m_previousRoot = device.Root();
    DeviceFolder::SetCurrent(p.parent_path().string());
    m_path = u"\\" + Utf8ToUtf16(p.filename().string());
    m_removable = true;
}

ImageTarget::~ImageTarget() {
    if (m_previousRoot) DeviceFolder::SetCurrent(*m_previousRoot);
}

void ImageTarget::Changed() const { CFileListCache::DeleteCacheOf(m_path); }
