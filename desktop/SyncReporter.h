#pragma once
#include <cstdint>
#include <string>

#include "desktop/SyncTypes.h"

// The texts of the library's string table.
namespace SyncText {
inline constexpr char kSearchingCards[] = "Searching for memory cards";                      // 23
inline constexpr char kSyncingCategories[] = "Syncing categories";                           // 24
inline constexpr char kLookingForChanges[] = "Looking for changes";                          // 27
inline constexpr char kCopyingToDesktop[] = "Copying \"%s\" to Desktop";                     // 12
inline constexpr char kCopyingToHandheld[] = "Copying \"%s\" to Handheld";                   // 11
inline constexpr char kRemovingFromHandheld[] = "Removing \"%s\" from Handheld";             // 13
inline constexpr char kRemovingFromDesktop[] = "Removing \"%s\" from Desktop";               // 14
inline constexpr char kWriteProtected[] =
    "%s could not synchronize the expansion card \"%s\" because it is write protected.";  // 16
inline constexpr char kNameTooLong[] = "**** File name \"%s\" is too long; Maximum length is %d.";  // 18
inline constexpr char kCopyToDesktopFailed[] = "**** Could not copy file to desktop \"%s\" (%ld).";    // 20
inline constexpr char kDesktopFull[] = "Insufficient memory to copy the file, %s, to the desktop.";  // 26
inline constexpr char kCopyToHandheldFailed[] = "**** Could not copy file to handheld \"%s\" (%ld).";  // 21
inline constexpr char kHandheldFull[] = "Insufficient memory to copy the file, %s, to the handheld. ";  // 25
inline constexpr char kDesktopCategoriesOld[] =
    ">>> Your %s Desktop database is out of date. Please run the latest version\n of %s Desktop to "
    "upgrade the database.";
inline constexpr char kHandheldCategoriesOld[] =
    ">>> Your Palm %s database is out of date. Please run the latest version\n of %s on your Palm "
    "to upgrade the database.";
inline constexpr char kUnexpectedError[] = ">>> Unexpected error %d.";
inline constexpr char kCardsUnreadable[] = "Error reading External Cards.";
// Names the handheld cannot hold as one file name.
inline constexpr char kBadName[] = "**** File name \"%s\" cannot be used on the handheld.";
inline constexpr char kRemoveFromHandheldFailed[] = "**** Could not remove \"%s\" from handheld (%ld).";
// What keeps photos safe when the two sides disagree in ways the table
// above does not cover.
inline constexpr char kFolderTooLong[] = "**** Folder \"%s\" is too long; Maximum length is %d.";
inline constexpr char kTooManyCards[] =
    "The card \"%s\" was not synchronised: at most %d cards are synchronised in one run.";
inline constexpr char kCardNameTooLong[] =
    "The card \"%s\" was not synchronised: its name is longer than %d characters.";
inline constexpr char kRenamingOnHandheld[] = "Renaming \"%s\" to \"%s\" on Handheld";
inline constexpr char kRenamingOnDesktop[] = "Renaming \"%s\" to \"%s\" on Desktop";
inline constexpr char kRenameFailed[] = "**** Could not rename \"%s\" (%ld).";
inline constexpr char kCaseClash[] =
    "**** \"%s\" and \"%s\" differ only in letter case; neither is synchronised until one of them is renamed.";
inline constexpr char kFolderMissing[] =
    "**** The handheld folder \"%s\" is missing; nothing was deleted there or on the desktop.";
inline constexpr char kFolderUnreadable[] =
    "**** The handheld folder \"%s\" could not be read; nothing was deleted there or on the desktop.";
inline constexpr char kDesktopFolderUnreadable[] =
    "**** The desktop folder \"%s\" could not be read; nothing was deleted there or on the handheld.";
inline constexpr char kRecordUnreadable[] =
    "**** The record of the last run \"%s\" could not be read; nothing was deleted there or on the handheld.";
inline constexpr char kNewDesktopFolder[] =
    "The desktop folder \"%s\" is new, so it was merged with the handheld instead of overwriting either side.";
inline constexpr char kUnreadableDesktop[] = "**** Could not read \"%s\" (%ld); it was skipped.";
inline constexpr char kBusy[] =
    "Another synchronisation with this handheld or into this desktop folder is running; try again when it has finished.";
}  // namespace SyncText

// Progress lines and message boxes of one run: the host's callback, the
// brand name (caption of every message box) and the application name.
class CSyncReporter {
public:
    CSyncReporter(SyncProgressCallback callback, std::string brand, std::string application);

    // Sends a line (a printf text with at most one argument); returns 0 or
    // ERR_SYNC_CANCELLED when the host asks to stop.
    int32_t Progress(const char* text, const std::string& argument = {});
    // A line formatted already.
    int32_t ProgressLine(const std::string& line) { return Send(line); }
    // The empty line between copy blocks.
    int32_t Tick();

    void Message(const std::string& text) const;
    void MessageNameTooLong(const std::string& name, int maximum) const;
    void MessageWithError(const char* format, const std::string& path, long error) const;
    void MessageFinalError(int32_t result) const;

    const std::string& Brand() const { return m_brand; }

private:
    int32_t Send(const std::string& line);

    SyncProgressCallback m_callback;
    std::string m_brand;
    std::string m_application;
};

// printf into a string, cut at 299 bytes as the 300-byte line buffer holds.
std::string FormatLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
