#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "catalogue/CategoryDB.h"
#include "desktop/DesktopSide.h"
#include "desktop/HandheldSide.h"
#include "desktop/LastSyncCache.h"
#include "desktop/SyncReporter.h"
#include "desktop/SyncTypes.h"

// One synchronisation run: the handheld's internal photo folder and, on
// every card, its photo folder and its camera folder (\DCIM with all its
// sub-folders) are brought into step with a mirror tree under the desktop
// sync folder, in one of three modes, after the category database step.
// The engine reaches both sides only through their side interface, and
// one copy loop serves both directions.
class CSyncEngine {
public:
    static constexpr size_t kInternalNameLimit = 32;
    static constexpr size_t kCardNameLimit = 48;

    CSyncEngine(std::string brand, SyncProgressCallback callback, const SyncRequest& request,
                std::string application);
    int32_t Run();
    // Run's result before a cancellation or a full disk became 0.
    int32_t Outcome() const { return m_outcome; }

private:
    struct Location {
        std::string handheldFolder;
        std::vector<std::string> desktopLevels;  // folders to make, outermost first
        std::string locationName;                // "Internal" or the card folder
        size_t nameLimit = kInternalNameLimit;
        bool camera = false;
        uint32_t reserved1 = 0;
        uint32_t reserved2 = 0;
        const std::string& DesktopFolder() const { return desktopLevels.back(); }
    };
    // A handheld folder and the desktop folder that mirrors it.
    struct FolderPair {
        std::string handheld;
        std::string desktop;
    };
    // A copy to the desktop, whole under its temporary name, waiting for
    // the flush that lets it take its own.
    struct PendingCopy {
        std::string temp;
        std::string name;
        std::string handheldPath;
        std::string nameAnsi;
        uint32_t time = 0;
        bool known = false;  // in the last run's record, at knownTime
        uint32_t knownTime = 0;
    };
    struct PassState {
        uint16_t mode = SYNC_MERGE;  // a new desktop folder is always merged
        CLastSyncCache old;
        CLastSyncCache fresh;
        bool handheldChanged = false;
        // Names that differ only in case on one side, by folder: left alone.
        std::set<std::string> clashes;
        std::vector<PendingCopy> toDesktop;
    };

    int32_t TakeLocks();
    int32_t SyncCards(const std::vector<CardInfo>& cards);
    int32_t SyncCategories();
    // A location that is skipped (ERR_LOCATION_SKIPPED) lets the run go on.
    int32_t Visit(const Location& location);
    int32_t SyncLocation(const Location& location);
    int32_t PrepareForMode(const Location& location, PassState& state);
    int32_t ClearForMode(const Location& location, PassState& state);
    int32_t SkipLocation(const char* text, const std::string& folder);
    bool DesktopHasPhotos(const Location& location);
    // Two names of one folder that differ only in case: reported once,
    // both left alone, and their record of the last run kept.
    bool NoteClash(PassState& state, const std::string& handheldFolder,
                   const std::vector<const SideEntry*>& names);
    bool IsClash(const PassState& state, const std::string& handheldFolder, const std::string& name) const;
    void KeepLastEntry(PassState& state, const std::string& folderAnsi, const std::string& name);
    // The same photo under names that differ in case on the two sides: the
    // side whose name still matches the last run's record was not renamed,
    // so it takes the other's name. file.name receives the name kept.
    int32_t MatchCase(const FolderPair& folder, SideEntry& file, const SideEntry& onDesktop,
                      const CLastSyncCache::Entry* known, PassState& state);
    int32_t HandheldToDesktop(const Location& location, PassState& state);
    int32_t HandheldFolderToDesktop(const FolderPair& folder, const std::vector<SideEntry>& files,
                                    PassState& state);
    int32_t PlaceCopies(const FolderPair& folder, const std::string& folderAnsi, PassState& state, int32_t result);
    int32_t DesktopToHandheld(const Location& location, PassState& state);
    int32_t DesktopFolderToHandheld(const Location& location, const FolderPair& folder,
                                    PassState& state, std::vector<std::string>& removals);
    // The one copy loop (CSideCopy), its blocks reported to the host.
    int32_t CopyFile(ISyncSide& from, const std::string& fromPath, ISyncSide& to,
                     const std::string& toFolder, const std::string& name, uint32_t time,
                     uint32_t& kept);

    // Name checks with their messages; ansi receives the stored form.
    bool AcceptName(const std::string& name, size_t limit, std::string& ansi) const;
    bool AcceptFolder(const std::string& folder, std::string& ansi) const;
    std::vector<FolderPair> DesktopFolders(const Location& location);

    CHandheldSide m_handheld;
    CDesktopSide m_desktop;
    CSyncReporter m_report;
    std::string m_brand;
    uint16_t m_mode;
    std::string m_syncFolder;
    std::string m_rootPrefix;
    bool m_skipped = false;  // a location was left alone
    int32_t m_outcome = 0;
    // The desktop's copy of the category database lives for the whole run.
    CCategoryDB m_desktopCategories;
    std::string m_desktopCategoriesPath;
};
