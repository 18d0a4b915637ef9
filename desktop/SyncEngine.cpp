#include "desktop/SyncEngine.h"

#include <algorithm>
#include <memory>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/FileListCache.h"
#include "catalogue/PhotoNames.h"
#include "desktop/CategoryFiles.h"
#include "desktop/NameIndex.h"
#include "desktop/SideCopy.h"
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
// 65,535 entries of a last-run record and its header.
constexpr uint32_t kMaxCacheFile = 48 + 100 * 65535;
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
bool IsMissing(int32_t err) { return err == Code(ERROR_FILE_NOT_FOUND) || err == Code(ERROR_PATH_NOT_FOUND); }

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
        m_report.Message(FormatLine(SyncText::kFolderTooLong, folder.c_str(),
                                    static_cast<int>(CLastSyncCache::kMaxFieldText)));
        return false;
    }
    return true;
}

int32_t CSyncEngine::Run() {
    int32_t result = m_report.Progress(SyncText::kSearchingCards);
    if (result == 0 && TakeLocks() != 0) {
        m_report.Message(SyncText::kBusy);
        return m_outcome = Code(ERROR_BUSY);
    }
    std::vector<CardInfo> cards;
    if (result == 0) {
        cards = m_handheld.Cards(m_report);
        m_rootPrefix = m_handheld.RootPrefix();
        result = m_report.Progress(SyncText::kSyncingCategories);
    }
    if (result == 0) result = SyncCategories();
    if (result == 0) {
        Location internal;
        internal.handheldFolder = m_rootPrefix + kMyDocuments + "\\" + m_brand;
        internal.desktopLevels = {m_desktop.Join(m_syncFolder, kInternalFolder)};
        internal.desktopLevels.push_back(m_desktop.Join(internal.desktopLevels[0], m_brand));
        internal.locationName = kInternalFolder;
        result = Visit(internal);
    }
    if (result == 0) result = SyncCards(cards);

    if (result == 0 && m_skipped) result = ERR_LISTING_FAILED;  // each skip has been told
    m_outcome = result;
    if (result == ERR_SYNC_CANCELLED || result == Code(ERROR_DISK_FULL)) result = 0;
    if (result == 0) m_desktopCategories.Purge();
    else if (!m_skipped) m_report.MessageFinalError(result);
    if (!m_desktopCategoriesPath.empty())
        SaveCategories(m_desktop, m_desktopCategoriesPath, m_desktopCategories);  // errors do not count
    m_handheld.Notify(m_rootPrefix + kNotifyLibrary, kNotifyEntry);
    return result;
}

// One run at a time per desktop sync folder and per device: two runs would
// each take the other's files for changes.
int32_t CSyncEngine::TakeLocks() {
    m_desktop.MakeFolder(m_syncFolder);
    if (m_desktop.Lock(m_syncFolder) == Code(ERROR_BUSY)) return Code(ERROR_BUSY);
    if (m_handheld.Lock("\\") == Code(ERROR_BUSY)) return Code(ERROR_BUSY);
    return 0;  // other failures surface in the calls that follow
}

int32_t CSyncEngine::Visit(const Location& location) {
    int32_t result = SyncLocation(location);
    if (result != ERR_LOCATION_SKIPPED) return result;
    m_skipped = true;
    return 0;
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
        if (int32_t err = Visit(photos)) return err;
        Location camera = photos;
        camera.handheldFolder = "\\" + folderName + kCameraFolderOnCard;
        camera.desktopLevels = {volume, m_desktop.Join(volume, kCameraFolder)};
        camera.camera = true;
        if (int32_t err = Visit(camera)) return err;
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
    PassState state;
    state.mode = m_mode;
    bool created = false;
    for (const std::string& level : location.desktopLevels) {
        if (int32_t err = m_desktop.MakeFolder(level, &created)) return err;
    }
    // A folder this run had to make holds nothing the user chose: taking it
    // as the truth would empty the handheld.
    if (created && m_mode != SYNC_MERGE) {
        state.mode = SYNC_MERGE;
        m_report.Message(FormatLine(SyncText::kNewDesktopFolder, location.DesktopFolder().c_str()));
    }

    std::string cachePath = m_desktop.Join(location.DesktopFolder(), CLastSyncCache::kFileName);
    if (int32_t err = PrepareForMode(location, state)) return err;
    if (state.mode == SYNC_MERGE) {
        // A record that is there but cannot be read is not "no record": the
        // handheld's copy of every photo would win over the desktop's edits.
        std::vector<uint8_t> image;
        int32_t err = ReadWholeFile(m_desktop, cachePath, kMaxCacheFile, image);
        if (err == 0) state.old.LoadImage(image.data(), image.size());
        else if (!IsMissing(err)) return SkipLocation(SyncText::kRecordUnreadable, cachePath);
    }

    int32_t result = HandheldToDesktop(location, state);
    if (result == 0) result = DesktopToHandheld(location, state);
    if (result != 0) return result;

    if (state.handheldChanged && !location.camera)
        m_handheld.Delete(m_handheld.Join(location.handheldFolder, Utf16ToUtf8(FILE_LIST_CACHE_NAME)));
    // Errors do not count: the old record stays, and the next run finds
    // every copy made in this one in step. Writing the record flushes the
    // file system before the record takes its name, so the copies' names
    // are durable before a record that lists them.
    WriteWholeFile(m_desktop, cachePath,
                   state.fresh.Image(location.locationName, location.reserved1, location.reserved2,
                                     Seconds1904Now()));
    return 0;
}

int32_t CSyncEngine::SkipLocation(const char* text, const std::string& folder) {
    m_report.Message(FormatLine(text, folder.c_str()));
    return ERR_LOCATION_SKIPPED;
}

bool CSyncEngine::DesktopHasPhotos(const Location& location) {
    std::vector<SideEntry> entries;
    m_desktop.List(location.DesktopFolder(), entries);
    for (const SideEntry& e : entries)
        if (e.isFolder ? location.camera : IsPhoto(e.name)) return true;
    return false;
}

// The one-way modes start from an empty side, but never on the word of a
// handheld folder that cannot be read or has gone.
int32_t CSyncEngine::PrepareForMode(const Location& location, PassState& state) {
    if (state.mode == SYNC_MERGE) return 0;
    if (state.mode == SYNC_HANDHELD_OVERWRITES_DESKTOP) {
        std::vector<SideEntry> probe;
        int32_t listed = m_handheld.List(location.handheldFolder, probe);
        if (listed == ERR_LISTING_FAILED) return SkipLocation(SyncText::kFolderUnreadable, location.handheldFolder);
        if (listed != 0 && DesktopHasPhotos(location))
            return SkipLocation(SyncText::kFolderMissing, location.handheldFolder);
    }
    return ClearForMode(location, state);
}

int32_t CSyncEngine::ClearForMode(const Location& location, PassState& state) {
    if (state.mode == SYNC_HANDHELD_OVERWRITES_DESKTOP) {
        for (const FolderPair& folder : DesktopFolders(location)) {
            std::vector<SideEntry> entries;
            if (m_desktop.List(folder.desktop, entries) != 0) continue;
            for (const SideEntry& e : entries) {
                if (e.isFolder || IsTemporaryFileName(e.name)) continue;
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
        if (listed == ERR_LISTING_FAILED) return SkipLocation(SyncText::kFolderUnreadable, folders[i]);
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

bool CSyncEngine::IsClash(const PassState& state, const std::string& handheldFolder, const std::string& name) const {
    return state.clashes.count(handheldFolder + "\n" + Utf16ToUtf8(CNameIndex::Key(name))) != 0;
}

bool CSyncEngine::NoteClash(PassState& state, const std::string& handheldFolder,
                            const std::vector<const SideEntry*>& names) {
    if (names.size() < 2) return false;
    std::string key = handheldFolder + "\n" + Utf16ToUtf8(CNameIndex::Key(names[0]->name));
    if (state.clashes.insert(key).second)
        m_report.Message(FormatLine(SyncText::kCaseClash, names[0]->name.c_str(), names[1]->name.c_str()));
    return true;
}

void CSyncEngine::KeepLastEntry(PassState& state, const std::string& folderAnsi, const std::string& name) {
    if (const CLastSyncCache::Entry* last = state.old.Find(Ansi(name), folderAnsi))
        state.fresh.Put(last->folder, last->time, last->name);
}

int32_t CSyncEngine::MatchCase(const FolderPair& folder, SideEntry& file, const SideEntry& onDesktop,
                               const CLastSyncCache::Entry* known, PassState& state) {
    const bool desktopRenamed = known && known->name == Ansi(file.name);
    ISyncSide& side = desktopRenamed ? static_cast<ISyncSide&>(m_handheld) : m_desktop;
    const std::string& where = desktopRenamed ? folder.handheld : folder.desktop;
    const std::string& from = desktopRenamed ? file.name : onDesktop.name;
    const std::string& to = desktopRenamed ? onDesktop.name : file.name;
    std::string line = FormatLine(desktopRenamed ? SyncText::kRenamingOnHandheld : SyncText::kRenamingOnDesktop,
                                  from.c_str(), to.c_str());
    if (int32_t cancelled = m_report.ProgressLine(line)) return cancelled;
    if (int32_t err = side.Rename(side.Join(where, from), side.Join(where, to))) {
        m_report.MessageWithError(SyncText::kRenameFailed, side.Join(where, from), err);
        return err;
    }
    if (desktopRenamed) {
        state.handheldChanged = true;
        file.name = onDesktop.name;
    }
    return 0;
}

int32_t CSyncEngine::HandheldToDesktop(const Location& location, PassState& state) {
    std::vector<FolderPair> pending = {{location.handheldFolder, location.DesktopFolder()}};
    for (size_t i = 0; i < pending.size(); ++i) {
        FolderPair folder = pending[i];
        std::vector<SideEntry> entries;
        int32_t listed = m_handheld.List(folder.handheld, entries);
        if (listed == ERR_LISTING_FAILED) {
            if (state.mode == SYNC_DESKTOP_OVERWRITES_HANDHELD) return 0;
            return SkipLocation(SyncText::kFolderUnreadable, folder.handheld);
        }
        // A folder that has gone while the last run's record lists photos
        // is no sign that the user deleted them.
        if (listed != 0 && state.mode == SYNC_MERGE && !state.old.Entries().empty())
            return SkipLocation(SyncText::kFolderMissing, folder.handheld);
        std::vector<SideEntry> files;
        for (const SideEntry& e : entries) {
            if (!e.isFolder) {
                if (IsPhoto(e.name)) files.push_back(e);
                // Left by a run that stopped: this run holds the device alone.
                else if (IsTemporaryFileName(e.name)) m_handheld.Delete(m_handheld.Join(folder.handheld, e.name));
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
    // Taken for empty, the listing would delete every handheld photo.
    if (m_desktop.List(folder.desktop, desktopEntries) != 0)
        return SkipLocation(SyncText::kDesktopFolderUnreadable, folder.desktop);
    for (const SideEntry& e : desktopEntries) {
        if (!e.isFolder && IsTemporaryFileName(e.name)) m_desktop.Delete(m_desktop.Join(folder.desktop, e.name));
    }
    const CNameIndex onDesktop(desktopEntries), onHandheld(files);
    for (const SideEntry& listed : files) {
        SideEntry file = listed;
        std::vector<const SideEntry*> there = onDesktop.Find(file.name);
        if (NoteClash(state, folder.handheld, onHandheld.Find(file.name)) ||
            NoteClash(state, folder.handheld, there)) {
            KeepLastEntry(state, folderAnsi, file.name);
            continue;
        }
        std::string nameAnsi;
        if (!AcceptName(file.name, CLastSyncCache::kFieldSize, nameAnsi)) continue;
        const CLastSyncCache::Entry* known = state.old.Find(nameAnsi, folderAnsi);
        const SideEntry* desk = there.empty() ? nullptr : there[0];
        if (desk && desk->name != file.name) {
            int32_t err = MatchCase(folder, file, *desk, known, state);
            if (err == ERR_SYNC_CANCELLED) return PlaceCopies(folder, folderAnsi, state, err);
            if (err != 0) {
                KeepLastEntry(state, folderAnsi, file.name);
                continue;
            }
            nameAnsi = Ansi(file.name);
        }
        std::string handheldPath = m_handheld.Join(folder.handheld, file.name);
        if (known && !desk) {
            // Deleted on the desktop since the last run.
            if (int32_t cancelled = m_report.Progress(SyncText::kRemovingFromHandheld, file.name))
                return PlaceCopies(folder, folderAnsi, state, cancelled);
            if (int32_t err = m_handheld.Delete(handheldPath))
                m_report.MessageWithError(SyncText::kRemoveFromHandheldFailed, handheldPath, err);
            state.handheldChanged = true;
            continue;
        }
        if (known && file.time <= known->time) {
            state.fresh.Put(folderAnsi, file.time, nameAnsi);
            continue;
        }
        if (int32_t cancelled = m_report.Progress(SyncText::kCopyingToDesktop, file.name))
            return PlaceCopies(folder, folderAnsi, state, cancelled);
        uint32_t kept = 0;
        PendingCopy copy{{}, file.name, handheldPath, nameAnsi, file.time, known != nullptr, known ? known->time : 0};
        int32_t err = CSideCopy([this] { return m_report.Tick(); })
                          .CopyToTemporary(m_handheld, handheldPath, m_desktop, folder.desktop, file.time, kept,
                                           copy.temp);
        if (err == 0) {
            state.toDesktop.push_back(std::move(copy));
        } else if (err == ERR_SYNC_CANCELLED) {
            return PlaceCopies(folder, folderAnsi, state, err);
        } else if (err == Code(ERROR_DISK_FULL)) {
            m_report.Message(FormatLine(SyncText::kDesktopFull, handheldPath.c_str()));
            return PlaceCopies(folder, folderAnsi, state, err);
        } else {
            m_report.MessageWithError(SyncText::kCopyToDesktopFailed, handheldPath, err);
            // The desktop keeps its copy, so the record keeps it too: a file
            // missing from the record would next time look deleted here.
            if (known) state.fresh.Put(folderAnsi, known->time, nameAnsi);
        }
    }
    return PlaceCopies(folder, folderAnsi, state, 0);
}

// The copies of a folder wait under their temporary names until one flush
// has made all their data durable; only then does each take its name. So a
// crash at any moment leaves every photo whole under its name or not there
// (its temporary file is deleted by the next run), at the cost of one flush
// per folder rather than one per file. A copy that cannot take its place is
// reported as a failed copy.
int32_t CSyncEngine::PlaceCopies(const FolderPair& folder, const std::string& folderAnsi, PassState& state,
                                 int32_t result) {
    if (state.toDesktop.empty()) return result;
    const int32_t settled = m_desktop.Settle(folder.desktop);
    for (const PendingCopy& copy : state.toDesktop) {
        const int32_t err = settled ? settled : m_desktop.Replace(copy.temp, m_desktop.Join(folder.desktop, copy.name));
        if (err == 0) {
            state.fresh.Put(folderAnsi, copy.time, copy.nameAnsi);
            continue;
        }
        m_desktop.Delete(copy.temp);
        m_report.MessageWithError(SyncText::kCopyToDesktopFailed, copy.handheldPath, err);
        if (copy.known) state.fresh.Put(folderAnsi, copy.knownTime, copy.nameAnsi);
    }
    state.toDesktop.clear();
    return result;
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
    const CNameIndex index(entries);
    bool folderMade = !location.camera;
    for (const SideEntry& e : entries) {
        if (e.isFolder || !IsJpgOnly(e.name)) continue;
        std::string desktopPath = m_desktop.Join(folder.desktop, e.name);
        if (e.error) {
            m_report.MessageWithError(SyncText::kUnreadableDesktop, desktopPath, e.error);
            continue;
        }
        if (IsClash(state, folder.handheld, e.name) || NoteClash(state, folder.handheld, index.Find(e.name))) {
            KeepLastEntry(state, folderAnsi, e.name);
            continue;
        }
        // A file that came from the handheld in this run and is unchanged
        // here is not sent, so its name needs no check.
        std::string nameAnsi = Ansi(e.name);
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
        // Reported and left for the next run; a changed file keeps the
        // record of its handheld copy, which is still there.
        m_report.MessageWithError(SyncText::kCopyToHandheldFailed, desktopPath, err);
    }
    return 0;
}

int32_t CSyncEngine::CopyFile(ISyncSide& from, const std::string& fromPath, ISyncSide& to,
                              const std::string& toFolder, const std::string& name, uint32_t time,
                              uint32_t& kept) {
    return CSideCopy([this] { return m_report.Tick(); }).Copy(from, fromPath, to, toFolder, name, time, kept);
}
