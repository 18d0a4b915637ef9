#include "sharing/FileAssociation.h"

#include "catalogue/CatalogueStrings.h"
#include "handheld/RegistryKey.h"
#include "platform/window/WindowManager.h"
#include "sharing/DesktopJpegViewer.h"
#include "platform/base/Process.h"

namespace {

constexpr std::u16string_view BROWSER_COMMAND = u"iexplore.exe file:%1";
constexpr std::u16string_view BROWSER_ICON = u"iexplore.exe, -1004";

// The class a file type belongs to: the extension key's default value.
std::u16string FileClassOf(std::u16string_view extension) {
    CRegistryKey key(HKEY_CLASSES_ROOT, std::u16string(extension));
    std::u16string name;
    if (key.Open()) key.QueryText(u"", name);
    return name;
}

void SetDefaultText(const std::u16string& path, std::u16string_view text) {
    CRegistryKey key(HKEY_CLASSES_ROOT, path);
    if (key.Open()) key.SetText(u"", text);
}

void MakeDefaultText(const std::u16string& path, std::u16string_view text) {
    CRegistryKey key(HKEY_CLASSES_ROOT, path);
    if (key.Create()) key.SetText(u"", text);
}

}  // namespace

void SetFileClassCommand(std::u16string_view extension, std::u16string_view icon,
                         std::u16string_view command) {
    const std::u16string fileClass = FileClassOf(extension);
    if (fileClass.empty()) return;
    SetDefaultText(fileClass + u"\\DefaultIcon", icon);
    SetDefaultText(fileClass + u"\\Shell\\Open\\Command", command);
}

void SetDefaultViewer(bool on) {
    // The program's path holds blanks: it is quoted in both texts.
    const std::u16string quoted = u"\"" + std::u16string(PROGRAM_PATH) + u"\"";
    const std::u16string command = on ? quoted + u" %1" : std::u16string(BROWSER_COMMAND);
    const std::u16string icon = on ? quoted + u", -128" : std::u16string(BROWSER_ICON);
    SetFileClassCommand(u".jpg", icon, command);
    SetFileClassCommand(u".jpeg", icon, command);
    SetDesktopJpegViewer(on, RunningProgramPath());
    SendMessage(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0);
}

void EnsureJpegClassKeys() {
    CRegistryKey existing(HKEY_CLASSES_ROOT, u".jpg");
    if (existing.Open()) return;
    MakeDefaultText(u".jpg", u"jpegfile");
    MakeDefaultText(u".jpeg", u"jpegfile");
    MakeDefaultText(u"jpegfile\\DefaultIcon", BROWSER_ICON);
    MakeDefaultText(u"jpegfile\\Shell\\Open\\Command", BROWSER_COMMAND);
}
