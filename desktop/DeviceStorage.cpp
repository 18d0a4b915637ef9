#include "desktop/DeviceStorage.h"

#include <algorithm>
#include <memory>

#include "catalogue/CatalogueTypes.h"
#include "desktop/SyncReporter.h"
#include "desktop/SyncTypes.h"
#include "platform/base/FaultInjection.h"
#include "platform/base/FileSystem.h"
#include "platform/rapi/Rapi.h"
#include "platform/base/Text.h"
#include "platform/base/WinError.h"

namespace {

constexpr char16_t kIdentityFile[] = u"volID.txt";
constexpr char16_t kProbeFile[] = u"TestKV.KVF";
constexpr size_t kIdentityLength = 16;

// The array CeFindAllFiles hands out, returned when the owner goes.
struct FindBuffer {
    CE_FIND_DATA* data = nullptr;
    DWORD count = 0;
    ~FindBuffer() {
        if (data) CeRapiFreeBuffer(data);
    }
};

std::u16string NameOf(const CE_FIND_DATA& d) {
    size_t n = 0;
    while (n < MAX_PATH && d.cFileName[n]) ++n;
    return std::u16string(d.cFileName, n);
}

std::string HexOf(const RecordId& id) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : id) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 15]);
    }
    return text;
}

// The identity names a desktop folder: it must be one plain name there.
bool IsSafeIdentity(const std::string& id) {
    for (char c : id) {
        if (c < 0x21 || c > 0x7E || c == '/' || c == '\\' || c == ':') return false;
    }
    return id != "." && id != "..";
}

bool IsWriteProtected(const std::u16string& cardFolder) {
    std::u16string probe = JoinHandheldPath(u"\\" + cardFolder, kProbeFile);
    HANDLE h = CeCreateFile(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CeCloseHandle(h);
        CeDeleteFile(probe.c_str());
        return false;
    }
    DWORD err = CeGetLastError();
    // A probe left by an interrupted run: the card took it, so it is writable.
    if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) CeDeleteFile(probe.c_str());
    return err == ERROR_WRITE_PROTECT;
}

}  // namespace

std::u16string CDeviceStorage::RootPrefix() {
    char16_t personal[MAX_PATH] = {};
    if (CeGetSpecialFolderPath(CSIDL_PERSONAL, MAX_PATH, personal) == 0) return {};
    std::u16string path(personal);
    if (path.empty() || path[0] != u'\\') return {};
    size_t second = path.find(u'\\', 1);
    if (second == std::u16string::npos) return {};
    return path.substr(0, second);
}

std::string CDeviceStorage::VolumeIdentity(const std::u16string& cardFolder) {
    std::u16string path = JoinHandheldPath(u"\\" + cardFolder, kIdentityFile);
    HANDLE h = CeCreateFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        char text[kIdentityLength] = {};
        DWORD got = 0;
        BOOL ok = CeReadFile(h, text, kIdentityLength, &got, nullptr);
        CeCloseHandle(h);
        if (!ok || got != kIdentityLength) return {};
        std::string id(text, kIdentityLength);
        return IsSafeIdentity(id) ? id : std::string();
    }
    DWORD openError = CeGetLastError();
    if (openError != ERROR_FILE_NOT_FOUND) return {};  // there, but unreadable: keep it
    h = CeCreateFile(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string id = HexOf(NewRecordId());
    DWORD put = 0;
    BOOL ok = CeWriteFile(h, id.data(), static_cast<DWORD>(id.size()), &put, nullptr);
    CeCloseHandle(h);
    CeSetFileAttributes(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    return ok && put == id.size() ? id : std::string();
}

std::vector<CardInfo> CDeviceStorage::EnumerateCards(const CSyncReporter& reporter) {
    std::vector<CardInfo> cards;
    FindBuffer root;
    if (!CeFindAllFiles(u"\\*.*", FAF_ATTRIBUTES | FAF_NAME, &root.count, &root.data)) {
        reporter.Message(SyncText::kCardsUnreadable);
        return cards;
    }
    std::u16string prefix = RootPrefix();
    std::u16string excluded = prefix.empty() ? std::u16string() : prefix.substr(1);
    // Cards in name order, so which five are taken does not depend on the
    // order the handheld happens to list them in.
    std::vector<std::u16string> names;
    for (DWORD i = 0; i < root.count; ++i) {
        const CE_FIND_DATA& d = root.data[i];
        const DWORD cardBits = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_TEMPORARY;
        std::u16string name = NameOf(d);
        if ((d.dwFileAttributes & cardBits) != cardBits) continue;
        if (!excluded.empty() && name == excluded) continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::u16string& a, const std::u16string& b) {
        int byCase = CompareNoCase(a, b);
        return byCase != 0 ? byCase < 0 : a < b;
    });
    for (const std::u16string& name : names) {
        std::string shown = Utf16ToUtf8(name);
        if (Utf16ToAnsi(name).size() >= kCardNameField) {
            reporter.Message(FormatLine(SyncText::kCardNameTooLong, shown.c_str(), int(kCardNameField - 1)));
            continue;
        }
        if (cards.size() == MAX_STORAGE_CARDS) {
            reporter.Message(FormatLine(SyncText::kTooManyCards, shown.c_str(), int(MAX_STORAGE_CARDS)));
            continue;
        }
        CardInfo card;
        card.folderName = name;
        card.volumeId = VolumeIdentity(name);
        if (card.volumeId.empty()) card.volumeId = Utf16ToUtf8(name);
        card.writeProtected = IsWriteProtected(name);
        cards.push_back(std::move(card));
    }
    return cards;
}

uint32_t CDeviceStorage::CreateFolder(const std::u16string& path) {
    auto create = [](const std::u16string& p) -> uint32_t {
        if (CeCreateDirectory(p.c_str(), nullptr)) return 0;
        DWORD err = CeGetLastError();
        return err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS ? 0 : err;
    };
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] != u'\\' && path[i] != u'/') continue;
        if (uint32_t err = create(path.substr(0, i))) return err;
    }
    return create(path);
}

uint32_t CDeviceStorage::DeleteFile(const std::u16string& path) {
    for (uint32_t attempt = 1;; ++attempt) {
        if (CeDeleteFile(path.c_str())) return 0;
        DWORD err = CeGetLastError();
        if (err != ERROR_HANDHELD_FILE_LOCKED) return err;
        if (attempt == kLockedRetries) return ERROR_HANDHELD_FILE_LOCKED;
        FaultInjection::Sleep(kLockedWaitMs);
    }
}
