#include "platform/rapi/ConnectionManager.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>

#include "platform/rapi/CeServices.h"

const GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID CLSID_DccMan = {0x499C0C20, 0xA766, 0x11CF, {0x80, 0x11, 0x00, 0xA0, 0xC9, 0x0A, 0x8F, 0x78}};
const GUID IID_IDccMan = {0xA7B88841, 0xA812, 0x11CF, {0x80, 0x11, 0x00, 0xA0, 0xC9, 0x0A, 0x8F, 0x78}};
const GUID IID_IDccManSink = {0xA7B88840, 0xA812, 0x11CF, {0x80, 0x11, 0x00, 0xA0, 0xC9, 0x0A, 0x8F, 0x78}};

bool operator==(const GUID& a, const GUID& b) {
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
           std::equal(a.data4, a.data4 + 8, b.data4);
}

namespace {

std::atomic<uint32_t> g_pollInterval{250};
thread_local int t_apartmentCount = 0;
std::mutex g_hookLock;
std::function<void(bool)> g_changeHook;

bool DeviceFolderPresent(const CeSvcPartnership& p) {
    if (p.deviceFolder.empty()) return false;
    DWORD id = 0;
    return RapiReadDeviceIdentity(p.deviceFolder, id) && id == p.profile;
}

// The manager: watches the partnerships' device folders and tells every
// advised sink when the connection comes and goes.
class CDccMan final : public IDccMan {
public:
    CDccMan() = default;
    ~CDccMan() { Stop(); }

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDccMan) {
            *object = static_cast<IDccMan*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }

    HRESULT Advise(IDccManSink* sink, DWORD* cookie) override {
        if (!sink || !cookie) return E_POINTER;
        sink->AddRef();
        {
            std::lock_guard guard(m_lock);
            *cookie = m_nextCookie++;
            m_sinks[*cookie] = sink;
            // A new sink learns the present state at once.
            if (Connected()) sink->OnLogActive();
            else sink->OnLogListen();
        }
        Start();
        return S_OK;
    }

    HRESULT Unadvise(DWORD cookie) override {
        IDccManSink* sink = nullptr;
        {
            std::lock_guard guard(m_lock);
            auto it = m_sinks.find(cookie);
            if (it == m_sinks.end()) return E_INVALIDARG;
            sink = it->second;
            m_sinks.erase(it);
        }
        sink->Release();
        return S_OK;
    }

    HRESULT ShowCommSettings() override { return E_NOTIMPL; }
    HRESULT AutoconnectEnable() override { return S_OK; }
    HRESULT AutoconnectDisable() override { return S_OK; }
    HRESULT ConnectNow() override { return S_OK; }
    HRESULT DisconnectNow() override { return S_OK; }
    HRESULT SetIconDataTransferring() override { return S_OK; }
    HRESULT SetIconNoDataTransferring() override { return S_OK; }
    HRESULT SetIconError() override { return S_OK; }

private:
    // Called with m_lock held.
    bool Connected() {
        std::string root;
        DWORD profile = 0;
        m_connected = FindConnectedDevice(root, profile);
        return m_connected;
    }

    void Start() {
        std::lock_guard guard(m_threadLock);
        if (m_watcher.joinable()) return;
        m_stop = false;
        m_watcher = std::thread([this] { Watch(); });
    }

    void Stop() {
        {
            std::lock_guard guard(m_threadLock);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_watcher.joinable()) m_watcher.join();
    }

    void Watch() {
        std::unique_lock wait(m_threadLock);
        while (!m_stop) {
            m_wake.wait_for(wait, std::chrono::milliseconds(g_pollInterval.load()));
            if (m_stop) break;
            wait.unlock();
            Poll();
            wait.lock();
        }
    }

    void Poll() {
        std::lock_guard guard(m_lock);
        bool was = m_connected;
        bool now = Connected();
        if (was == now) return;
        for (auto& [cookie, sink] : m_sinks) {
            if (now) {
                sink->OnLogAnswered();
                sink->OnLogActive();
            } else {
                sink->OnLogDisconnection();
            }
        }
        std::lock_guard hookGuard(g_hookLock);
        if (g_changeHook) g_changeHook(now);
    }

    std::atomic<ULONG> m_refs{0};
    std::mutex m_lock;  // sinks and state; held while sinks are called
    std::map<DWORD, IDccManSink*> m_sinks;
    DWORD m_nextCookie = 1;
    bool m_connected = false;

    std::mutex m_threadLock;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_watcher;
};

}  // namespace

HRESULT CoInitialize(void*) { return t_apartmentCount++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
    if (t_apartmentCount > 0) --t_apartmentCount;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!(clsid == CLSID_DccMan) || !(context & (CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER)))
        return REGDB_E_CLASSNOTREG;
    auto* manager = new CDccMan();
    manager->AddRef();
    HRESULT hr = manager->QueryInterface(iid, object);
    manager->Release();
    return hr;
}

bool FindConnectedDevice(std::string& hostRoot, DWORD& profile) {
    const char* wanted = std::getenv("KESTRELVIEW_PROFILE");
    for (const CeSvcPartnership& p : CeSvcListPartnerships()) {
        if (wanted && *wanted && std::to_string(p.profile) != wanted) continue;
        if (!DeviceFolderPresent(p)) continue;
        hostRoot = p.deviceFolder;
        profile = p.profile;
        return true;
    }
    return false;
}

void SetConnectionChangeHook(std::function<void(bool connected)> hook) {
    std::lock_guard guard(g_hookLock);
    g_changeHook = std::move(hook);
}

void SetConnectionPollInterval(uint32_t milliseconds) { g_pollInterval = milliseconds ? milliseconds : 1; }
