// kvsync: the desktop host. It loads libKVPlatform.so with dlopen, binds the
// library's exports by their mangled names and drives them from the command
// line.
#include <dlfcn.h>
#include <unistd.h>

#include <strings.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/rapi/CeServices.h"
#include "tools/xmp/DesktopSidecars.h"
#include "platform/base/Process.h"

namespace {

// Results the library reports (its own numbers and Windows error numbers).
constexpr long kCancelled = -20000;
constexpr long kDiskFull = 112;
constexpr long kListingFailed = -1;
constexpr long kBusy = 170;

// The host's own declaration of the record the library fills.
struct TUserInfo {
    char displayName[200];
    char userId[200];
    int32_t profileId;
    int32_t screenWidth;
    int32_t screenHeight;
    int32_t colorDepth;
    char hostReserved[64];
};

struct Library {
    void* handle = nullptr;
    int (*initialize)(char const*) = nullptr;
    void (*release)() = nullptr;
    int (*getPlatform)() = nullptr;
    void (*rootDir)(char const*, char const*, char const*, char*) = nullptr;
    int (*enumerateUsers)(int, char const*, TUserInfo&) = nullptr;
    void (*updateSpecs)(char const*, TUserInfo&) = nullptr;
    bool (*isActive)(char const*, char const*, unsigned long) = nullptr;
    long (*syncFiles)(char const*, int, char const*, long (*)(char*)) = nullptr;
    long (*lastOutcome)() = nullptr;  // optional: older libraries lack it

    ~Library() {
        if (handle) dlclose(handle);
    }
};

template <typename F>
bool Bind(void* handle, const char* mangled, F& out) {
    out = reinterpret_cast<F>(dlsym(handle, mangled));
    if (!out) std::fprintf(stderr, "kvsync: the library lacks %s\n", mangled);
    return out != nullptr;
}

std::string ExecutableFolder() {
    const std::string path = RunningProgramPath();
    return path.empty() ? "." : path.substr(0, path.rfind('/'));
}

bool Load(Library& lib) {
    std::vector<std::string> candidates;
    if (const char* env = std::getenv("KVSYNC_LIBRARY"); env && *env) candidates.push_back(env);
    std::string here = ExecutableFolder();
    candidates.push_back(here + "/libKVPlatform.so");
    candidates.push_back(here + "/../desktop/libKVPlatform.so");
    candidates.push_back(here + "/../lib/libKVPlatform.so");
    candidates.push_back("libKVPlatform.so");
    for (const std::string& c : candidates) {
        lib.handle = dlopen(c.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (lib.handle) break;
    }
    if (!lib.handle) {
        std::fprintf(stderr, "kvsync: cannot load libKVPlatform.so: %s\n", dlerror());
        return false;
    }
    lib.lastOutcome = reinterpret_cast<long (*)()>(dlsym(lib.handle, "_Z23PlatformLastSyncOutcomev"));
    return Bind(lib.handle, "_Z18InitializePlatformPKc", lib.initialize) &&
           Bind(lib.handle, "_Z15ReleasePlatformv", lib.release) &&
           Bind(lib.handle, "_Z11GetPlatformv", lib.getPlatform) &&
           Bind(lib.handle, "_Z29GetPlatformKestrelviewRootDirPKcS0_S0_Pc", lib.rootDir) &&
           Bind(lib.handle, "_Z22EnumeratePlatformUsersiPKcR9TUserInfo", lib.enumerateUsers) &&
           Bind(lib.handle, "_Z21UpdateUserDeviceSpecsPKcR9TUserInfo", lib.updateSpecs) &&
           Bind(lib.handle, "_Z20IsPlatformUserActivePKcS0_m", lib.isActive) &&
           Bind(lib.handle, "_Z17PlatformSyncFilesPKciS0_PFlPcE", lib.syncFiles);
}

// The commands, their options (each takes a value) and their help.
struct Command {
    const char* name;
    std::vector<std::string> options;
    size_t maxWords;
    const char* usage;
};

const Command kCommands[] = {
    {"pair", {"name", "device", "type"}, 0,
     "kvsync pair --name NAME --device DIR [--type PocketPC|SmartPhone]\n"
     "  Adds a partnership with the handheld whose device folder is DIR.\n"},
    {"unpair", {}, 1,
     "kvsync unpair PROFILE\n"
     "  Removes the partnership; its device folder and desktop folder stay.\n"},
    {"users", {}, 0, "kvsync users\n  Lists the partnerships: profile, name, screen.\n"},
    {"status", {}, 1, "kvsync status [PROFILE]\n  Tells which partnerships' handhelds are connected.\n"},
    {"sync", {"profile", "mode", "desktop", "brand"}, 0,
     "kvsync sync [--profile PROFILE] [--mode merge|desktop-overwrites|handheld-overwrites]\n"
     "            [--desktop DIR] [--brand NAME] [--xmp]\n"
     "  Synchronises the connected handheld (or PROFILE's) with its desktop folder:\n"
     "  by default a folder of its own under Kestrelview in the documents folder.\n"
     "  --xmp also writes an XMP sidecar beside each desktop photo with its category,\n"
     "  note and private mark, for other photo tools.\n"},
};

void PrintUsage(FILE* out) {
    std::fprintf(out, "usage:\n");
    for (const Command& c : kCommands) std::fprintf(out, "  %s", c.usage);
    std::fprintf(out, "  kvsync --help | --version\n");
}

int Usage() {
    PrintUsage(stderr);
    return 2;
}

// Options after the command word: --name value (or --name=value) pairs of
// the command's own options, and plain words.
struct Options {
    std::vector<std::pair<std::string, std::string>> named;
    std::vector<std::string> plain;
    bool help = false;
    bool xmp = false;
    std::string Get(const std::string& key, const std::string& fallback = {}) const {
        for (const auto& [k, v] : named)
            if (k == key) return v;
        return fallback;
    }
    bool Has(const std::string& key) const {
        for (const auto& [k, v] : named)
            if (k == key) return true;
        return false;
    }
};

bool ParseOptions(const Command& command, int argc, char** argv, Options& options) {
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg == "--xmp" && std::string(command.name) == "sync") {
            options.xmp = true;
            continue;
        }
        if (arg.rfind("-", 0) == 0 && arg.size() > 1) {
            std::string key = arg.rfind("--", 0) == 0 ? arg.substr(2) : arg.substr(1);
            std::string value;
            bool hasValue = false;
            if (size_t eq = key.find('='); eq != std::string::npos) {
                value = key.substr(eq + 1);
                key = key.substr(0, eq);
                hasValue = true;
            }
            if (std::find(command.options.begin(), command.options.end(), key) == command.options.end()) {
                std::fprintf(stderr, "kvsync: %s has no option %s\n", command.name, arg.c_str());
                return false;
            }
            if (!hasValue) {
                if (i + 1 >= argc) {
                    std::fprintf(stderr, "kvsync: --%s needs a value\n", key.c_str());
                    return false;
                }
                value = argv[++i];
            }
            if (options.Has(key)) {
                std::fprintf(stderr, "kvsync: --%s is given twice\n", key.c_str());
                return false;
            }
            options.named.emplace_back(key, value);
        } else {
            options.plain.push_back(arg);
        }
    }
    if (!options.help && options.plain.size() > command.maxWords) {
        std::fprintf(stderr, "kvsync: %s takes no argument %s\n", command.name,
                     options.plain[command.maxWords].c_str());
        return false;
    }
    return true;
}

// A profile identifier as typed: decimal digits only.
bool ParseProfile(const std::string& text, uint32_t& profile) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) {
        std::fprintf(stderr, "kvsync: %s is no partnership number\n", text.c_str());
        return false;
    }
    unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (value > 0xFFFFFFFFull) return false;
    profile = static_cast<uint32_t>(value);
    return true;
}

const CeSvcPartnership* FindPartnership(const std::vector<CeSvcPartnership>& all, uint32_t profile) {
    for (const CeSvcPartnership& p : all)
        if (p.profile == profile) return &p;
    return nullptr;
}

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) || a == b;
}

int Pair(const Options& options) {
    std::string name = options.Get("name"), device = options.Get("device");
    std::string type = options.Get("type", "PocketPC");
    if (name.empty() || device.empty()) {
        std::fprintf(stderr, "kvsync: pair needs --name and --device\n");
        return 2;
    }
    if (strcasecmp(type.c_str(), "PocketPC") != 0 && strcasecmp(type.c_str(), "SmartPhone") != 0) {
        std::fprintf(stderr, "kvsync: cannot pair a device of type %s: only PocketPC and SmartPhone handhelds "
                             "are synchronised\n", type.c_str());
        return 2;
    }
    char resolved[4096];
    if (!realpath(device.c_str(), resolved) || !std::filesystem::is_directory(resolved)) {
        std::fprintf(stderr, "kvsync: no such device folder: %s\n", device.c_str());
        return 1;
    }
    for (const CeSvcPartnership& p : CeSvcListPartnerships()) {
        if (!SameFolder(p.deviceFolder, resolved)) continue;
        std::fprintf(stderr, "kvsync: %s is paired already, as partnership %u (\"%s\")\n", resolved, p.profile,
                     p.displayName.c_str());
        return 1;
    }
    DWORD profile = 0;
    if (uint32_t err = CeSvcAddPartnership(name, type, resolved, profile)) {
        std::fprintf(stderr, "kvsync: cannot add the partnership (error %u)\n", err);
        return 1;
    }
    std::printf("paired \"%s\" as profile %u with %s\n", name.c_str(), profile, resolved);
    return 0;
}

int Unpair(const Options& options) {
    uint32_t profile = 0;
    if (options.plain.empty()) {
        std::fprintf(stderr, "kvsync: unpair needs the partnership's PROFILE (see kvsync users)\n");
        return 2;
    }
    if (!ParseProfile(options.plain[0], profile)) return 2;
    std::vector<CeSvcPartnership> all = CeSvcListPartnerships();
    const CeSvcPartnership* p = FindPartnership(all, profile);
    if (!p) {
        std::fprintf(stderr, "kvsync: no partnership %u\n", profile);
        return 1;
    }
    if (uint32_t err = CeSvcRemovePartnership(profile)) {
        std::fprintf(stderr, "kvsync: cannot remove partnership %u (error %u)\n", profile, err);
        return 1;
    }
    std::printf("unpaired partnership %u (\"%s\"); its folders are left as they are\n", profile,
                p->displayName.c_str());
    return 0;
}

// Every usable partnership the library reports.
std::vector<TUserInfo> Users(Library& lib) {
    std::vector<TUserInfo> users;
    for (int index = 0;; ++index) {
        TUserInfo user{};
        int r = lib.enumerateUsers(index, "", user);
        if (r == 0) break;
        if (r == 1) {
            lib.updateSpecs("", user);
            users.push_back(user);
        }
    }
    return users;
}

int ListUsers(Library& lib) {
    for (const TUserInfo& u : Users(lib))
        std::printf("%s\t%s\t%dx%dx%d\n", u.userId, u.displayName, u.screenWidth, u.screenHeight,
                    u.colorDepth);
    return 0;
}

bool IsActive(Library& lib, const TUserInfo& u) {
    return lib.isActive("", "", static_cast<unsigned long>(static_cast<uint32_t>(u.profileId)));
}

int Status(Library& lib, const Options& options) {
    uint32_t wanted = 0;
    bool one = !options.plain.empty();
    if (one && !ParseProfile(options.plain[0], wanted)) return 2;
    if (lib.initialize("Kestrelview") != 1) {
        std::fprintf(stderr, "kvsync: the connection manager is not available\n");
        return 1;
    }
    bool any = false, found = false;
    for (const TUserInfo& u : Users(lib)) {
        if (one && static_cast<uint32_t>(u.profileId) != wanted) continue;
        found = true;
        bool active = IsActive(lib, u);
        std::printf("%s\t%s\t%s\n", u.userId, u.displayName, active ? "active" : "inactive");
        any = any || active;
    }
    lib.release();
    if (one && !found) {
        std::fprintf(stderr, "kvsync: no partnership %u\n", wanted);
        return 1;
    }
    return any ? 0 : 1;
}

std::atomic<bool> g_interrupted{false};
bool g_terminal = false;
unsigned long g_blocks = 0;

void OnInterrupt(int) { g_interrupted = true; }

long Progress(char* line) {
    if (line && line[0]) {
        if (g_terminal && g_blocks) std::printf("\r\033[K");
        std::printf("%s\n", line);
        g_blocks = 0;
    } else if (g_terminal) {
        ++g_blocks;
        if (g_blocks % 16 == 0) {
            int width = static_cast<int>((g_blocks / 16) % 41);
            std::printf("\r[%-40.*s] %lu KB", width, "########################################",
                        g_blocks * 4);
        }
    }
    std::fflush(stdout);
    return g_interrupted ? 1 : 0;
}

// A partnership's name as one folder name.
std::string FolderNameOf(const std::string& displayName, uint32_t profile) {
    std::string name;
    for (char c : displayName) name.push_back(c == '/' || (c >= 0 && c < 0x20) ? '_' : c);
    while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
    if (name.empty() || name == "." || name == "..") name = "Handheld " + std::to_string(profile);
    return name;
}

// The desktop folder a partnership syncs with when none is given: the one
// chosen before, else a new folder of its own under the library's root
// folder in the documents folder, named after the partnership and never
// another partnership's. A single partnership that synchronised into the
// shared folder of earlier versions keeps it.
std::string DefaultDesktopFolder(Library& lib, const std::string& brand, uint32_t profile) {
    std::vector<CeSvcPartnership> all = CeSvcListPartnerships();
    const CeSvcPartnership* me = FindPartnership(all, profile);
    if (!me) return {};
    if (!me->desktopFolder.empty()) return me->desktopFolder;
    char root[260] = {};
    lib.rootDir(brand.c_str(), "", "", root);
    std::string shared = root;
    std::string chosen;
    std::error_code ec;
    if (all.size() == 1 && !shared.empty() &&
        std::filesystem::exists(shared + "/Internal/" + brand + "/_LastSyncCache", ec)) {
        chosen = shared;
    }
    std::string base = FolderNameOf(me->displayName, profile);
    for (int n = 1; chosen.empty() && n < 1000; ++n) {
        std::string name = n == 1 ? base : base + " " + std::to_string(n);
        char folder[260] = {};
        lib.rootDir(brand.c_str(), "", name.c_str(), folder);
        if (!*folder) return {};
        bool taken = std::filesystem::exists(folder, ec);
        for (const CeSvcPartnership& p : all) taken = taken || SameFolder(p.desktopFolder, folder);
        if (!taken) chosen = folder;
    }
    if (chosen.empty() || CeSvcSetDesktopFolder(profile, chosen) != 0) return {};
    return chosen;
}

// Sidecars for every photo of the desktop folder, so that other photo tools
// show the handheld's categories and notes. False when one failed.
bool WriteSidecars(const std::string& desktop) {
    std::vector<std::string> failed;
    const size_t written = WriteSidecarsUnder(desktop, failed);
    for (const std::string& path : failed) std::fprintf(stderr, "kvsync: no XMP sidecar for %s\n", path.c_str());
    std::printf("%zu XMP sidecars written\n", written);
    return failed.empty();
}

// The last line of a run says whether it finished, and why not.
int Report(long result, long outcome) {
    if (g_interrupted && outcome == 0 && result == 0) outcome = kCancelled;
    const char* why = nullptr;
    if (outcome == kCancelled) why = "cancelled: not everything was synchronised";
    else if (outcome == kDiskFull) why = "a disk is full: not everything was synchronised";
    else if (outcome == kListingFailed) why = "a folder was left alone: not everything was synchronised";
    else if (outcome == kBusy) why = "another synchronisation is running";
    if (why) std::printf("result: %ld (%s)\n", result, why);
    else std::printf("result: %ld\n", result);
    return outcome == 0 ? 0 : 1;
}

int Sync(Library& lib, const Options& options) {
    std::string modeName = options.Get("mode", "merge");
    int mode = modeName == "merge"                 ? 0
               : modeName == "desktop-overwrites"  ? 1
               : modeName == "handheld-overwrites" ? 2
                                                   : -100;
    if (mode == -100) {
        std::fprintf(stderr, "kvsync: --mode is merge, desktop-overwrites or handheld-overwrites, not %s\n",
                     modeName.c_str());
        return 2;
    }
    uint32_t wanted = 0;
    bool chosen = options.Has("profile");
    if (chosen && !ParseProfile(options.Get("profile"), wanted)) return 2;
    std::string brand = options.Get("brand", "Kestrelview");
    if (chosen) setenv("KESTRELVIEW_PROFILE", std::to_string(wanted).c_str(), 1);
    if (lib.initialize("Kestrelview") != 1) {
        std::fprintf(stderr, "kvsync: the connection manager is not available\n");
        return 1;
    }
    const TUserInfo* user = nullptr;
    std::vector<TUserInfo> users = Users(lib);
    for (const TUserInfo& u : users) {
        if (chosen ? static_cast<uint32_t>(u.profileId) == wanted : !user && IsActive(lib, u)) user = &u;
    }
    if (chosen && !user) {
        std::fprintf(stderr, "kvsync: no partnership %u\n", wanted);
        lib.release();
        return 1;
    }
    if (!user || !IsActive(lib, *user)) {
        if (user) std::fprintf(stderr, "kvsync: the handheld of partnership %s (\"%s\") is not connected\n",
                               user->userId, user->displayName);
        else std::fprintf(stderr, "kvsync: no partnership's handheld is connected\n");
        lib.release();
        return 1;
    }
    setenv("KESTRELVIEW_PROFILE", user->userId, 1);
    std::string desktop = options.Get("desktop");
    if (desktop.empty()) desktop = DefaultDesktopFolder(lib, brand, static_cast<uint32_t>(user->profileId));
    if (desktop.empty()) {
        std::fprintf(stderr, "kvsync: no desktop folder; give one with --desktop\n");
        lib.release();
        return 2;
    }
    // A first run makes the desktop folder (and a missing documents folder).
    std::error_code made;
    std::filesystem::create_directories(desktop, made);
    g_terminal = isatty(STDOUT_FILENO);
    std::signal(SIGINT, OnInterrupt);
    std::printf("syncing %s with %s (partnership %s, \"%s\")\n", desktop.c_str(), brand.c_str(), user->userId,
                user->displayName);
    long result = lib.syncFiles(brand.c_str(), mode, desktop.c_str(), Progress);
    long outcome = lib.lastOutcome ? lib.lastOutcome() : result;
    if (g_terminal && g_blocks) std::printf("\r\033[K");
    lib.release();
    if (options.xmp && !WriteSidecars(desktop)) {
        Report(result, outcome);
        std::printf("result: some XMP sidecars could not be written\n");
        return 1;
    }
    return Report(result, outcome);
}

const Command* FindCommand(const std::string& name) {
    for (const Command& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    std::string first = argc > 1 ? argv[1] : "";
    if (first == "--version") {
        std::printf("kvsync %s\n", KV_VERSION);
        return 0;
    }
    if (first == "--help" || first == "-h" || first == "help") {
        PrintUsage(stdout);
        return 0;
    }
    if (argc < 2) return Usage();
    const Command* command = FindCommand(first);
    if (!command) {
        std::fprintf(stderr, "kvsync: no command %s\n", first.c_str());
        return Usage();
    }
    Options options;
    if (!ParseOptions(*command, argc, argv, options)) return 2;
    if (options.help) {
        std::printf("usage: %s", command->usage);
        return 0;
    }
    if (first == "pair") return Pair(options);
    if (first == "unpair") return Unpair(options);
    Library lib;
    if (!Load(lib)) return 1;
    if (first == "users") return ListUsers(lib);
    if (first == "status") return Status(lib, options);
    return Sync(lib, options);
}
