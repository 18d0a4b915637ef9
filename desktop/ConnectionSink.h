#pragma once
#include <atomic>

#include "platform/rapi/ConnectionManager.h"

// Follows the connection manager's reports: connected while a device is
// active or answered. The manager may call from its own thread, so the flag
// is atomic; the reference count is changed atomically too.
class CConnectionSink final : public IDccManSink {
public:
    explicit CConnectionSink(IDccMan* manager);

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT OnLogIpAddr(DWORD address) override;
    HRESULT OnLogTerminated() override;
    HRESULT OnLogActive() override;
    HRESULT OnLogInactive() override;
    HRESULT OnLogAnswered() override;
    HRESULT OnLogListen() override;
    HRESULT OnLogDisconnection() override;
    HRESULT OnLogError() override;

    bool Connected() const { return m_connected.load(); }

private:
    ~CConnectionSink();

    std::atomic<ULONG> m_refs{0};
    IDccMan* m_manager;
    std::atomic<bool> m_connected{false};
};
