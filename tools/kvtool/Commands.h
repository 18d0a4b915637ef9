#pragma once
#include <iosfwd>
#include <string>
#include <vector>

#include "catalogue/CatalogueTypes.h"
#include "tools/kvtool/CommandLine.h"
#include "catalogue/CatalogueStrings.h"

class CCategoryDB;

// What every command gets: its own words and options, and the two streams.
struct CommandContext {
    const CommandLine& line;
    std::vector<std::string> words;  // after the command's name
    std::ostream& out;
    std::ostream& err;

    // One failure line: "kvtool: SUBJECT: REASON".
    void Fail(const std::string& subject, const std::string& reason) const;
};


// The category database named by --db (a host path), else the device's own.
// Returns 0 or the load error, reported as a failure line.
int OpenCategoryDB(const CommandContext& ctx, CCategoryDB& db);
// The host path of that database.
std::string CategoryDBHostPath(const CommandContext& ctx);

// "YYYY-MM-DDTHH:MM:SS" of a Seconds1904 time; "" for 0.
std::string FormatSeconds1904(Seconds1904 time);
// A note as read (a carriage return before each line feed) with line feeds
// only, as a terminal shows it.
std::u16string NoteWithoutReturns(std::u16string_view note);
// Sixteen lower-case hex digits of an id, and back (false for bad text).
std::string IdToHex(const RecordId& id);
bool HexToId(const std::string& text, RecordId& id);

// Every photo of the device folder: the main folder, then each card's.
std::vector<std::u16string> AllImagePaths();

int RunInfo(const CommandContext& ctx);
int RunNote(const CommandContext& ctx);
int RunPrivate(const CommandContext& ctx);
int RunCategory(const CommandContext& ctx);
int RunCategories(const CommandContext& ctx);
int RunScan(const CommandContext& ctx);
int RunDecode(const CommandContext& ctx);
int RunRender(const CommandContext& ctx);
int RunThumbnails(const CommandContext& ctx);
int RunXmp(const CommandContext& ctx);
