#include "desktop/SyncEngine.h"

#include <algorithm>
#include <memory>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/FileListCache.h"
#include "catalogue/PhotoNames.h"
#include "desktop/CategoryFiles.h"
#include "platform/base/Text.h"
#include "platform/base/Time.h"
#include "platform/base/WinError.h"

namespace {

constexpr char kInternalFolder[] = "Internal";
constexpr char kCameraFolder[] = "DCIM";
constexpr char kMyDocuments[] = "\\My Documents";
constexpr char kCameraFolderOnCard[] = "\\DCIM";
constexpr char kNotifyLibrary[] = "\\Program Files\\Farrowdale\\Kestrelview\\KVSync.Dll";
constexpr char kNotifyEntry[] = "RAPISyncNotify";
constexpr char kOtherCategories[] = "\\Program Files\\Brindell\\Vellumcam\\_CategoryDB";
constexpr char kDesktopCategories[] = "_CategoryDB";
static_assert(ERR_HANDHELD_CATEGORIES_OUT_OF_DATE == ERR_CATEGORY_DB_VERSION,
              "a handheld file of another version ends the run with its own code");

// Whether a name can be one file name on the handheld and in the records.
bool IsSingleName(const std::string& utf8) {
    std::u16string name = Utf8ToUtf16(utf8);
    if (name.empty() || name == u"." || name == u"..") return false;
    for (char16_t c : name) {
        if (c == u'\\' || c == u'/' || c == u':' || c < 0x20 || c == 0xFFFD) return false;
    }
    return AnsiToUtf16(Utf16ToAnsi(name)) == name;
}

std::string Ansi(const std::string& utf8) { return Utf16ToAnsi(Utf8ToUtf16(utf8)); }
bool IsJpgOnly(const std::string& name) { return IsJpgName(Utf8ToUtf16(name)); }
bool IsPhoto(const std::string& name) { return IsPhotoName(Utf8ToUtf16(name)); }
int32_t Code(uint32_t err) { return static_cast<int32_t>(err); }

}  // namespace

CSyncEngine::CSyncEngine(std::string brand, SyncProgressCallback callback, const SyncRequest& request,
                         std::string application)
    : m_report(callback, brand, std::move(application)),
      m_brand(std::move(brand)),
      m_mode(static_cast<uint16_t>(request.mode & 0xFFFF)),
      m_syncFolder(request.desktopFolder,
                   std::find(request.desktopFolder, request.desktopFolder + kSyncFolderSize, '\0')) {}

bool CSyncEngine::AcceptName(const std::string& name, size_t limit, std::string& ansi) const {
    if (!IsSingleName(name)) {
        m_report.Message(FormatLine(SyncText::kBadName, name.c_str()));
        return false;
    }
    ansi = Ansi(name);
    if (ansi.size() >= limit) {
        m_report.MessageNameTooLong(name, static_cast<int>(limit - 1));
        return false;
    }
    return true;
}

bool CSyncEngine::AcceptFolder(const std::string& folder, std::string& ansi) const {
    std::u16string wide = Utf8ToUtf16(folder);
    ansi = Utf16ToAnsi(wide);
    if (AnsiToUtf16(ansi) != wide) {
        m_report.Message(FormatLine(SyncText::kBadName, folder.c_str()));
        return false;
    }
    if (ansi.size() > CLastSyncCache::kMaxFieldText) {
        m_report.MessageNameTooLong(folder, static_cast<int>(CLastSyncCache::kMaxFieldText));
        return false;
    }
    return true;
}

int32_t CSyncEngine::Run() {
    int32_t result = m_report.Progress(SyncText::kSearchingCards);
    std::vector<CardInfo> cards;
    if (result == 0) {
        cards = m_handheld.Cards(m_report);
        m_rootPrefix = m_handheld.RootPrefix();
        m_desktop.MakeFolder(m_syncFolder);
        result = m_report.Progress(SyncText::kSyncingCategories);
    }
    if (result == 0) result = SyncCategories();
    if (result == 0) {
        Location internal;
        internal.handheldFolder = m_rootPrefix + kMyDocuments + "\\" + m_brand;
        internal.desktopLevels = {m_desktop.Join(m_syncFolder, kInternalFolder)};
        internal.desktopLevels.push_back(m_desktop.Join(internal.desktopLevels[0], m_brand));
        internal.locationName = kInternalFolder;
        result = SyncLocation(internal);
    }
    if (result == 0) result = SyncCards(cards);

    if (result == ERR_SYNC_CANCELLED || result == Code(ERROR_DISK_FULL)) result = 0;
    if (result == 0) m_desktopCategories.Purge();
    else m_report.MessageFinalError(result);
    SaveCategories(m_desktop, m_desktopCategoriesPath, m_desktopCategories);  // errors do not count
    m_handheld.Notify(m_rootPrefix + kNotifyLibrary, kNotifyEntry);
    return result;
}

int32_t CSyncEngine::SyncCards(const std::vector<CardInfo>& cards) {
    for (const CardInfo& card : cards) {
        std::string folderName = Utf16ToUtf8(card.folderName);
        if (card.writeProtected) {
            m_report.Message(FormatLine(SyncText::kWriteProtected, m_brand.c_str(), folderName.c_str()));
            continue;
        }
        Location photos;
        std::string volume = m_desktop.Join(m_syncFolder, card.volumeId);
        photos.handheldFolder = "\\" + folderName + kMyDocuments + "\\" + m_brand;
        photos.desktopLevels = {volume, m_desktop.Join(volume, m_brand)};
        photos.locationName = Utf16ToAnsi(card.folderName);
        photos.nameLimit = kCardNameLimit;
        photos.reserved1 = card.reserved1;
        photos.reserved2 = card.reserved2;
        if (int32_t err = SyncLocation(photos)) return err;
        Location camera = photos;
        camera.handheldFolder = "\\" + folderName + kCameraFolderOnCard;
        camera.desktopLevels = {volume, m_desktop.Join(volume, kCameraFolder)};
        camera.camera = true;
        if (int32_t err = SyncLocation(camera)) return err;
    }
    return 0;
}

int32_t CSyncEngine::SyncCategories() {
    m_desktopCategoriesPath = m_desktop.Join(m_syncFolder, kDesktopCategories);
    int32_t err = LoadCategories(m_desktop, m_desktopCategoriesPath, m_desktopCategories);
    if (err == ERR_CATEGORY_DB_VERSION) return ERR_DESKTOP_CATEGORIES_OUT_OF_DATE;
    if (err) return err;

    std::string path = m_rootPrefix + (EqualsNoCase(Utf8ToUtf16(m_brand), u"Kestrelview")
                                           ? Utf16ToUtf8(CATEGORY_DB_PATH)
                                           : std::string(kOtherCategories));
    CCategoryDB handheld;
    if (m_mode == SYNC_MERGE) {
        err = LoadCategories(m_handheld, path, handheld);
        if (err == 0) err = m_desktopCategories.MergeAll(handheld);
        if (err == 0) err = handheld.MergeAll(m_desktopCategories);
    } else if (m_mode == SYNC_HANDHELD_OVERWRITES_DESKTOP) {
        err = LoadCategories(m_handheld, path, handheld);
        if (err == 0) err = m_desktopCategories.CopyFrom(handheld);
    } else {
        // The handheld's file is replaced without being read.
        err = handheld.CopyFrom(m_desktopCategories);
    }
    if (err == 0) handheld.Purge();
    SaveCategories(m_handheld, path, handheld);  // also after an error; its own errors do not count
    return err;
}

int32_t CSyncEngine::SyncLocation(const Location& location) {
    if (int32_t cancelled = m_report.Progress(SyncText::kLookingForChanges)) return cancelled;
    std::string folderAnsi;
    if (!AcceptFolder(location.handheldFolder, folderAnsi)) return 0;  // the location is left out
    for (const std::string& level : location.desktopLevels) {
        if (int32_t err = m_desktop.MakeFolder(level)) return err;
    }

    PassState state;
    std::string cachePath = m_desktop.Join(location.DesktopFolder(), CLastSyncCache::kFileName);
    if (m_mode == SYNC_MERGE) state.old.Load(cachePath);
    else if (int32_t err = ClearForMode(location)) return err;

    int32_t result = HandheldToDesktop(location, state);
    if (result == 0) result = DesktopToHandheld(location, state);
    if (result != 0) return result;

    if (state.handheldChanged && !location.camera)
        m_handheld.Delete(m_handheld.Join(location.handheldFolder, Utf16ToUtf8(FILE_LIST_CACHE_NAME)));
    state.fresh.Save(cachePath, location.locationName, location.reserved1, location.reserved2,
                     Seconds1904Now());
    return 0;
}

// The one-way modes start from an empty side.
int32_t CSyncEngine::ClearForMode(const Location& location) {
    if (m_mode == SYNC_HANDHELD_OVERWRITES_DESKTOP) {
        for (const FolderPair& folder : DesktopFolders(location)) {
            std::vector<SideEntry> entries;
            if (m_desktop.List(folder.desktop, entries) != 0) continue;
            for (const SideEntry& e : entries) {
                if (e.isFolder) continue;
                if (int32_t err = m_desktop.Delete(m_desktop.Join(folder.desktop, e.name))) return err;
            }
        }
        return 0;
    }
    // Desktop overwrites handheld: every .jpg of the handheld folder (and,
    // for the camera, of its sub-folders) goes; each file is tried.
    std::vector<std::string> folders = {location.handheldFolder};
    int32_t firstError = 0;
    for (size_t i = 0; i < folders.size(); ++i) {
        std::vector<SideEntry> entries;
        int32_t listed = m_handheld.List(folders[i], entries);
        if (listed == ERR_LISTING_FAILED) return ERR_LISTING_FAILED;
        for (const SideEntry& e : entries) {
            std::string path = m_handheld.Join(folders[i], e.name);
            if (e.isFolder) {
                if (location.camera && Ansi(path).size() <= CLastSyncCache::kMaxFieldText)
                    folders.push_back(path);
                continue;
            }
            if (!IsJpgOnly(e.name)) continue;
            int32_t err = m_handheld.Delete(path);
            if (err && !firstError) firstError = err;
        }
    }
    return firstError;
}

int32_t CSyncEngine::HandheldToDesktop(const Location& location, PassState& state) {
    std::vector<FolderPair> pending = {{location.handheldFolder, location.DesktopFolder()}};
    for (size_t i = 0; i < pending.size(); ++i) {
        FolderPair folder = pending[i];
        std::vector<SideEntry> entries;
        if (m_handheld.List(folder.handheld, entries) == ERR_LISTING_FAILED)
            return m_mode == SYNC_DESKTOP_OVERWRITES_HANDHELD ? 0 : ERR_LISTING_FAILED;
        std::vector<SideEntry> files;
        for (const SideEntry& e : entries) {
            if (!e.isFolder) {
                if (IsPhoto(e.name)) files.push_back(e);
                continue;
            }
            if (!location.camera) continue;
            std::string ansi;
            std::string sub = m_handheld.Join(folder.handheld, e.name);
            if (IsSingleName(e.name) && AcceptFolder(sub, ansi))
                pending.push_back({sub, m_desktop.Join(folder.desktop, e.name)});
        }
        if (int32_t err = HandheldFolderToDesktop(folder, files, state)) return err;
    }
    return 0;
}

int32_t CSyncEngine::HandheldFolderToDesktop(const FolderPair& folder, const std::vector<SideEntry>& files,
                                             PassState& state) {
    std::string folderAnsi;
    if (!AcceptFolder(folder.handheld, folderAnsi)) return 0;
    m_desktop.MakeFolder(folder.desktop);
    std::vector<SideEntry> desktopEntries;
    m_desktop.List(folder.desktop, desktopEntries);
    auto onDesktop = [&](const std::string& name) {
        for (const SideEntry& d : desktopEntries)
            if (d.name == name && d.error == 0) return true;
        return false;
    };
    for (const SideEntry& file : files) {
        std::string nameAnsi;
        if (!AcceptName(file.name, CLastSyncCache::kFieldSize, nameAnsi)) continue;
        std::string handheldPath = m_handheld.Join(folder.handheld, file.name);
        const CLastSyncCache::Entry* known = state.old.Find(nameAnsi, folderAnsi);
        if (known && !onDesktop(file.name)) {
            // Deleted on the desktop since the last run.
            if (int32_t cancelled = m_report.Progress(SyncText::kRemovingFromHandheld, file.name))
                return cancelled;
            if (int32_t err = m_handheld.Delete(handheldPath))
                m_report.MessageWithError(SyncText::kRemoveFromHandheldFailed, handheldPath, err);
            state.handheldChanged = true;
            continue;
        }
        if (known && file.time <= known->time) {
            state.fresh.Put(folderAnsi, file.time, nameAnsi);
            continue;
        }
        if (int32_t cancelled = m_report.Progress(SyncText::kCopyingToDesktop, file.name)) return cancelled;
        uint32_t kept = 0;
        int32_t err = CopyFile(m_handheld, handheldPath, m_desktop, folder.desktop, file.name, file.time, kept);
        if (err == 0) {
            state.fresh.Put(folderAnsi, file.time, nameAnsi);
        } else if (err == ERR_SYNC_CANCELLED) {
            return err;
        } else if (err == Code(ERROR_DISK_FULL)) {
            m_report.Message(FormatLine(SyncText::kDesktopFull, handheldPath.c_str()));
            return err;
        } else {
            m_report.MessageWithError(SyncText::kCopyToDesktopFailed, handheldPath, err);
        }
    }
    return 0;
}

// The desktop folders of a location with their handheld folders: one for a
// photo folder; for the camera, the desktop DCIM folder and every folder
// under it, each mirroring the same place under the card's \DCIM.
std::vector<CSyncEngine::FolderPair> CSyncEngine::DesktopFolders(const Location& location) {
    std::vector<FolderPair> folders = {{location.handheldFolder, location.DesktopFolder()}};
    for (size_t i = 0; location.camera && i < folders.size(); ++i) {
        std::vector<SideEntry> entries;
        if (m_desktop.List(folders[i].desktop, entries) != 0) continue;
        for (const SideEntry& e : entries) {
            if (!e.isFolder) continue;
            std::string sub = m_handheld.Join(folders[i].handheld, e.name);
            std::string ansi;
            if (!IsSingleName(e.name)) {
                m_report.Message(FormatLine(SyncText::kBadName, e.name.c_str()));
                continue;
            }
            if (!AcceptFolder(sub, ansi)) continue;
            folders.push_back({sub, m_desktop.Join(folders[i].desktop, e.name)});
        }
    }
    return folders;
}

int32_t CSyncEngine::DesktopToHandheld(const Location& location, PassState& state) {
    if (!location.camera) {
        if (int32_t err = m_handheld.MakeFolder(location.handheldFolder)) return err;
    }
    std::vector<std::string> removals;
    for (const FolderPair& folder : DesktopFolders(location)) {
        if (int32_t err = DesktopFolderToHandheld(location, folder, state, removals)) return err;
    }
    for (auto it = removals.rbegin(); it != removals.rend(); ++it) {
        if (m_report.Progress(SyncText::kRemovingFromDesktop, m_desktop.NameOf(*it)) == 0) m_desktop.Delete(*it);
    }
    return 0;
}

int32_t CSyncEngine::DesktopFolderToHandheld(const Location& location, const FolderPair& folder,
                                             PassState& state, std::vector<std::string>& removals) {
    std::string folderAnsi = Ansi(folder.handheld);
    std::vector<SideEntry> entries;
    if (m_desktop.List(folder.desktop, entries) != 0) return 0;
    bool folderMade = !location.camera;
    for (const SideEntry& e : entries) {
        if (e.isFolder) continue;
        if (!IsJpgOnly(e.name)) continue;
        if (e.error) return Code(e.error);
        // A file that came from the handheld in this run and is unchanged
        // here is not sent, so its name needs no check.
        std::string nameAnsi = Ansi(e.name);
        std::string desktopPath = m_desktop.Join(folder.desktop, e.name);
        const uint32_t modified = e.time;
        const CLastSyncCache::Entry* fresh = IsSingleName(e.name) ? state.fresh.Find(nameAnsi, folderAnsi) : nullptr;
        if (fresh && modified <= fresh->time) continue;
        if (!AcceptName(e.name, location.nameLimit, nameAnsi)) continue;
        if (!fresh && state.old.Find(nameAnsi, folderAnsi)) {
            removals.push_back(desktopPath);  // deleted on the handheld
            continue;
        }
        if (!folderMade) {
            if (int32_t err = m_handheld.MakeFolder(folder.handheld)) return err;
            folderMade = true;
        }
        if (int32_t cancelled = m_report.Progress(SyncText::kCopyingToHandheld, e.name)) return cancelled;
        uint32_t produced = modified;
        int32_t err = CopyFile(m_desktop, desktopPath, m_handheld, folder.handheld, e.name, modified, produced);
        if (err == 0) {
            // Both copies carry the time the handheld kept.
            if (produced != modified) m_desktop.SetTime(desktopPath, produced);
            state.fresh.Put(folderAnsi, produced, nameAnsi);
            state.handheldChanged = true;
            continue;
        }
        if (err == ERR_SYNC_CANCELLED) return err;
        if (err == Code(ERROR_DISK_FULL)) {
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

int32_t CSyncEngine::CopyFile(ISyncSide& from, const std::string& fromPath, ISyncSide& to,
                              const std::string& toFolder, const std::string& name, uint32_t time,
                              uint32_t& kept) {
    kept = time;
    std::unique_ptr<ISideWriter> out;
    if (int32_t err = to.CreateTemporary(toFolder, out)) return err;
    const std::string temp = out->Path();
    int32_t result = 0;
    {
        std::unique_ptr<ISideReader> in;
        result = from.OpenRead(fromPath, in);
        if (result == 0) result = CopyBlocks(*in, *out);
        if (result == 0) result = out->Finish(time, kept);
    }
    out.reset();
    if (result == 0) result = to.Replace(temp, to.Join(toFolder, name));
    if (result != 0) to.Delete(temp);
    return result;
}

int32_t CSyncEngine::CopyBlocks(ISideReader& in, ISideWriter& out) {
    std::unique_ptr<uint8_t[]> block(new uint8_t[kBlockSize]);
    for (;;) {
        uint32_t got = 0;
        if (int32_t err = in.Read(block.get(), kBlockSize, got)) return err;
        if (int32_t cancelled = m_report.Tick()) return cancelled;
        if (int32_t err = out.Write(block.get(), got)) return err;
        if (got < kBlockSize) return 0;
    }
}
