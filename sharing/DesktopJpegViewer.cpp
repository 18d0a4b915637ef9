#include "sharing/DesktopJpegViewer.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/AtomicWrite.h"
#include "platform/base/Process.h"
#include "platform/base/WinError.h"
#include "platform/base/XdgFolders.h"

namespace {

constexpr char JPEG_TYPE[] = "image/jpeg";
// What was the viewer before this program; "-" for none.
constexpr char NO_VIEWER[] = "-";

std::string RememberedViewerPath() {
    return XdgConfigHome() + "/kestrelview/previous-jpeg-viewer";
}

std::string UserEntryPath() {
    return XdgDataHome() + "/applications/" + DESKTOP_ENTRY_NAME;
}

uint32_t MakeFolder(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return 0;
    const std::string folder = path.substr(0, slash);
    if (uint32_t err = MakeFolder(folder)) return err;
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return WinErrorFromErrno(errno, folder);
    return 0;
}

uint32_t WriteText(const std::string& path, const std::string& text) {
    if (uint32_t err = MakeFolder(path)) return err;
    return ReplaceHostFile(path, text);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find_first_of("\r\n")); }

// Desktop entry values escape backslashes, and Exec quotes its arguments.
std::string ExecQuoted(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += "\\\\";
        if (c == '%') quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

uint32_t SetViewer(const std::string& entry) {
    std::string output;
    return RunProgram({"xdg-mime", "default", entry, JPEG_TYPE}, output) == 0 ? 0 : ERROR_GEN_FAILURE;
}

// With no viewer to give back, our own line leaves the user's list.
uint32_t ForgetOwnViewer() {
    const std::string list = XdgConfigHome() + "/mimeapps.list";
    std::istringstream in(ReadText(list));
    std::string line, kept;
    bool changed = false;
    while (std::getline(in, line)) {
        if (line.rfind(std::string(JPEG_TYPE) + "=" + DESKTOP_ENTRY_NAME, 0) == 0) {
            changed = true;
            continue;
        }
        kept += line + "\n";
    }
    return changed ? WriteText(list, kept) : 0;
}

uint32_t TurnOn(const std::string& programPath) {
    const std::string before = DesktopJpegViewer();
    if (before != DESKTOP_ENTRY_NAME) {
        if (uint32_t err = WriteText(RememberedViewerPath(), (before.empty() ? NO_VIEWER : before) + "\n"))
            return err;
    }
    if (uint32_t err = WriteText(UserEntryPath(), DesktopEntryText(programPath))) return err;
    return SetViewer(DESKTOP_ENTRY_NAME);
}

uint32_t TurnOff() {
    if (DesktopJpegViewer() != DESKTOP_ENTRY_NAME) return 0;  // the user chose another since
    const std::string before = FirstLine(ReadText(RememberedViewerPath()));
    const uint32_t err = before.empty() || before == NO_VIEWER ? ForgetOwnViewer() : SetViewer(before);
    if (err != 0) return err;
    // The entry made when turning on goes too, so that no list of viewers
    // falls back to it.
    unlink(UserEntryPath().c_str());
    unlink(RememberedViewerPath().c_str());
    return 0;
}

}  // namespace

std::string DesktopEntryText(const std::string& programPath) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Kestrelview\n"
           "GenericName=Photo Organiser\n"
           "Comment=Browse, sort and show photos with categories and notes\n"
           "Exec=" + ExecQuoted(programPath) + " %f\n"
           "Icon=kestrelview\n"
           "Terminal=false\n"
           "Categories=Graphics;Photography;Viewer;\n"
           "MimeType=image/jpeg;\n";
}

std::string DesktopJpegViewer() {
    std::string output;
    if (RunProgram({"xdg-mime", "query", "default", JPEG_TYPE}, output) != 0) return {};
    return FirstLine(output);
}

uint32_t SetDesktopJpegViewer(bool on, const std::string& programPath) {
    if (FindProgram("xdg-mime").empty()) return ERROR_FILE_NOT_FOUND;
    return on ? TurnOn(programPath) : TurnOff();
}
