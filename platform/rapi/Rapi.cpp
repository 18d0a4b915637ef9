#include "platform/rapi/Rapi.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>

#include "platform/rapi/ConnectionManager.h"
#include "platform/rapi/NameListings.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/FaultInjection.h"
#include "platform/base/File.h"
#include "platform/base/FileFinder.h"
#include "platform/base/FileSystem.h"
#include "platform/base/Text.h"
#include "platform/base/WinError.h"

namespace {

struct RapiState {
    std::mutex lock;
    std::string chosenRoot;                 // set by RapiSetDeviceFolder
    std::optional<DeviceFolder> device;     // the device of the calls
    std::map<uintptr_t, std::unique_ptr<File>> handles;
    std::map<uintptr_t, std::u16string> handlePaths;  // for the fault hook
    uintptr_t nextHandle = 1;
    std::vector<RapiInvokeRecord> invokes;
    CNameListings listings;  // dropped at every CeRapiInit
};

RapiState& State() {
    static RapiState state;
    return state;
}

thread_local DWORD t_lastError = 0;
constexpr DWORD kErrorInsufficientBuffer = 122;

BOOL Fail(DWORD error) {
    t_lastError = error;
    return 0;
}

BOOL Succeed() {
    t_lastError = 0;
    return 1;
}

// The device the calls work on; connects on first use.
std::optional<DeviceFolder> Device() {
    RapiState& s = State();
    std::lock_guard guard(s.lock);
    if (!s.device) {
        std::string root = s.chosenRoot;
        DWORD id = 0;
        if (root.empty() && !FindConnectedDevice(root, id)) return std::nullopt;
        s.device.emplace(root);
        s.device->SetNameLookup([](const std::string& folder, const std::u16string& name, std::string& found) {
            return State().listings.Lookup(folder, name, found);
        });
    }
    return s.device;
}

// Runs the common prologue of a path call: fault check and device lookup.
DWORD Prepare(RapiCallKind kind, std::optional<DeviceFolder>& dev, std::u16string_view path) {
    if (DWORD injected = FaultInjection::Check(kind, path)) return injected;
    dev = Device();
    return dev ? 0 : ERROR_NOT_READY;
}

std::u16string PathOf(HANDLE h) {
    RapiState& s = State();
    std::lock_guard guard(s.lock);
    auto it = s.handlePaths.find(reinterpret_cast<uintptr_t>(h));
    return it == s.handlePaths.end() ? std::u16string() : it->second;
}

File* FileOf(HANDLE h) {
    RapiState& s = State();
    std::lock_guard guard(s.lock);
    auto it = s.handles.find(reinterpret_cast<uintptr_t>(h));
    return it == s.handles.end() ? nullptr : it->second.get();
}

std::u16string Str(LPCWSTR p) { return p ? std::u16string(p) : std::u16string(); }

// Keeps the kept listings in step with a change the layer made itself.
void Learn(const DeviceFolder& dev, std::u16string_view path) {
    std::string host;
    if (dev.ToHost(path, host) == 0) State().listings.Learn(host);
}

std::string HostOf(const DeviceFolder& dev, std::u16string_view path) {
    std::string host;
    return dev.ToHost(path, host) == 0 ? host : std::string();
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    size_t e = s.find_last_not_of(" \t\r\n");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

}  // namespace

void RapiSetDeviceFolder(const std::string& hostRoot) {
    RapiState& s = State();
    std::lock_guard guard(s.lock);
    s.chosenRoot = hostRoot;
    s.device.reset();
    s.handles.clear();
    s.handlePaths.clear();
    s.listings.Clear();
}

std::string RapiDeviceFolder() {
    RapiState& s = State();
    std::lock_guard guard(s.lock);
    return s.device ? s.device->Root() : s.chosenRoot;
}

HRESULT CeRapiInit() {
    {
        RapiState& s = State();
        std::lock_guard guard(s.lock);
        if (s.chosenRoot.empty()) s.device.reset();  // look for the device again
        s.listings.Clear();
    }
    return Device() ? S_OK : E_FAIL;
}

HRESULT CeRapiUninit() {
    RapiState& s = State();
    std::lock_guard guard(s.lock);
    s.handles.clear();
    s.handlePaths.clear();
    return S_OK;
}

DWORD CeGetLastError() { return t_lastError; }

HANDLE CeCreateFile(LPCWSTR name, DWORD access, DWORD share, void*, DWORD disposition, DWORD,
                    HANDLE) {
    std::optional<DeviceFolder> dev;
    if (DWORD err = Prepare(RapiCallKind::CreateFile, dev, Str(name))) {
        Fail(err);
        return INVALID_HANDLE_VALUE;
    }
    auto file = std::make_unique<File>();
    if (DWORD err = file->Open(*dev, Str(name), access, share, disposition)) {
        Fail(err);
        return INVALID_HANDLE_VALUE;
    }
    if (disposition != OPEN_EXISTING && disposition != TRUNCATE_EXISTING) Learn(*dev, Str(name));
    RapiState& s = State();
    std::lock_guard guard(s.lock);
    uintptr_t key = s.nextHandle++;
    s.handles[key] = std::move(file);
    s.handlePaths[key] = Str(name);
    t_lastError = 0;
    return reinterpret_cast<HANDLE>(key);
}

BOOL CeReadFile(HANDLE h, void* buffer, DWORD count, DWORD* done, void*) {
    if (done) *done = 0;
    if (DWORD err = FaultInjection::Check(RapiCallKind::ReadFile, PathOf(h))) return Fail(err);
    File* file = FileOf(h);
    if (!file) return Fail(ERROR_INVALID_HANDLE);
    uint32_t got = 0;
    if (DWORD err = file->Read(buffer, count, got)) return Fail(err);
    if (done) *done = got;
    return Succeed();
}

BOOL CeReadFileInto(HANDLE h, File& host, DWORD count, DWORD* done) {
    if (done) *done = 0;
    if (DWORD err = FaultInjection::Check(RapiCallKind::ReadFile, PathOf(h))) return Fail(err);
    File* file = FileOf(h);
    if (!file) return Fail(ERROR_INVALID_HANDLE);
    uint32_t got = 0;
    if (DWORD err = file->CopyTo(host, count, got)) return Fail(err);
    if (done) *done = got;
    return Succeed();
}

BOOL CeWriteFile(HANDLE h, const void* data, DWORD count, DWORD* done, void*) {
    if (done) *done = 0;
    if (DWORD err = FaultInjection::Check(RapiCallKind::WriteFile, PathOf(h))) return Fail(err);
    File* file = FileOf(h);
    if (!file) return Fail(ERROR_INVALID_HANDLE);
    uint32_t put = 0;
    if (DWORD err = file->Write(data, count, put)) return Fail(err);
    if (done) *done = put;
    return Succeed();
}

BOOL CeCloseHandle(HANDLE h) {
    RapiState& s = State();
    std::lock_guard guard(s.lock);
    s.handlePaths.erase(reinterpret_cast<uintptr_t>(h));
    if (s.handles.erase(reinterpret_cast<uintptr_t>(h)) == 0) return Fail(ERROR_INVALID_HANDLE);
    return Succeed();
}

DWORD CeGetFileSize(HANDLE h, DWORD* high) {
    File* file = FileOf(h);
    uint64_t size = 0;
    DWORD err = file ? file->GetSize(size) : ERROR_INVALID_HANDLE;
    if (err) {
        Fail(err);
        return 0xFFFFFFFFu;
    }
    if (high) *high = static_cast<DWORD>(size >> 32);
    t_lastError = 0;
    return static_cast<DWORD>(size);
}

BOOL CeSetFileTime(HANDLE h, const FileTime* creation, const FileTime* lastAccess,
                   const FileTime* lastWrite) {
    if (DWORD err = FaultInjection::Check(RapiCallKind::SetFileTime, PathOf(h))) return Fail(err);
    File* file = FileOf(h);
    if (!file) return Fail(ERROR_INVALID_HANDLE);
    if (DWORD err = file->SetTimes(creation, lastAccess, lastWrite)) return Fail(err);
    return Succeed();
}

BOOL CeGetFileTime(HANDLE h, FileTime* creation, FileTime* lastAccess, FileTime* lastWrite) {
    if (DWORD err = FaultInjection::Check(RapiCallKind::GetFileTime, PathOf(h))) return Fail(err);
    File* file = FileOf(h);
    if (!file) return Fail(ERROR_INVALID_HANDLE);
    if (DWORD err = file->GetTimes(creation, lastAccess, lastWrite)) return Fail(err);
    return Succeed();
}

BOOL CeFindAllFiles(LPCWSTR pattern, DWORD, DWORD* count, CE_FIND_DATA** found) {
    if (count) *count = 0;
    if (found) *found = nullptr;
    std::optional<DeviceFolder> dev;
    if (DWORD err = Prepare(RapiCallKind::FindAllFiles, dev, Str(pattern))) return Fail(err);
    std::vector<FindData> entries;
    FileFinder finder;
    FindData data;
    DWORD err = finder.First(*dev, Str(pattern), data);
    while (err == 0) {
        entries.push_back(data);
        err = finder.Next(data);
    }
    if (err != ERROR_NO_MORE_FILES && err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND)
        return Fail(err);
    if (!count || !found) return Succeed();
    if (!entries.empty()) {
        auto* array = static_cast<CE_FIND_DATA*>(std::calloc(entries.size(), sizeof(CE_FIND_DATA)));
        if (!array) return Fail(ERROR_NOT_ENOUGH_MEMORY);
        for (size_t i = 0; i < entries.size(); ++i) {
            const FindData& e = entries[i];
            CE_FIND_DATA& out = array[i];
            out.dwFileAttributes = e.attributes;
            out.ftCreationTime = e.creationTime;
            out.ftLastAccessTime = e.lastAccessTime;
            out.ftLastWriteTime = e.lastWriteTime;
            out.nFileSizeHigh = static_cast<DWORD>(e.size >> 32);
            out.nFileSizeLow = static_cast<DWORD>(e.size);
            size_t n = std::min(e.name.size(), size_t(MAX_PATH - 1));
            std::memcpy(out.cFileName, e.name.data(), n * sizeof(char16_t));
        }
        *found = array;
    }
    *count = static_cast<DWORD>(entries.size());
    return Succeed();
}

HRESULT CeRapiFreeBuffer(void* buffer) {
    std::free(buffer);
    return S_OK;
}

DWORD CeGetFileAttributes(LPCWSTR name) {
    std::optional<DeviceFolder> dev;
    if (DWORD err = Prepare(RapiCallKind::GetFileAttributes, dev, Str(name))) {
        Fail(err);
        return INVALID_FILE_ATTRIBUTES;
    }
    uint32_t attributes = 0;
    if (DWORD err = GetFileAttributes(*dev, Str(name), attributes)) {
        Fail(err);
        return INVALID_FILE_ATTRIBUTES;
    }
    t_lastError = 0;
    return attributes;
}

BOOL CeSetFileAttributes(LPCWSTR name, DWORD attributes) {
    std::optional<DeviceFolder> dev;
    if (DWORD err = Prepare(RapiCallKind::SetFileAttributes, dev, Str(name))) return Fail(err);
    if (DWORD err = SetFileAttributes(*dev, Str(name), attributes)) return Fail(err);
    return Succeed();
}

BOOL CeCreateDirectory(LPCWSTR name, void*) {
    std::optional<DeviceFolder> dev;
    if (DWORD err = Prepare(RapiCallKind::CreateDirectory, dev, Str(name))) return Fail(err);
    if (DWORD err = CreateDirectory(*dev, Str(name))) return Fail(err);
    Learn(*dev, Str(name));
    return Succeed();
}

BOOL CeDeleteFile(LPCWSTR name) {
    std::optional<DeviceFolder> dev;
    if (DWORD err = Prepare(RapiCallKind::DeleteFile, dev, Str(name))) return Fail(err);
    std::string host = HostOf(*dev, Str(name));
    if (DWORD err = DeleteFile(*dev, Str(name))) return Fail(err);
    State().listings.Forget(host);
    return Succeed();
}

BOOL CeMoveFile(LPCWSTR from, LPCWSTR to) {
    std::optional<DeviceFolder> dev;
    if (DWORD err = Prepare(RapiCallKind::MoveFile, dev, Str(from))) return Fail(err);
    std::string host = HostOf(*dev, Str(from));
    if (DWORD err = MoveFile(*dev, Str(from), Str(to))) return Fail(err);
    State().listings.Forget(host);
    Learn(*dev, Str(to));
    return Succeed();
}

BOOL CeMoveFileReplacing(LPCWSTR from, LPCWSTR to) {
    std::optional<DeviceFolder> dev;
    if (DWORD err = Prepare(RapiCallKind::MoveFile, dev, Str(from))) return Fail(err);
    std::string host = HostOf(*dev, Str(from));
    if (DWORD err = MoveFileReplacing(*dev, Str(from), Str(to))) return Fail(err);
    State().listings.Forget(host);
    Learn(*dev, Str(to));
    return Succeed();
}

uint32_t RapiLockDevice(int& token) {
    token = -1;
    std::optional<DeviceFolder> dev = Device();
    if (!dev) return ERROR_NOT_READY;
    // A lock on the folder itself: nothing is written on the device, and
    // the lock goes with the process however it ends.
    int fd = ::open(dev->Root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return WinErrorFromErrno(errno, dev->Root());
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd);
        return err == EWOULDBLOCK ? ERROR_BUSY : WinErrorFromErrno(err);
    }
    token = fd;
    return 0;
}

void RapiUnlockDevice(int token) {
    if (token >= 0) ::close(token);
}

DWORD CeGetSpecialFolderPath(int folder, DWORD length, LPWSTR buffer) {
    std::optional<DeviceFolder> dev = Device();
    if (!dev || FaultInjection::Vanished()) {
        Fail(ERROR_NOT_READY);
        return 0;
    }
    if (folder != CSIDL_PERSONAL) {
        Fail(ERROR_INVALID_PARAMETER);
        return 0;
    }
    DWORD id = 0;
    std::u16string personal = u"\\My Documents";
    RapiReadDeviceIdentity(dev->Root(), id, &personal);
    if (!buffer || length <= personal.size()) {
        Fail(kErrorInsufficientBuffer);
        return 0;
    }
    std::memcpy(buffer, personal.c_str(), (personal.size() + 1) * sizeof(char16_t));
    t_lastError = 0;
    return static_cast<DWORD>(personal.size());
}

HRESULT CeRapiInvoke(LPCWSTR dll, LPCWSTR function, DWORD, uint8_t*, DWORD* outputSize,
                     uint8_t** output, void*, DWORD) {
    if (outputSize) *outputSize = 0;
    if (output) *output = nullptr;
    if (!Device() || FaultInjection::Vanished()) return E_FAIL;
    RapiState& s = State();
    std::lock_guard guard(s.lock);
    s.invokes.push_back({Str(dll), Str(function)});
    return S_OK;
}

DWORD CeGetDeviceId() {
    std::string root;
    {
        RapiState& s = State();
        std::lock_guard guard(s.lock);
        root = s.chosenRoot;
    }
    DWORD id = 0;
    if (root.empty()) return FindConnectedDevice(root, id) ? id : 0;
    return RapiReadDeviceIdentity(root, id) ? id : 0;
}

std::vector<RapiInvokeRecord> RapiInvokeLog() {
    RapiState& s = State();
    std::lock_guard guard(s.lock);
    return s.invokes;
}

void RapiClearInvokeLog() {
    RapiState& s = State();
    std::lock_guard guard(s.lock);
    s.invokes.clear();
}

bool RapiReadDeviceIdentity(const std::string& hostRoot, DWORD& id, std::u16string* personal) {
    DeviceFolder dev(hostRoot);
    File file;
    if (file.Open(dev, kDeviceIdentityPath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING)) return false;
    std::string text(4096, '\0');
    uint32_t got = 0;
    if (file.Read(text.data(), static_cast<uint32_t>(text.size()), got)) return false;
    text.resize(got);
    bool haveId = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = Trim(line.substr(0, eq));
        std::string value = Trim(line.substr(eq + 1));
        if (key == "DeviceId" && !value.empty()) {
            char* stop = nullptr;
            unsigned long v = std::strtoul(value.c_str(), &stop, 10);
            if (stop && *stop == '\0' && v <= 0xFFFFFFFFul) {
                id = static_cast<DWORD>(v);
                haveId = true;
            }
        } else if (key == "PersonalFolder" && personal && !value.empty() && value[0] == '\\') {
            *personal = Utf8ToUtf16(value);
        }
    }
    return haveId;
}

uint32_t RapiWriteDeviceIdentity(const std::string& hostRoot, DWORD id) {
    DeviceFolder dev(hostRoot);
    std::u16string personal;
    DWORD oldId = 0;
    RapiReadDeviceIdentity(hostRoot, oldId, &personal);
    uint32_t err = CreateDirectory(dev, u"\\Windows");
    if (err && err != ERROR_ALREADY_EXISTS) return err;
    std::string text = "DeviceId=" + std::to_string(id) + "\n";
    if (!personal.empty()) text += "PersonalFolder=" + Utf16ToUtf8(personal) + "\n";
    File file;
    if ((err = file.Open(dev, kDeviceIdentityPath, GENERIC_WRITE, 0, CREATE_ALWAYS))) return err;
    uint32_t put = 0;
    return file.Write(text.data(), static_cast<uint32_t>(text.size()), put);
}
