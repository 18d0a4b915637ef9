#include "desktop/SyncEngine.h"

#include <algorithm>
#include <memory>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/FileListCache.h"
#include "desktop/CategoryFiles.h"
#include "desktop/DesktopFiles.h"
#include "platform/base/File.h"
#include "platform/base/FileSystem.h"
#include "platform/rapi/Rapi.h"
#include "platform/base/Text.h"
#include "platform/base/Time.h"
#include "platform/base/WinError.h"

namespace {

constexpr char kInternalFolder[] = "Internal";
constexpr char kCameraFolder[] = "DCIM";
constexpr char16_t kMyDocuments[] = u"\\My Documents";
constexpr char16_t kCameraFolder16[] = u"\\DCIM";
constexpr char16_t kHandheldTemp[] = u"~~KvTempFile~~.~kv";
constexpr char kDesktopTemp[] = "~~KvTempFile~~.~kv";
constexpr char16_t kNotifyLibrary[] = u"\\Program Files\\Farrowdale\\Kestrelview\\KVSync.Dll";
constexpr char16_t kNotifyEntry[] = u"RAPISyncNotify";
constexpr char16_t kOtherCategories[] = u"\\Program Files\\Brindell\\Vellumcam\\_CategoryDB";
constexpr char kDesktopCategories[] = "_CategoryDB";
static_assert(ERR_HANDHELD_CATEGORIES_OUT_OF_DATE == ERR_CATEGORY_DB_VERSION,
              "a handheld file of another version ends the run with its own code");

std::string Utf8(const std::u16string& text) { return Utf16ToUtf8(text); }

// Whether a name can be one file name on the handheld and in the records.
bool IsSingleName(const std::u16string& name) {
    if (name.empty() || name == u"." || name == u"..") return false;
    for (char16_t c : name) {
        if (c == u'\\' || c == u'/' || c == u':' || c < 0x20 || c == 0xFFFD) return false;
    }
    return AnsiToUtf16(Utf16ToAnsi(name)) == name;
}


}  // namespace

CSyncEngine::CSyncEngine(std::string brand, SyncProgressCallback callback, const SyncRequest& request,
                         std::string application)
    : m_report(callback, brand, std::move(application)),
      m_brand(std::move(brand)),
      m_mode(static_cast<uint16_t>(request.mode & 0xFFFF)),
      m_syncFolder(request.desktopFolder,
                   std::find(request.desktopFolder, request.desktopFolder + kSyncFolderSize, '\0')) {}

bool CSyncEngine::AcceptName(const std::u16string& name, size_t limit, std::string& ansi) const {
    if (!IsSingleName(name)) {
        m_report.Message(FormatLine(SyncText::kBadName, Utf8(name).c_str()));
        return false;
    }
    ansi = Utf16ToAnsi(name);
    if (ansi.size() >= limit) {
        m_report.MessageNameTooLong(Utf8(name), static_cast<int>(limit - 1));
        return false;
    }
    return true;
}

bool CSyncEngine::AcceptFolder(const std::u16string& folder, std::string& ansi) const {
    ansi = Utf16ToAnsi(folder);
    if (AnsiToUtf16(ansi) != folder) {
        m_report.Message(FormatLine(SyncText::kBadName, Utf8(folder).c_str()));
        return false;
    }
    if (ansi.size() > CLastSyncCache::kMaxFieldText) {
        m_report.MessageNameTooLong(Utf8(folder), static_cast<int>(CLastSyncCache::kMaxFieldText));
        return false;
    }
    return true;
}

int32_t CSyncEngine::Run() {
    int32_t result = m_report.Progress(SyncText::kSearchingCards);
    std::vector<CardInfo> cards;
    if (result == 0) {
        cards = CDeviceStorage::EnumerateCards(m_report);
        m_rootPrefix = CDeviceStorage::RootPrefix();
        CreateDesktopFolder(m_syncFolder);
        result = m_report.Progress(SyncText::kSyncingCategories);
    }
    if (result == 0) result = SyncCategories();
    if (result == 0) {
        std::u16string brand = Utf8ToUtf16(m_brand);
        Location internal;
        internal.handheldFolder = m_rootPrefix + kMyDocuments + u"\\" + brand;
        internal.desktopLevels = {JoinDesktopPath(m_syncFolder, kInternalFolder)};
        internal.desktopLevels.push_back(JoinDesktopPath(internal.desktopLevels[0], m_brand));
        internal.locationName = kInternalFolder;
        result = SyncLocation(internal);
        for (size_t i = 0; result == 0 && i < cards.size(); ++i) {
            const CardInfo& card = cards[i];
            if (card.writeProtected) {
                m_report.Message(FormatLine(SyncText::kWriteProtected, m_brand.c_str(),
                                            Utf8(card.folderName).c_str()));
                continue;
            }
            Location photos;
            std::string volume = JoinDesktopPath(m_syncFolder, card.volumeId);
            photos.handheldFolder = u"\\" + card.folderName + kMyDocuments + u"\\" + brand;
            photos.desktopLevels = {volume, JoinDesktopPath(volume, m_brand)};
            photos.locationName = Utf16ToAnsi(card.folderName);
            photos.nameLimit = kCardNameLimit;
            photos.reserved1 = card.reserved1;
            photos.reserved2 = card.reserved2;
            result = SyncLocation(photos);
            if (result != 0) break;
            Location camera = photos;
            camera.handheldFolder = u"\\" + card.folderName + kCameraFolder16;
            camera.desktopLevels = {volume, JoinDesktopPath(volume, kCameraFolder)};
            camera.camera = true;
            result = SyncLocation(camera);
        }
    }

    if (result == ERR_SYNC_CANCELLED || result == static_cast<int32_t>(ERROR_DISK_FULL)) result = 0;
    if (result == 0) m_desktopCategories.Purge();
    else m_report.MessageFinalError(result);
    SaveDesktopCategories(m_desktopCategoriesPath, m_desktopCategories);  // errors do not count
    NotifyHandheld();
    return result;
}

int32_t CSyncEngine::SyncCategories() {
    m_desktopCategoriesPath = JoinDesktopPath(m_syncFolder, kDesktopCategories);
    int32_t err = LoadDesktopCategories(m_desktopCategoriesPath, m_desktopCategories);
    if (err == ERR_CATEGORY_DB_VERSION) return ERR_DESKTOP_CATEGORIES_OUT_OF_DATE;
    if (err) return err;

    std::u16string path = m_rootPrefix;
    path += EqualsNoCase(Utf8ToUtf16(m_brand), u"Kestrelview") ? CATEGORY_DB_PATH
                                                                : std::u16string_view(kOtherCategories);
    CCategoryDB handheld;
    if (m_mode == SYNC_MERGE) {
        err = LoadHandheldCategories(path, handheld);
        if (err == 0) err = m_desktopCategories.MergeAll(handheld);
        if (err == 0) err = handheld.MergeAll(m_desktopCategories);
    } else if (m_mode == SYNC_HANDHELD_OVERWRITES_DESKTOP) {
        err = LoadHandheldCategories(path, handheld);
        if (err == 0) err = m_desktopCategories.CopyFrom(handheld);
    } else {
        // The handheld's file is replaced without being read.
        err = handheld.CopyFrom(m_desktopCategories);
    }
    if (err == 0) handheld.Purge();
    SaveHandheldCategories(path, handheld);  // also after an error; its own errors do not count
    return err;
}

int32_t CSyncEngine::SyncLocation(const Location& location) {
    if (int32_t cancelled = m_report.Progress(SyncText::kLookingForChanges)) return cancelled;
    std::string folderAnsi;
    if (!AcceptFolder(location.handheldFolder, folderAnsi)) return 0;  // the location is left out
    for (const std::string& level : location.desktopLevels) {
        if (uint32_t err = CreateDesktopFolder(level)) return static_cast<int32_t>(err);
    }

    PassState state;
    std::string cachePath = JoinDesktopPath(location.DesktopFolder(), CLastSyncCache::kFileName);
    if (m_mode == SYNC_MERGE) state.old.Load(cachePath);
    else if (int32_t err = ClearForMode(location)) return err;

    int32_t result = HandheldToDesktop(location, state);
    if (result == 0) result = DesktopToHandheld(location, state);
    if (result != 0) return result;

    if (state.handheldChanged && !location.camera)
        CeDeleteFile(JoinHandheldPath(location.handheldFolder, FILE_LIST_CACHE_NAME).c_str());
    state.fresh.Save(cachePath, location.locationName, location.reserved1, location.reserved2,
                     Seconds1904Now());
    return 0;
}

// The one-way modes start from an empty side.
int32_t CSyncEngine::ClearForMode(const Location& location) {
    if (m_mode == SYNC_HANDHELD_OVERWRITES_DESKTOP) {
        for (const FolderPair& folder : DesktopFolders(location)) {
            std::vector<DesktopEntry> entries;
            if (ListDesktopFolder(folder.desktop, entries) != 0) continue;
            for (const DesktopEntry& e : entries) {
                if (e.isFolder) continue;
                if (uint32_t err = DeleteDesktopFile(JoinDesktopPath(folder.desktop, e.name)))
                    return static_cast<int32_t>(err);
            }
        }
        return 0;
    }
    // Desktop overwrites handheld: every .jpg of the handheld folder (and,
    // for the camera, of its sub-folders) goes; each file is tried.
    std::vector<std::u16string> folders = {location.handheldFolder};
    uint32_t firstError = 0;
    for (size_t i = 0; i < folders.size(); ++i) {
        std::vector<HandheldEntry> entries;
        if (CDeviceStorage::ListFolder(folders[i], location.camera, entries) != 0)
            return ERR_LISTING_FAILED;
        for (const HandheldEntry& e : entries) {
            std::u16string path = JoinHandheldPath(folders[i], e.name);
            if (e.isFolder) {
                if (path.size() <= CLastSyncCache::kMaxFieldText) folders.push_back(path);
                continue;
            }
            if (!IsJpgName(e.name)) continue;
            uint32_t err = CDeviceStorage::DeleteFile(path);
            if (err && !firstError) firstError = err;
        }
    }
    return static_cast<int32_t>(firstError);
}

int32_t CSyncEngine::HandheldToDesktop(const Location& location, PassState& state) {
    std::vector<FolderPair> pending = {{location.handheldFolder, location.DesktopFolder()}};
    for (size_t i = 0; i < pending.size(); ++i) {
        FolderPair folder = pending[i];
        std::vector<HandheldEntry> entries;
        if (CDeviceStorage::ListFolder(folder.handheld, location.camera, entries) != 0)
            return m_mode == SYNC_DESKTOP_OVERWRITES_HANDHELD ? 0 : ERR_LISTING_FAILED;
        std::vector<HandheldEntry> files;
        for (const HandheldEntry& e : entries) {
            if (!e.isFolder) {
                files.push_back(e);
                continue;
            }
            std::string ansi;
            std::u16string sub = JoinHandheldPath(folder.handheld, e.name);
            if (IsSingleName(e.name) && AcceptFolder(sub, ansi))
                pending.push_back({sub, JoinDesktopPath(folder.desktop, Utf8(e.name))});
        }
        if (int32_t err = HandheldFolderToDesktop(folder, files, state)) return err;
    }
    return 0;
}

int32_t CSyncEngine::HandheldFolderToDesktop(const FolderPair& folder,
                                             const std::vector<HandheldEntry>& files,
                                             PassState& state) {
    std::string folderAnsi;
    if (!AcceptFolder(folder.handheld, folderAnsi)) return 0;
    CreateDesktopFolder(folder.desktop);
    for (const HandheldEntry& file : files) {
        std::string nameAnsi;
        if (!AcceptName(file.name, CLastSyncCache::kFieldSize, nameAnsi)) continue;
        std::u16string handheldPath = JoinHandheldPath(folder.handheld, file.name);
        std::string desktopPath = JoinDesktopPath(folder.desktop, Utf8(file.name));
        const CLastSyncCache::Entry* known = state.old.Find(nameAnsi, folderAnsi);
        bool onDesktop = DesktopPathExists(desktopPath);
        if (known && !onDesktop) {
            // Deleted on the desktop since the last run.
            if (int32_t cancelled = m_report.Progress(SyncText::kRemovingFromHandheld, Utf8(file.name)))
                return cancelled;
            uint32_t err = CDeviceStorage::DeleteFile(handheldPath);
            if (err) m_report.MessageWithError(SyncText::kRemoveFromHandheldFailed, Utf8(handheldPath), err);
            state.handheldChanged = true;
            continue;
        }
        if (known && file.time <= known->time) {
            state.fresh.Put(folderAnsi, file.time, nameAnsi);
            continue;
        }
        int32_t err = CopyToDesktop(handheldPath, file.time, file.name, folder.desktop);
        if (err == 0) {
            state.fresh.Put(folderAnsi, file.time, nameAnsi);
        } else if (err == ERR_SYNC_CANCELLED) {
            return err;
        } else if (err == static_cast<int32_t>(ERROR_DISK_FULL)) {
            m_report.Message(FormatLine(SyncText::kDesktopFull, Utf8(handheldPath).c_str()));
            return err;
        } else {
            m_report.MessageWithError(SyncText::kCopyToDesktopFailed, Utf8(handheldPath), err);
        }
    }
    return 0;
}

// The desktop folders of a location with their handheld folders: one for a
// photo folder; for the camera, the desktop DCIM folder and every folder
// under it, each mirroring the same place under the card's \DCIM.
std::vector<CSyncEngine::FolderPair> CSyncEngine::DesktopFolders(const Location& location) const {
    std::vector<FolderPair> folders = {{location.handheldFolder, location.DesktopFolder()}};
    for (size_t i = 0; location.camera && i < folders.size(); ++i) {
        std::vector<DesktopEntry> entries;
        if (ListDesktopFolder(folders[i].desktop, entries) != 0) continue;
        for (const DesktopEntry& e : entries) {
            if (!e.isFolder) continue;
            std::u16string name = Utf8ToUtf16(e.name);
            std::u16string sub = JoinHandheldPath(folders[i].handheld, name);
            std::string ansi;
            if (!IsSingleName(name)) {
                m_report.Message(FormatLine(SyncText::kBadName, e.name.c_str()));
                continue;
            }
            if (!AcceptFolder(sub, ansi)) continue;
            folders.push_back({sub, JoinDesktopPath(folders[i].desktop, e.name)});
        }
    }
    return folders;
}

int32_t CSyncEngine::DesktopToHandheld(const Location& location, PassState& state) {
    if (!location.camera) {
        if (uint32_t err = CDeviceStorage::CreateFolder(location.handheldFolder))
            return static_cast<int32_t>(err);
    }
    std::vector<std::string> removals;
    for (const FolderPair& folder : DesktopFolders(location)) {
        if (int32_t err = DesktopFolderToHandheld(location, folder, state, removals)) return err;
    }
    for (auto it = removals.rbegin(); it != removals.rend(); ++it) {
        std::string name = it->substr(it->rfind('/') + 1);
        if (m_report.Progress(SyncText::kRemovingFromDesktop, name) == 0) DeleteDesktopFile(*it);
    }
    return 0;
}

int32_t CSyncEngine::DesktopFolderToHandheld(const Location& location, const FolderPair& folder,
                                             PassState& state, std::vector<std::string>& removals) {
    std::string folderAnsi = Utf16ToAnsi(folder.handheld);
    std::vector<DesktopEntry> entries;
    if (ListDesktopFolder(folder.desktop, entries) != 0) return 0;
    bool folderMade = !location.camera;
    for (const DesktopEntry& e : entries) {
        if (e.isFolder) continue;
        std::u16string name = Utf8ToUtf16(e.name);
        if (!IsJpgName(name)) continue;
        // A file that came from the handheld in this run and is unchanged
        // here is not sent, so its name needs no check.
        std::string nameAnsi = Utf16ToAnsi(name);
        std::string desktopPath = JoinDesktopPath(folder.desktop, e.name);
        uint32_t created = 0, modified = 0;
        if (uint32_t err = DesktopFileTimes(desktopPath, created, modified))
            return static_cast<int32_t>(err);
        const CLastSyncCache::Entry* fresh =
            IsSingleName(name) ? state.fresh.Find(nameAnsi, folderAnsi) : nullptr;
        if (fresh && modified <= fresh->time) continue;
        if (!AcceptName(name, location.nameLimit, nameAnsi)) continue;
        if (!fresh && state.old.Find(nameAnsi, folderAnsi)) {
            removals.push_back(desktopPath);  // deleted on the handheld
            continue;
        }
        if (!folderMade) {
            if (uint32_t err = CDeviceStorage::CreateFolder(folder.handheld))
                return static_cast<int32_t>(err);
            folderMade = true;
        }
        uint32_t produced = modified;
        int32_t err = CopyToHandheld(desktopPath, name, modified, folder.handheld, produced);
        if (err == 0) {
            state.fresh.Put(folderAnsi, produced, nameAnsi);
            state.handheldChanged = true;
            continue;
        }
        if (err == ERR_SYNC_CANCELLED) return err;
        if (err == static_cast<int32_t>(ERROR_DISK_FULL)) {
            m_report.Message(FormatLine(SyncText::kHandheldFull, desktopPath.c_str()));
            return err;
        }
        // A changed file that cannot be sent ends the pass; a new one is
        // reported and the pass goes on.
        if (fresh) return err;
        m_report.MessageWithError(SyncText::kCopyToHandheldFailed, desktopPath, err);
    }
    return 0;
}

int32_t CSyncEngine::CopyToDesktop(const std::u16string& handheldPath, uint32_t time,
                                   const std::u16string& name, const std::string& desktopFolder) {
    if (int32_t cancelled = m_report.Progress(SyncText::kCopyingToDesktop, Utf8(name))) return cancelled;
    std::string target = JoinDesktopPath(desktopFolder, Utf8(name));
    std::string temp = JoinDesktopPath(desktopFolder, kDesktopTemp);
    int32_t result = 0;
    {
        File out;
        if (uint32_t err = out.OpenHost(temp, GENERIC_WRITE, 0, CREATE_ALWAYS))
            return static_cast<int32_t>(err);
        RemoteFile in(CeCreateFile(handheldPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!in.IsOpen()) result = static_cast<int32_t>(CeGetLastError());
        std::unique_ptr<uint8_t[]> block(new uint8_t[kBlockSize]);
        while (result == 0) {
            DWORD got = 0;
            if (!CeReadFile(in.Get(), block.get(), kBlockSize, &got, nullptr)) {
                result = static_cast<int32_t>(CeGetLastError());
                break;
            }
            if ((result = m_report.Tick())) break;
            uint32_t put = 0;
            if (uint32_t err = out.Write(block.get(), got, put)) result = static_cast<int32_t>(err);
            else if (put != got) result = static_cast<int32_t>(ERROR_DISK_FULL);
            if (got < kBlockSize) break;
        }
    }
    if (result == 0) result = static_cast<int32_t>(RenameDesktopFile(temp, target));
    if (result != 0) {
        DeleteDesktopFile(temp);
        return result;
    }
    SetDesktopFileTimes(target, time, time);
    return 0;
}

int32_t CSyncEngine::CopyToHandheld(const std::string& desktopPath, const std::u16string& name,
                                    uint32_t time, const std::u16string& handheldFolder,
                                    uint32_t& producedTime) {
    producedTime = time;
    if (int32_t cancelled = m_report.Progress(SyncText::kCopyingToHandheld, Utf8(name))) return cancelled;
    std::u16string target = JoinHandheldPath(handheldFolder, name);
    std::u16string temp = JoinHandheldPath(handheldFolder, kHandheldTemp);
    const FileTime wanted = RawFileTimeFromSeconds1904(time);
    int32_t result = 0;
    {
        RemoteFile out(CeCreateFile(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out.IsOpen()) return static_cast<int32_t>(CeGetLastError());
        File in;
        result = static_cast<int32_t>(in.OpenHost(desktopPath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
        std::unique_ptr<uint8_t[]> block(new uint8_t[kBlockSize]);
        while (result == 0) {
            uint32_t got = 0;
            if (uint32_t err = in.Read(block.get(), kBlockSize, got)) {
                result = static_cast<int32_t>(err);
                break;
            }
            if ((result = m_report.Tick())) break;
            DWORD put = 0;
            if (!CeWriteFile(out.Get(), block.get(), got, &put, nullptr)) {
                result = static_cast<int32_t>(CeGetLastError());
            } else if (put != got) {
                result = static_cast<int32_t>(ERROR_DISK_FULL);
            } else if (got < kBlockSize) {
                if (!CeSetFileTime(out.Get(), nullptr, nullptr, &wanted))
                    result = static_cast<int32_t>(CeGetLastError());
                break;
            }
        }
    }
    if (result != 0) {
        CeDeleteFile(temp.c_str());
        return result;
    }

    // The handheld's file system may keep the time less exactly; both copies
    // end up with the time it kept.
    {
        RemoteFile check(CeCreateFile(temp.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        FileTime kept = 0;
        if (check.IsOpen() && CeGetFileTime(check.Get(), nullptr, nullptr, &kept) && kept != wanted)
            producedTime = Seconds1904FromRawFileTime(kept);
    }
    uint32_t err = CDeviceStorage::DeleteFile(target);
    if (err && err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND) {
        CeDeleteFile(temp.c_str());
        return static_cast<int32_t>(err);
    }
    if (!CeMoveFile(temp.c_str(), target.c_str())) {
        result = static_cast<int32_t>(CeGetLastError());
        CeDeleteFile(temp.c_str());
        return result;
    }
    if (producedTime != time) SetDesktopFileTimes(desktopPath, producedTime, producedTime);
    return 0;
}

void CSyncEngine::NotifyHandheld() {
    std::u16string path = m_rootPrefix + kNotifyLibrary;
    if (CeGetFileAttributes(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    DWORD outputSize = 0;
    CeRapiInvoke(path.c_str(), kNotifyEntry, 0, nullptr, &outputSize, nullptr, nullptr, 0);
}
