#include "tools/kvtool/ErrorText.h"

#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include "catalogue/CategoryDB.h"
#include "catalogue/ImageTrailer.h"
#include "platform/base/WinError.h"

namespace {
const std::map<int, const char*>& Reasons() {
    static const std::map<int, const char*> reasons = {
        {int(ERROR_FILE_NOT_FOUND), "file not found"},
        {int(ERROR_PATH_NOT_FOUND), "folder not found"},
        {int(ERROR_ACCESS_DENIED), "access denied"},
        {int(ERROR_NOT_ENOUGH_MEMORY), "not enough memory"},
        {int(ERROR_INVALID_DATA), "invalid data"},
        {int(ERROR_WRITE_PROTECT), "the medium is write-protected"},
        {int(ERROR_SHARING_VIOLATION), "the file is in use"},
        {int(ERROR_FILE_EXISTS), "a file with that name already exists"},
        {int(ERROR_DISK_FULL), "the disk is full"},
        {int(ERROR_INVALID_NAME), "invalid name"},
        {int(ERROR_ALREADY_EXISTS), "a file with that name already exists"},
        {ERR_TRAILER_NO_DATA, "the file is empty or its end cannot be read"},
        {ERR_TRAILER_SHORT_WRITE, "the trailer was only partly written"},
        {ERR_TRAILER_TOO_LARGE, "the trailer would be too large"},
        {ERR_CATEGORY_DB_VERSION, "category database of an unknown version"},
        {-1, "empty file or out of memory"},
        {-200, "bad Huffman table: too many codes"},
        {-201, "bad Huffman table slot"},
        {-202, "Huffman table segment too short"},
        {-203, "quantisation table segment too short"},
        {-204, "bad quantisation table number"},
        {-205, "sample precision other than 8 bits not supported"},
        {-206, "width or height is zero"},
        {-207, "the file ends inside the header"},
        {-208, "too many colour components"},
        {-209, "frame header length wrong"},
        {-210, "segment length wrong"},
        {-211, "restart interval segment length wrong"},
        {-212, "scan header wrong"},
        {-213, "scan names a missing component"},
        {-214, "table selector out of range"},
        {-215, "bad arithmetic conditioning segment"},
        {-216, "no image data found"},
        {-217, "not a JPEG file"},
        {-218, "unsupported kind of JPEG (lossless or hierarchical)"},
        {-219, "quantisation table segment shorter than its table"},
        {-220, "bad sampling factor"},
        {-222, "a scan names a component twice"},
        {-223, "picture too large at this scale"},
        {-225, "colour layout not supported (only 1, 3 or 4 components)"},
        {-226, "colour sampling not supported"},
        {-234, "progressive scan script breaks the rules"},
    };
    return reasons;
}
}  // namespace

std::string ErrorText(int result) {
    const auto it = Reasons().find(result);
    const std::string reason = it != Reasons().end() ? it->second : "error";
    return reason + " (" + std::to_string(result) + ")";
}

// "Access denied" has three causes a user acts on differently.
std::string FileErrorText(int result, const std::string& hostPath) {
    if (result != int(ERROR_ACCESS_DENIED) || hostPath.empty()) return ErrorText(result);
    const auto writable = [](const std::string& path) {
        struct stat st{};
        return stat(path.c_str(), &st) != 0 || ((st.st_mode & S_IWUSR) && access(path.c_str(), W_OK) == 0);
    };
    const size_t slash = hostPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : hostPath.substr(0, slash == 0 ? 1 : slash);
    std::string reason = "access denied";
    if (access(hostPath.c_str(), F_OK) == 0 && access(hostPath.c_str(), R_OK) != 0) {
        reason = "the file cannot be read (access denied)";
    } else if (!writable(hostPath) || !writable(folder)) {
        reason = "access denied (read-only file or folder)";
    }
    return reason + " (" + std::to_string(result) + ")";
}
