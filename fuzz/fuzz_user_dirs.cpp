// The user-dirs file the desktop library reads to find the documents folder.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "desktop/UserDirs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string folder = DocumentsFolderFromUserDirs(text, "/home/u");
    // Whatever it names is an absolute path.
    if (!folder.empty() && folder.front() != '/') std::abort();
    return 0;
}
