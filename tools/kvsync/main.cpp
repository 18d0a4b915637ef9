// kvsync: the desktop host. It loads libKVPlatform.so with dlopen, binds the
// library's exports by their mangled names and drives them from the command
// line.
#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/rapi/CeServices.h"

namespace {

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
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    path[n] = '\0';
    std::string p(path);
    return p.substr(0, p.rfind('/'));
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
    return Bind(lib.handle, "_Z18InitializePlatformPKc", lib.initialize) &&
           Bind(lib.handle, "_Z15ReleasePlatformv", lib.release) &&
           Bind(lib.handle, "_Z11GetPlatformv", lib.getPlatform) &&
           Bind(lib.handle, "_Z29GetPlatformKestrelviewRootDirPKcS0_S0_Pc", lib.rootDir) &&
           Bind(lib.handle, "_Z22EnumeratePlatformUsersiPKcR9TUserInfo", lib.enumerateUsers) &&
           Bind(lib.handle, "_Z21UpdateUserDeviceSpecsPKcR9TUserInfo", lib.updateSpecs) &&
           Bind(lib.handle, "_Z20IsPlatformUserActivePKcS0_m", lib.isActive) &&
           Bind(lib.handle, "_Z17PlatformSyncFilesPKciS0_PFlPcE", lib.syncFiles);
}

// Options after the command word: --name value pairs and plain words.
struct Options {
    std::vector<std::pair<std::string, std::string>> named;
    std::vector<std::string> plain;
    std::string Get(const std::string& key, const std::string& fallback = {}) const {
        for (const auto& [k, v] : named)
            if (k == key) return v;
        return fallback;
    }
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--", 0) == 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "kvsync: %s needs a value\n", arg.c_str());
                return false;
            }
            options.named.emplace_back(arg.substr(2), argv[++i]);
        } else {
            options.plain.push_back(arg);
        }
    }
    return true;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: kvsync pair --name NAME --device DIR [--type PocketPC|SmartPhone]\n"
                 "       kvsync users\n"
                 "       kvsync status [PROFILE]\n"
                 "       kvsync sync [--profile ID] [--mode merge|desktop-overwrites|handheld-overwrites]\n"
                 "                   [--desktop DIR] [--brand NAME]\n");
    return 2;
}

int Pair(const Options& options) {
    std::string name = options.Get("name"), device = options.Get("device");
    std::string type = options.Get("type", "PocketPC");
    if (name.empty() || device.empty()) return Usage();
    char resolved[4096];
    if (!realpath(device.c_str(), resolved)) {
        std::fprintf(stderr, "kvsync: no such device folder: %s\n", device.c_str());
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

int Status(Library& lib, const Options& options) {
    if (lib.initialize("Kestrelview") != 1) {
        std::fprintf(stderr, "kvsync: the connection manager is not available\n");
        return 1;
    }
    bool any = false;
    for (const TUserInfo& u : Users(lib)) {
        if (!options.plain.empty() && options.plain[0] != u.userId) continue;
        bool active = lib.isActive("", "", static_cast<unsigned long>(static_cast<uint32_t>(u.profileId)));
        std::printf("%s\t%s\t%s\n", u.userId, u.displayName, active ? "active" : "inactive");
        any = any || active;
    }
    lib.release();
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

int Sync(Library& lib, const Options& options) {
    std::string profile = options.Get("profile");
    if (!profile.empty()) setenv("KESTRELVIEW_PROFILE", profile.c_str(), 1);
    std::string modeName = options.Get("mode", "merge");
    int mode = modeName == "merge"                  ? 0
               : modeName == "desktop-overwrites"   ? 1
               : modeName == "handheld-overwrites"  ? 2
                                                    : -100;
    if (mode == -100) return Usage();
    std::string brand = options.Get("brand", "Kestrelview");
    std::string desktop = options.Get("desktop");
    if (desktop.empty()) {
        char root[260] = {};
        lib.rootDir(brand.c_str(), "", "", root);
        desktop = root;
    }
    if (desktop.empty()) {
        std::fprintf(stderr, "kvsync: no desktop folder; give one with --desktop\n");
        return 2;
    }
    // A first run makes the desktop folder (and a missing documents folder).
    std::error_code made;
    std::filesystem::create_directories(desktop, made);
    if (lib.initialize("Kestrelview") != 1) {
        std::fprintf(stderr, "kvsync: the connection manager is not available\n");
        return 1;
    }
    bool connected = false;
    for (const TUserInfo& u : Users(lib))
        connected = connected || lib.isActive("", "", static_cast<uint32_t>(u.profileId));
    if (!connected) {
        std::fprintf(stderr, "kvsync: no partnership's device is connected\n");
        lib.release();
        return 1;
    }
    g_terminal = isatty(STDOUT_FILENO);
    std::signal(SIGINT, OnInterrupt);
    std::printf("syncing %s with %s\n", desktop.c_str(), brand.c_str());
    long result = lib.syncFiles(brand.c_str(), mode, desktop.c_str(), Progress);
    if (g_terminal && g_blocks) std::printf("\r\033[K");
    lib.release();
    std::printf("result: %ld\n", result);
    return result == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("kvsync %s\n", KV_VERSION);
        return 0;
    }
    if (argc < 2) return Usage();
    std::string command = argv[1];
    Options options;
    if (!ParseOptions(argc, argv, options)) return 2;
    if (command == "pair") return Pair(options);
    Library lib;
    if (command != "users" && command != "status" && command != "sync") return Usage();
    if (!Load(lib)) return 1;
    if (command == "users") return ListUsers(lib);
    if (command == "status") return Status(lib, options);
    return Sync(lib, options);
}
