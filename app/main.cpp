// kestrelview: the handheld photo organiser on a 240 x 320 screen, in an
// SDL2 window or headless with a script of input.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>

#include "app/KestrelviewEntry.h"
#include "platform/base/Collation.h"
#include "platform/base/DeviceFolder.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/window/InputScript.h"
#include "platform/window/SdlBackend.h"
#include "platform/base/Text.h"
#include "platform/base/Process.h"

namespace {

const char USAGE[] =
    "usage: kestrelview [--root DIR] [--headless] [--script FILE|-] [--scale N] [--fullscreen] [PHOTO]\n"
    "  --root DIR      the device folder (default $KESTRELVIEW_ROOT or ~/.local/share/kestrelview/device)\n"
    "  --headless      no window: input comes from --script, and the program ends with it\n"
    "  --script FILE   input lines: tap X Y, hold X Y, down X Y, move X Y, up X Y,\n"
    "                  key NAME, type TEXT, wait MS, sleep MS, shot FILE.png\n"
    "                  ('-' reads standard input; wait moves the program's clock,\n"
    "                  sleep lets real time pass for changes made from outside)\n"
    "  --scale N       window pixels per screen pixel (default 2)\n"
    "  --fullscreen    the screen fills the display\n"
    "  PHOTO           a photo to show on its own (a path in the device folder, or a host path)\n";

struct Arguments {
    std::string root;
    bool headless = false;
    std::string script;
    bool hasScript = false;
    int scale = 2;
    bool fullScreen = false;
    std::string photo;
};

bool ParseArguments(int argc, char** argv, Arguments& args) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };
        std::string scale;
        if (a == "--root") {
            if (!value(args.root))
                return false;
        } else if (a == "--headless") {
            args.headless = true;
        } else if (a == "--script") {
            if (!value(args.script))
                return false;
            args.hasScript = true;
        } else if (a == "--scale") {
            if (!value(scale))
                return false;
            char* end = nullptr;
            const long n = std::strtol(scale.c_str(), &end, 10);
            if (*end || n < 1 || n > 16)
                return false;
            args.scale = int(n);
        } else if (a == "--fullscreen") {
            args.fullScreen = true;
        } else if (a == "--help" || a == "-h") {
            return false;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            return false;
        } else if (args.photo.empty()) {
            args.photo = a;
        } else {
            return false;
        }
    }
    return true;
}

bool ReadScript(const std::string& source, std::string& text) {
    if (source == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return true;
    }
    std::ifstream in(source, std::ios::binary);
    if (!in)
        return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::u16string OwnProgramPath() {
    const std::string path = RunningProgramPath();
    return path.empty() ? u"kestrelview" : Utf8ToUtf16(path);
}

}  // namespace

int main(int argc, char** argv) {
    UseUserCollation();
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("kestrelview %s\n", KV_VERSION);
        return 0;
    }
    Arguments args;
    if (!ParseArguments(argc, argv, args)) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    if (args.hasScript && !args.headless) {
        std::fputs("kestrelview: --script needs --headless\n", stderr);
        return 2;
    }
    std::vector<ScriptStep> steps;
    if (args.hasScript) {
        std::string text;
        if (!ReadScript(args.script, text)) {
            std::fprintf(stderr, "kestrelview: cannot read the script %s\n", args.script.c_str());
            return 2;
        }
        const ScriptError error = ParseInputScript(text, steps);
        if (error.line) {
            std::fprintf(stderr, "kestrelview: script line %d: %s\n", error.line, error.message.c_str());
            return 2;
        }
    }
    const std::string root = args.root.empty() ? DeviceFolder::DefaultRoot() : args.root;
    std::error_code ignored;
    std::filesystem::create_directories(root, ignored);
    DeviceFolder::SetCurrent(root);

    LaunchOptions options;
    options.commandLine = Utf8ToUtf16(args.photo);
    options.deviceRoot = root;
    options.programPath = OwnProgramPath();
    const int exitCode = KestrelviewMain(options, [&]() -> std::unique_ptr<DisplayBackend> {
        if (args.headless) {
            auto backend = std::make_unique<HeadlessBackend>();
            backend->Play(steps);
            return backend;
        }
        std::string error;
        auto sdl = SdlBackend::Open(args.scale, args.fullScreen, &error);
        if (!sdl)
            std::fprintf(stderr, "kestrelview: no window (%s); try --headless --script FILE\n",
                         error.c_str());
        return sdl;
    });
    return exitCode;
}
