#include "sharing/TodayWallpaper.h"

#include <vector>

#include "catalogue/ImageItem.h"
#include "catalogue/StringTable.h"
#include "catalogue/WholeFile.h"
#include "handheld/RegistryKey.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/File.h"
#include "platform/base/FileSystem.h"
#include "platform/base/WinError.h"
#include "platform/shell/MessageBoxWindow.h"
#include "platform/shell/Shell.h"
#include "platform/window/WindowManager.h"

namespace {

constexpr uint32_t STRING_WALLPAPER_ERROR = 135;
constexpr WPARAM SETTING_TODAY_WALLPAPER = 0xF2;

uint32_t CopyInto(File& from, File& to) {
    std::vector<uint8_t> buffer(1 << 20);
    for (;;) {
        uint32_t got = 0;
        if (uint32_t err = from.Read(buffer.data(), uint32_t(buffer.size()), got)) return err;
        if (got == 0) return to.Flush();
        uint32_t put = 0;
        if (uint32_t err = to.Write(buffer.data(), got, put)) return err;
        if (put != got) return ERROR_DISK_FULL;
    }
}

// The copy goes to a temporary file that replaces the wallpaper in one
// rename once it is complete on disk.
uint32_t CopyReplacing(const DeviceFolder& device, std::u16string_view source,
                       std::u16string_view target) {
    const std::u16string temp = TemporaryNameFor(target);
    uint32_t err = 0;
    {
        File from, to;
        err = from.Open(device, source, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        if (!err) err = to.Open(device, temp, GENERIC_WRITE, 0, CREATE_ALWAYS);
        if (!err) err = CopyInto(from, to);
    }
    if (!err) err = MoveFileReplacing(device, temp, target);
    if (err) DeleteFile(device, temp);
    return err;
}

uint32_t CopyToWallpaper(std::u16string_view source) {
    const DeviceFolder& device = DeviceFolder::Current();
    const uint32_t made = CreateDirectory(device, u"\\Windows");
    if (made != 0 && made != ERROR_ALREADY_EXISTS) return made;
    return CopyReplacing(device, source, TODAY_WALLPAPER_PATH);
}

}  // namespace

uint32_t SetTodayWallpaper(const CImageItem& record) {
    WaitCursor wait;
    if (uint32_t err = CopyToWallpaper(record.GetPath())) {
        MessageBoxW(nullptr, LoadString(STRING_WALLPAPER_ERROR), u"Kestrelview", MB_OK);
        return err;
    }
    CRegistryKey today(HKEY_CURRENT_USER, u"Software\\Microsoft\\Today");
    if (today.Open()) today.SetText(u"Watermark", u"tdycust.jpg");
    SendMessage(HWND_BROADCAST, WM_SETTINGCHANGE, SETTING_TODAY_WALLPAPER, 0);
    return 0;
}
