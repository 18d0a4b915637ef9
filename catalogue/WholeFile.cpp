#include "catalogue/WholeFile.h"

#include <new>

#include "platform/base/DeviceFolder.h"
#include "platform/base/File.h"
#include "platform/base/FileSystem.h"
#include "platform/base/WinError.h"

uint32_t ReadWholeFile(const DeviceFolder& device, std::u16string_view path,
                       std::vector<uint8_t>& data, uint64_t maxSize) {
    data.clear();
    File file;
    uint32_t error = file.Open(device, path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (error != 0) return error;
    uint64_t size = 0;
    if ((error = file.GetSize(size)) != 0) return error;
    if (size > maxSize) return ERROR_NOT_ENOUGH_MEMORY;
    try {
        data.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    size_t held = 0;
    while (held < data.size()) {
        uint32_t done = 0;
        error = file.Read(data.data() + held, static_cast<uint32_t>(data.size() - held), done);
        if (error != 0) return error;
        if (done == 0) break;  // the file shrank while we read it
        held += done;
    }
    data.resize(held);
    return 0;
}

std::u16string TemporaryNameFor(std::u16string_view path) {
    return std::u16string(path) + u"__KVTemp";
}

namespace {

uint32_t WriteAll(File& file, const std::vector<uint8_t>& data) {
    size_t written = 0;
    while (written < data.size()) {
        uint32_t done = 0;
        const uint32_t error =
            file.Write(data.data() + written, static_cast<uint32_t>(data.size() - written), done);
        if (error != 0) return error;
        if (done == 0) return ERROR_DISK_FULL;
        written += done;
    }
    return 0;
}

uint32_t WriteTemporary(const DeviceFolder& device, std::u16string_view temp,
                        const std::vector<uint8_t>& data) {
    File file;
    // No sharing: a second writer, or a recovery, cannot touch it meanwhile.
    uint32_t error = file.Open(device, temp, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (error != 0) return error;
    error = WriteAll(file, data);
    if (error == 0) error = file.Flush();
    file.Close();
    if (error != 0) DeleteFile(device, temp);
    return error;
}

}  // namespace

uint32_t WriteWholeFileReplacing(const DeviceFolder& device, std::u16string_view path,
                                 const std::vector<uint8_t>& data) {
    const std::u16string temp = TemporaryNameFor(path);
    uint32_t error = WriteTemporary(device, temp, data);
    if (error != 0) return error;
    error = MoveFileReplacing(device, temp, path);
    if (error != 0) DeleteFile(device, temp);
    return error;
}

bool RecoverTemporaryFile(const DeviceFolder& device, std::u16string_view path) {
    if (PathExists(device, path)) return false;
    const std::u16string temp = TemporaryNameFor(path);
    uint32_t attributes = 0;
    if (GetFileAttributes(device, temp, attributes) != 0) return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    {
        // A writer still holding the temporary file open is not done with it.
        File probe;
        if (probe.Open(device, temp, GENERIC_READ, 0, OPEN_EXISTING) != 0) return false;
    }
    return MoveFile(device, temp, path) == 0;
}
