#include "platform/registry/HiveLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/base/WinError.h"
#include "platform/registry/RegistryHive.h"

HiveLock::~HiveLock() {
    if (m_fd >= 0) ::close(m_fd);  // closing releases the lock
}

uint32_t HiveLock::Acquire(const std::string& hivePath) {
    const size_t slash = hivePath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : hivePath.substr(0, slash));
    if (uint32_t err = MakeHiveFolders(folder)) return err;
    m_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) return WinErrorFromErrno(errno, folder);
    while (::flock(m_fd, LOCK_EX) != 0) {
        if (errno != EINTR) break;
    }
    return ERROR_SUCCESS;
}
