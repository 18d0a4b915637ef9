#include "tools/xmp/DesktopSidecars.h"

#include <filesystem>
#include <system_error>

#include "catalogue/CategoryDB.h"
#include "catalogue/ImageTrailer.h"
#include "catalogue/PhotoNames.h"
#include "platform/base/File.h"
#include "platform/base/Text.h"
#include "tools/xmp/XmpSidecar.h"

namespace fs = std::filesystem;

namespace {

// Notes are stored with a carriage return before each line feed.
std::string NoteText(std::string_view stored) {
    std::u16string note = AnsiToUtf16(stored);
    std::u16string lines;
    for (size_t i = 0; i < note.size(); ++i) {
        if (note[i] == u'\r' && i + 1 < note.size() && note[i + 1] == u'\n') continue;
        lines += note[i];
    }
    return Utf16ToUtf8(lines);
}

// A photo without a trailer has nothing to say but still gets a sidecar.
bool TagsOf(const std::string& hostPath, const CCategoryDB& db, PhotoTags& tags) {
    File file;
    if (file.OpenHost(hostPath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) != 0) return false;
    CImageTrailer trailer;
    const TrailerRecord* record = trailer.Read(file);
    if (trailer.ReadFailed()) return false;
    if (!record) return true;
    std::u16string name;
    if (record->category != CATEGORY_ID_UNFILED && db.NameOf(record->category, name))
        tags.category = Utf16ToUtf8(name);
    if (const auto note = trailer.NextString()) tags.note = NoteText(*note);
    tags.isPrivate = record->privateFlag != 0;
    return true;
}

}  // namespace

size_t WriteSidecarsUnder(const std::string& folder, std::vector<std::string>& failed) {
    CCategoryDB db;
    db.LoadHost(folder + "/_CategoryDB");
    size_t written = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        const std::string path = it->path().string();
        if (!IsPhotoName(Utf8ToUtf16(it->path().filename().string()))) continue;
        PhotoTags tags;
        if (!TagsOf(path, db, tags) || WriteXmpSidecar(path, tags) != 0) {
            failed.push_back(path);
            continue;
        }
        ++written;
    }
    return written;
}
