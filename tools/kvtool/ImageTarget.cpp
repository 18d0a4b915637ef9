#include "tools/kvtool/ImageTarget.h"

#include <filesystem>

#include "catalogue/CatalogueStrings.h"
#include "platform/DeviceFolder.h"
#include "platform/Text.h"

namespace stdfs = std::filesystem;

ImageTarget::ImageTarget(const std::string& hostPath) {
    std::error_code ec;
    const std::string absolute = stdfs::absolute(hostPath, ec).lexically_normal().string();
    const DeviceFolder& device = DeviceFolder::Current();
    const std::string root = stdfs::absolute(device.Root(), ec).lexically_normal().string();
    if (DeviceFolder(root).ToDevice(absolute, m_path)) {
        // Anything outside the main folder of internal storage lies on a card.
        m_removable = !StartsWithNoCase(m_path, MAIN_PHOTO_FOLDER);
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
