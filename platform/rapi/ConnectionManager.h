#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/rapi/Rapi.h"

// The connection manager of the desktop connection components, in the shape
// of its COM interfaces. A device counts as connected while the device
// folder of one of the desktop's partnerships is present and carries that
// partnership's identity. The manager watches on a thread of its own, so its
// sinks are called from that thread (and once from the thread that advises).

using ULONG = uint32_t;

struct GUID {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
bool operator==(const GUID& a, const GUID& b);
using REFIID = const GUID&;
using REFCLSID = const GUID&;

extern const GUID IID_IUnknown;
extern const GUID CLSID_DccMan;
extern const GUID IID_IDccMan;
extern const GUID IID_IDccManSink;

constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT S_FALSE = 1;
constexpr DWORD CLSCTX_INPROC_SERVER = 1;
constexpr DWORD CLSCTX_LOCAL_SERVER = 4;

class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

class IDccManSink : public IUnknown {
public:
    virtual HRESULT OnLogIpAddr(DWORD address) = 0;
    virtual HRESULT OnLogTerminated() = 0;
    virtual HRESULT OnLogActive() = 0;
    virtual HRESULT OnLogInactive() = 0;
    virtual HRESULT OnLogAnswered() = 0;
    virtual HRESULT OnLogListen() = 0;
    virtual HRESULT OnLogDisconnection() = 0;
    virtual HRESULT OnLogError() = 0;

protected:
    ~IDccManSink() = default;
};

class IDccMan : public IUnknown {
public:
    virtual HRESULT Advise(IDccManSink* sink, DWORD* cookie) = 0;
    virtual HRESULT Unadvise(DWORD cookie) = 0;
    virtual HRESULT ShowCommSettings() = 0;
    virtual HRESULT AutoconnectEnable() = 0;
    virtual HRESULT AutoconnectDisable() = 0;
    virtual HRESULT ConnectNow() = 0;
    virtual HRESULT DisconnectNow() = 0;
    virtual HRESULT SetIconDataTransferring() = 0;
    virtual HRESULT SetIconNoDataTransferring() = 0;
    virtual HRESULT SetIconError() = 0;

protected:
    ~IDccMan() = default;
};

// COM as far as the library uses it: one apartment per thread, counted.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();
// Only CLSID_DccMan is known; aggregation is refused.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);

// The connected device: the first partnership (or the one named by
// $KESTRELVIEW_PROFILE) whose device folder is present and carries its
// profile identifier. False when no device is connected.
bool FindConnectedDevice(std::string& hostRoot, DWORD& profile);

// How often the manager's watcher looks at the device folders.
void SetConnectionPollInterval(uint32_t milliseconds);
// Called on the watcher's thread after every advised sink has been told of
// a change, so a test can wait for the change itself (empty: none).
void SetConnectionChangeHook(std::function<void(bool connected)> hook);
