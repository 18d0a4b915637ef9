#include "desktop/HandheldSide.h"

#include "desktop/SyncTypes.h"
#include "platform/base/FileSystem.h"
#include "platform/base/Text.h"
#include "platform/base/WinError.h"
#include "platform/rapi/Rapi.h"

namespace {

std::u16string Wide(const std::string& path) { return Utf8ToUtf16(path); }
int32_t LastError() { return static_cast<int32_t>(CeGetLastError()); }

// The array CeFindAllFiles hands out, returned when the owner goes.
struct FindBuffer {
    CE_FIND_DATA* data = nullptr;
    DWORD count = 0;
    ~FindBuffer() {
        if (data) CeRapiFreeBuffer(data);
    }
};

class HandheldReader final : public ISideReader {
public:
    explicit HandheldReader(HANDLE h) : m_file(h) {}
    int32_t Read(void* buffer, uint32_t count, uint32_t& got) override {
        DWORD done = 0;
        got = 0;
        if (!CeReadFile(m_file.Get(), buffer, count, &done, nullptr)) return LastError();
        got = done;
        return 0;
    }
    int32_t ReadInto(File& to, uint32_t count, uint32_t& got) override {
        DWORD done = 0;
        got = 0;
        if (!CeReadFileInto(m_file.Get(), to, count, &done)) return LastError();
        got = done;
        return 0;
    }

private:
    RemoteFile m_file;
};

class HandheldWriter final : public ISideWriter {
public:
    HandheldWriter(HANDLE h, std::string path) : m_file(h), m_path(std::move(path)) {}
    int32_t Write(const void* data, uint32_t count) override {
        DWORD put = 0;
        if (!CeWriteFile(m_file.Get(), data, count, &put, nullptr)) return LastError();
        return put == count ? 0 : static_cast<int32_t>(ERROR_DISK_FULL);
    }
    int32_t Finish(uint32_t time, uint32_t& kept) override {
        kept = time;
        if (time == 0) {
            m_file.Close();
            return 0;
        }
        const FileTime wanted = RawFileTimeFromSeconds1904(time);
        if (!CeSetFileTime(m_file.Get(), nullptr, nullptr, &wanted)) return LastError();
        m_file.Close();
        // The handheld's file system may keep the time less exactly.
        RemoteFile check(CeCreateFile(Wide(m_path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        FileTime got = 0;
        if (check.IsOpen() && CeGetFileTime(check.Get(), nullptr, nullptr, &got) && got != wanted)
            kept = Seconds1904FromRawFileTime(got);
        return 0;
    }
    const std::string& Path() const override { return m_path; }

private:
    RemoteFile m_file;
    std::string m_path;
};

}  // namespace

std::string CHandheldSide::Join(std::string_view folder, std::string_view name) const {
    return Utf16ToUtf8(JoinHandheldPath(Utf8ToUtf16(folder), Utf8ToUtf16(name)));
}

std::string CHandheldSide::NameOf(std::string_view path) const {
    size_t at = path.rfind('\\');
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

int32_t CHandheldSide::List(const std::string& folder, std::vector<SideEntry>& entries) {
    entries.clear();
    FindBuffer found;
    std::u16string pattern = JoinHandheldPath(Wide(folder), u"*.*");
    if (!CeFindAllFiles(pattern.c_str(), FAF_ATTRIBUTES | FAF_LASTWRITE_TIME | FAF_NAME, &found.count,
                        &found.data))
        return ERR_LISTING_FAILED;
    for (DWORD i = 0; i < found.count; ++i) {
        const CE_FIND_DATA& d = found.data[i];
        size_t n = 0;
        while (n < MAX_PATH && d.cFileName[n]) ++n;
        entries.push_back({Utf16ToUtf8(std::u16string_view(d.cFileName, n)),
                           Seconds1904FromRawFileTime(d.ftLastWriteTime),
                           (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, 0});
    }
    // An empty listing may be a folder that is not there at all.
    if (entries.empty() && CeGetFileAttributes(Wide(folder).c_str()) == INVALID_FILE_ATTRIBUTES) {
        DWORD err = CeGetLastError();
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return static_cast<int32_t>(ERROR_PATH_NOT_FOUND);
        return ERR_LISTING_FAILED;
    }
    return 0;
}

int32_t CHandheldSide::MakeFolder(const std::string& path, bool* created) {
    std::u16string wide = Wide(path);
    if (created) *created = CeGetFileAttributes(wide.c_str()) == INVALID_FILE_ATTRIBUTES;
    return static_cast<int32_t>(CDeviceStorage::CreateFolder(wide));
}

int32_t CHandheldSide::OpenRead(const std::string& path, std::unique_ptr<ISideReader>& reader) {
    HANDLE h = CeCreateFile(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError();
    reader = std::make_unique<HandheldReader>(h);
    return 0;
}

int32_t CHandheldSide::CreateTemporary(const std::string& folder, std::unique_ptr<ISideWriter>& writer) {
    std::string path = Join(folder, TemporaryFileName());
    HANDLE h = CeCreateFile(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError();
    writer = std::make_unique<HandheldWriter>(h, path);
    return 0;
}

CHandheldSide::~CHandheldSide() { RapiUnlockDevice(m_lock); }

int32_t CHandheldSide::Lock(const std::string&) {
    if (m_lock >= 0) return 0;
    return static_cast<int32_t>(RapiLockDevice(m_lock));
}

int32_t CHandheldSide::Replace(const std::string& from, const std::string& to) {
    // One step: deleting the old file first could leave neither.
    return CeMoveFileReplacing(Wide(from).c_str(), Wide(to).c_str()) ? 0 : LastError();
}

int32_t CHandheldSide::Rename(const std::string& from, const std::string& to) {
    return CeMoveFile(Wide(from).c_str(), Wide(to).c_str()) ? 0 : LastError();
}

int32_t CHandheldSide::Delete(const std::string& path) {
    return static_cast<int32_t>(CDeviceStorage::DeleteFile(Wide(path)));
}

int32_t CHandheldSide::SetTime(const std::string& path, uint32_t time) {
    RemoteFile file(CeCreateFile(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return LastError();
    const FileTime wanted = RawFileTimeFromSeconds1904(time);
    return CeSetFileTime(file.Get(), nullptr, nullptr, &wanted) ? 0 : LastError();
}

std::vector<CardInfo> CHandheldSide::Cards(const CSyncReporter& reporter) const {
    return CDeviceStorage::EnumerateCards(reporter);
}

std::string CHandheldSide::RootPrefix() const { return Utf16ToUtf8(CDeviceStorage::RootPrefix()); }

void CHandheldSide::Notify(const std::string& library, const std::string& entry) const {
    std::u16string path = Wide(library);
    if (CeGetFileAttributes(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    DWORD outputSize = 0;
    CeRapiInvoke(path.c_str(), Wide(entry).c_str(), 0, nullptr, &outputSize, nullptr, nullptr, 0);
}
