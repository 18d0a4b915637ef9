#include "desktop/ConnectionSink.h"

CConnectionSink::CConnectionSink(IDccMan* manager) : m_manager(manager) {
    if (m_manager) m_manager->AddRef();
}

CConnectionSink::~CConnectionSink() {
    if (m_manager) m_manager->Release();
}

HRESULT CConnectionSink::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDccManSink) {
        *object = static_cast<IDccManSink*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CConnectionSink::AddRef() { return ++m_refs; }

ULONG CConnectionSink::Release() {
    ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

HRESULT CConnectionSink::OnLogIpAddr(DWORD) { return S_OK; }
HRESULT CConnectionSink::OnLogTerminated() { m_connected = false; return S_OK; }
HRESULT CConnectionSink::OnLogActive() { m_connected = true; return S_OK; }
HRESULT CConnectionSink::OnLogInactive() { m_connected = false; return S_OK; }
HRESULT CConnectionSink::OnLogAnswered() { m_connected = true; return S_OK; }
HRESULT CConnectionSink::OnLogListen() { return S_OK; }
HRESULT CConnectionSink::OnLogDisconnection() { m_connected = false; return S_OK; }
HRESULT CConnectionSink::OnLogError() { return S_OK; }
