#include "tools/kvtool/Kvtool.h"

#include <cstdio>
#include <functional>
#include <map>
#include <ostream>

#include "catalogue/CategoryDB.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/Text.h"
#include "platform/base/Time.h"
#include "tools/kvtool/Commands.h"
#include "tools/kvtool/ErrorText.h"

namespace {
const char* kUsage =
    "usage: kvtool [--root DIR] COMMAND ...\n"
    "  info [--json] [--db DB] FILE...\n"
    "  note FILE [TEXT] [--force]\n"
    "  private FILE [on|off]\n"
    "  category FILE [--db DB] [NAME | --id HEX | --unfiled]\n"
    "  categories [--db DB] [--force] [list | add NAME | rename OLD NEW | delete NAME]\n"
    "  scan [--sort location|name|category|size|dimensions|date|note] [--descending]\n"
    "       [--location NAME|PATH] [--category NAME|All|Unfiled | --id HEX] [--hide-private] [--full] [--json]\n"
    "  decode FILE [--scale 1|2|4|8] [--thumbnail] -o OUT.png|OUT.ppm\n"
    "  render FILE WxH [--no-rotate] [--store-thumbnail] -o OUT.png|OUT.ppm\n"
    "  thumbnails\n"
    "  xmp [--db DB] [FILE...]\n";

struct Command {
    std::function<int(const CommandContext&)> run;
    std::set<std::string> options;
};

const std::map<std::string, Command>& Commands() {
    static const std::map<std::string, Command> commands = {
        {"info", {RunInfo, {"--json", "--db"}}},
        {"note", {RunNote, {"--force"}}},
        {"private", {RunPrivate, {}}},
        {"category", {RunCategory, {"--db", "--id", "--unfiled"}}},
        {"categories", {RunCategories, {"--db", "--force"}}},
        {"decode", {RunDecode, {"--scale", "--thumbnail", "-o"}}},
        {"render", {RunRender, {"--no-rotate", "--store-thumbnail", "-o"}}},
        {"thumbnails", {RunThumbnails, {}}},
        {"xmp", {RunXmp, {"--db"}}},
        {"scan", {RunScan, {"--sort", "--descending", "--location", "--category", "--id", "--hide-private", "--full", "--json"}}},
    };
    return commands;
}
}  // namespace

void CommandContext::Fail(const std::string& subject, const std::string& reason) const {
    err << "kvtool: " << subject << ": " << reason << "\n";
}

std::string CategoryDBHostPath(const CommandContext& ctx) {
    if (const auto host = ctx.line.Value("--db")) return *host;
    std::string host;
    DeviceFolder::Current().ToHost(CATEGORY_DB_PATH, host);
    return host;
}

int OpenCategoryDB(const CommandContext& ctx, CCategoryDB& db) {
    const auto host = ctx.line.Value("--db");
    const int result = host ? db.LoadHost(*host) : db.Load(CATEGORY_DB_PATH);
    if (result != 0) ctx.Fail(host ? *host : "category database", FileErrorText(result, CategoryDBHostPath(ctx)));
    return result;
}

std::string FormatSeconds1904(Seconds1904 time) {
    if (time == 0) return "";
    const SystemTime st = FileTimeToSystemTime(LocalFileTimeFromSeconds1904(time));
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02uT%02u:%02u:%02u", st.year, st.month, st.day,
                  st.hour, st.minute, st.second);
    return buffer;
}

std::u16string NoteWithoutReturns(std::u16string_view note) {
    std::u16string plain;
    for (size_t i = 0; i < note.size(); ++i) {
        if (note[i] == u'\r' && i + 1 < note.size() && note[i + 1] == u'\n') continue;
        plain += note[i];
    }
    return plain;
}

std::string IdToHex(const RecordId& id) {
    static const char* kDigits = "0123456789abcdef";
    std::string out;
    for (const uint8_t b : id) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

bool HexToId(const std::string& text, RecordId& id) {
    if (text.size() != 16) return false;
    for (size_t i = 0; i < 8; ++i) {
        const auto nibble = [](char c) {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        const int hi = nibble(text[2 * i]);
        const int lo = nibble(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        id[i] = static_cast<uint8_t>(hi << 4 | lo);
    }
    return true;
}

int RunKvtool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const CommandLine line(args, {"--root", "--db", "--id", "--sort", "--location", "--category", "--scale", "-o"});
    if (!line.Ok()) {
        err << "kvtool: " << line.Error() << "\n" << kUsage;
        return 2;
    }
    if (line.Words().empty() || line.Has("--help")) {
        (line.Has("--help") ? out : err) << kUsage;
        return line.Has("--help") ? 0 : 2;
    }
    const auto command = Commands().find(line.Words().front());
    if (command == Commands().end()) {
        err << "kvtool: unknown command '" << line.Words().front() << "'\n" << kUsage;
        return 2;
    }
    std::set<std::string> known = command->second.options;
    known.insert("--root");
    if (const auto unknown = line.UnknownOption(known)) {
        err << "kvtool: " << command->first << ": unknown option " << *unknown << "\n" << kUsage;
        return 2;
    }
    DeviceFolder::SetCurrent(line.Value("--root").value_or(DeviceFolder::DefaultRoot()));
    const CommandContext ctx{line, {line.Words().begin() + 1, line.Words().end()}, out, err};
    return command->second.run(ctx);
}
