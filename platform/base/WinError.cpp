#include "platform/base/WinError.h"

#include <cerrno>
#include <sys/stat.h>

namespace {
bool FolderOfExists(const std::string& hostPath) {
    const auto slash = hostPath.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return true;
    struct stat st{};
    return stat(hostPath.substr(0, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

uint32_t WinErrorFromErrno(int err, const std::string& hostPath) {
    switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT:
        return hostPath.empty() || FolderOfExists(hostPath) ? ERROR_FILE_NOT_FOUND
                                                           : ERROR_PATH_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EROFS: return ERROR_WRITE_PROTECT;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ERROR_DISK_FULL;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EWOULDBLOCK: return ERROR_SHARING_VIOLATION;
    case EBUSY: return ERROR_BUSY;
    case ENODEV:
    case ENXIO:
    case ENOMEDIUM: return ERROR_NOT_READY;
    case EXDEV: return ERROR_NOT_SUPPORTED;
    case EIO: return ERROR_GEN_FAILURE;
    default: return ERROR_GEN_FAILURE;
    }
}
