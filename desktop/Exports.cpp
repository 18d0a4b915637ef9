// The export surface of libKVPlatform.so and the library-wide state behind it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "desktop/ConnectionSink.h"
#include "desktop/KVPlatform.h"
#include "desktop/SyncEngine.h"
#include "desktop/SyncTypes.h"
#include "desktop/UserDirs.h"
#include "platform/rapi/CeServices.h"
#include "platform/rapi/ConnectionManager.h"
#include "platform/rapi/Rapi.h"
#include "platform/base/Text.h"
#include "platform/base/WinError.h"
#include "platform/base/XdgFolders.h"

namespace {

constexpr int kPlatformPocketPC = 1;
constexpr size_t kDisplayNameSize = 128;
constexpr size_t kDeviceTypeSize = 64;

struct LibraryState {
    char applicationName[kBrandNameSize] = {};
    char brandName[kBrandNameSize] = {};
    IDccMan* manager = nullptr;
    DWORD adviseCookie = 0;
    CConnectionSink* sink = nullptr;
    DWORD enumContext = 0;
};

LibraryState g_state;

// Copies text into a fixed buffer, cut to fit and always NUL-ended.
void CopyBounded(char* out, size_t size, const char* text) {
    size_t n = text ? strnlen(text, size - 1) : 0;
    if (n) std::memcpy(out, text, n);
    out[n] = '\0';
}

struct DeviceScreen {
    const char16_t* type;
    int32_t width, height, depth;
};
constexpr DeviceScreen kScreens[] = {{u"PocketPC", 240, 320, 16}, {u"SmartPhone", 176, 220, 16}};

// The documents folder named in the user's user-dirs file, if any.
std::string UserDirsDocuments(const std::string& home) {
    const std::string file = XdgConfigHome() + "/user-dirs.dirs";
    std::ifstream in(file);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return DocumentsFolderFromUserDirs(text, home);
}

std::string PersonalFolder() {
    if (const char* docs = std::getenv("XDG_DOCUMENTS_DIR"); docs && *docs) return docs;
    const char* homeText = std::getenv("HOME");
    std::string home = homeText ? homeText : "";
    if (std::string named = UserDirsDocuments(home); !named.empty()) return named;
    if (!home.empty()) return home + "/Documents";
    return {};
}

// The last run's result before cancellation and a full disk were counted
// as success, for hosts that want to say the run did not finish.
long g_lastOutcome = 0;

}  // namespace

int InitializePlatform(char const* applicationName) {
    if (g_state.sink) ReleasePlatform();
    CopyBounded(g_state.applicationName, sizeof g_state.applicationName, applicationName);
    if (CoInitialize(nullptr) < 0) return -1;
    void* object = nullptr;
    if (CoCreateInstance(CLSID_DccMan, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDccMan,
                         &object) < 0) {
        CoUninitialize();
        return -1;
    }
    g_state.manager = static_cast<IDccMan*>(object);
    g_state.sink = new CConnectionSink(g_state.manager);
    g_state.sink->AddRef();
    void* sinkInterface = nullptr;
    if (g_state.sink->QueryInterface(IID_IDccManSink, &sinkInterface) == S_OK) {
        auto* sink = static_cast<IDccManSink*>(sinkInterface);
        g_state.manager->Advise(sink, &g_state.adviseCookie);
        sink->Release();
    }
    return 1;
}

void ReleasePlatform(void) {
    if (g_state.sink) {
        // Stop the reports first: the manager's thread must not reach a
        // sink that is being freed.
        if (g_state.manager && g_state.adviseCookie) g_state.manager->Unadvise(g_state.adviseCookie);
        g_state.adviseCookie = 0;
        g_state.sink->Release();
        g_state.sink = nullptr;
    }
    if (g_state.manager) {
        g_state.manager->Release();
        g_state.manager = nullptr;
    }
    CoUninitialize();
}

int GetPlatform(void) { return kPlatformPocketPC; }

void GetPlatformKestrelviewRootDir(char const* first, char const*, char const* third, char* output) {
    if (!output) return;
    std::string path = PersonalFolder();
    path = JoinDesktopPath(path, first ? first : "");
    path = JoinDesktopPath(path, third ? third : "");
    // A path cut short would name another folder: none is better.
    if (path.size() >= kRootDirSize) path.clear();
    std::memcpy(output, path.c_str(), path.size() + 1);
}

int EnumeratePlatformUsers(int index, char const*, TUserInfo& user) {
    if (index == 0) g_state.enumContext = 0;
    DWORD profile = 0;
    if (index < 0 || CeSvcEnumProfiles(&g_state.enumContext, static_cast<DWORD>(index), &profile) != 0)
        return 0;
    if (profile == 0xFFFFFFFFu) return -1;
    HCESVC service = nullptr;
    CeSvcOpen(CESVC_DEVICEX, reinterpret_cast<const char*>(static_cast<uintptr_t>(profile)), 0, &service);
    char displayName[kDisplayNameSize] = {};
    char deviceType[kDeviceTypeSize] = {};
    CeSvcGetString(service, "DisplayName", displayName, sizeof displayName);
    CeSvcGetString(service, "DeviceType", deviceType, sizeof deviceType);
    const DeviceScreen* screen = nullptr;
    for (const DeviceScreen& s : kScreens) {
        if (EqualsNoCase(Utf8ToUtf16(deviceType), s.type)) screen = &s;
    }
    if (!screen) {
        CeSvcClose(service);
        return -1;
    }
    CopyBounded(user.displayName, sizeof user.displayName, displayName);
    std::snprintf(user.userId, sizeof user.userId, "%d", static_cast<int>(profile));
    user.profileId = static_cast<int32_t>(profile);
    user.screenWidth = screen->width;
    user.screenHeight = screen->height;
    user.colorDepth = screen->depth;
    CeSvcClose(service);
    return 1;
}

void UpdateUserDeviceSpecs(char const*, TUserInfo&) {}

bool IsPlatformUserActive(char const*, char const*, unsigned long profile) {
    return g_state.sink && g_state.sink->Connected() &&
           static_cast<DWORD>(profile) == CeGetDeviceId();
}

long PlatformSyncFiles(char const* brand, int mode, char const* desktopFolder, long (*progress)(char*)) {
    SyncRequest request;
    request.mode = mode == 0   ? SYNC_MERGE
                   : mode == 1 ? SYNC_DESKTOP_OVERWRITES_HANDHELD
                               : SYNC_HANDHELD_OVERWRITES_DESKTOP;
    CopyBounded(g_state.brandName, sizeof g_state.brandName, brand);
    // A name or folder cut short would name another place: refuse it.
    bool fits = brand && std::strlen(brand) < kBrandNameSize && desktopFolder &&
                std::strlen(desktopFolder) < kSyncFolderSize;
    CopyBounded(request.desktopFolder, sizeof request.desktopFolder, desktopFolder);
    CeRapiInit();
    g_lastOutcome = 0;
    if (!fits) {
        g_lastOutcome = ERROR_FILENAME_EXCED_RANGE;
        CSyncReporter(progress, g_state.brandName, g_state.applicationName)
            .MessageFinalError(static_cast<int32_t>(ERROR_FILENAME_EXCED_RANGE));
        return ERROR_FILENAME_EXCED_RANGE;
    }
    CSyncEngine engine(g_state.brandName, progress, request, g_state.applicationName);
    long result = engine.Run();
    g_lastOutcome = engine.Outcome();
    return result;
}

long PlatformLastSyncOutcome(void) { return g_lastOutcome; }
