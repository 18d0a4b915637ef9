#include "sharing/ImageSender.h"

#include "catalogue/ImageItem.h"
#include "handheld/FullScreen.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/Process.h"
#include "platform/base/WinError.h"
#include "platform/shell/MessageBoxWindow.h"

namespace {

constexpr char16_t NO_BEAM_SENDER[] =
    u"Beaming needs a program that sends files to nearby devices. Install "
    u"gnome-bluetooth-sendto, blueman or kdeconnect.";
constexpr char16_t NO_KDECONNECT_DEVICE[] =
    u"KDE Connect found no paired device within reach. Pair a device and try again.";
constexpr char16_t NO_EMAIL_SENDER[] =
    u"Sending by e-mail needs xdg-email. Install xdg-utils.";

// The first paired device KDE Connect can reach now.
std::string ReachableKdeConnectDevice() {
    std::string output;
    if (RunProgram({"kdeconnect-cli", "--list-available", "--id-only"}, output) != 0) return {};
    const size_t end = output.find_first_of("\r\n");
    return output.substr(0, end);
}

uint32_t Send(const CImageItem& record, std::vector<std::string> (*command)(const std::string&,
                                                                            std::u16string&),
              const char16_t* caption) {
    if (CFullScreenSwitch* fullScreen = GetFullScreenSwitch())
        fullScreen->SetFullScreen(false, false);
    std::string hostPath;
    if (uint32_t err = DeviceFolder::Current().ToHost(record.GetPath(), hostPath)) return err;
    std::u16string problem;
    const std::vector<std::string> argv = command(hostPath, problem);
    if (argv.empty()) {
        MessageBoxW(nullptr, problem, caption, MB_OK);
        return ERROR_FILE_NOT_FOUND;
    }
    return StartDetached(argv);
}

}  // namespace

std::vector<std::string> BeamCommand(const std::string& hostPath, std::u16string& problem) {
    for (const char* sender : {"bluetooth-sendto", "blueman-sendto"}) {
        if (!FindProgram(sender).empty()) return {sender, hostPath};
    }
    if (!FindProgram("kdeconnect-cli").empty()) {
        const std::string device = ReachableKdeConnectDevice();
        if (!device.empty()) return {"kdeconnect-cli", "--device", device, "--share", hostPath};
        problem = NO_KDECONNECT_DEVICE;
        return {};
    }
    problem = NO_BEAM_SENDER;
    return {};
}

std::vector<std::string> EmailCommand(const std::string& hostPath, std::u16string& problem) {
    if (FindProgram("xdg-email").empty()) {
        problem = NO_EMAIL_SENDER;
        return {};
    }
    return {"xdg-email", "--attach", hostPath};
}

uint32_t BeamImage(const CImageItem& record) { return Send(record, BeamCommand, u"Beam"); }

uint32_t EmailImage(const CImageItem& record) {
    return Send(record, EmailCommand, u"Send via Email");
}
