#include "desktop/CategoryFiles.h"

#include <vector>

#include "catalogue/CategoryDB.h"
#include "desktop/DesktopFiles.h"
#include "platform/rapi/Rapi.h"
#include "platform/base/WinError.h"

namespace {

constexpr char16_t kHandheldTempSuffix[] = u"__KVTemp";
// Real databases are a few kilobytes.
constexpr uint32_t kMaxHandheldDatabase = 16u << 20;

bool IsMissing(uint32_t error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

uint32_t ReadHandheldFile(const std::u16string& path, std::vector<uint8_t>& bytes) {
    RemoteFile file(CeCreateFile(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return CeGetLastError();
    const DWORD size = CeGetFileSize(file.Get(), nullptr);
    if (size == 0xFFFFFFFFu) return CeGetLastError();
    if (size > kMaxHandheldDatabase) return ERROR_NOT_ENOUGH_MEMORY;
    bytes.resize(size);
    DWORD got = 0;
    if (size > 0 && !CeReadFile(file.Get(), bytes.data(), size, &got, nullptr)) return CeGetLastError();
    return got == size ? 0 : ERROR_READ_FAULT;
}

uint32_t WriteHandheldFileReplacing(const std::u16string& path, const std::vector<uint8_t>& bytes) {
    const std::u16string temp = path + kHandheldTempSuffix;
    CeDeleteFile(temp.c_str());
    RemoteFile file(CeCreateFile(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return CeGetLastError();
    DWORD put = 0;
    const BOOL ok = CeWriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    DWORD error = ok ? (put == bytes.size() ? 0 : ERROR_DISK_FULL) : CeGetLastError();
    file.Close();
    if (error == 0) {
        CeDeleteFile(path.c_str());
        if (!CeMoveFile(temp.c_str(), path.c_str())) error = CeGetLastError();
    }
    if (error != 0) CeDeleteFile(temp.c_str());
    return error;
}

}  // namespace

int32_t LoadDesktopCategories(const std::string& hostPath, CCategoryDB& db) {
    db.LoadFromMemory(nullptr, 0);
    std::vector<uint8_t> bytes;
    const uint32_t error = ReadDesktopFile(hostPath, bytes);
    if (error == ERROR_FILE_NOT_FOUND) return 0;
    if (error != 0) return static_cast<int32_t>(error);
    return db.LoadFromMemory(bytes.data(), bytes.size());
}

int32_t SaveDesktopCategories(const std::string& hostPath, CCategoryDB& db) {
    return db.SaveTo([&](const std::vector<uint8_t>& bytes) { return WriteDesktopFileAtomic(hostPath, bytes); });
}

int32_t LoadHandheldCategories(const std::u16string& path, CCategoryDB& db) {
    db.LoadFromMemory(nullptr, 0);
    std::vector<uint8_t> bytes;
    const uint32_t error = ReadHandheldFile(path, bytes);
    if (IsMissing(error)) return 0;
    if (error != 0) return static_cast<int32_t>(error);
    return db.LoadFromMemory(bytes.data(), bytes.size());
}

int32_t SaveHandheldCategories(const std::u16string& path, CCategoryDB& db) {
    return db.SaveTo([&](const std::vector<uint8_t>& bytes) { return WriteHandheldFileReplacing(path, bytes); });
}
