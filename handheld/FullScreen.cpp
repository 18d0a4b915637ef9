#include "handheld/FullScreen.h"

namespace {
CFullScreenSwitch* g_switch = nullptr;
}

CFullScreenSwitch* GetFullScreenSwitch() {
    return g_switch;
}

void SetFullScreenSwitch(CFullScreenSwitch* fullScreen) {
    g_switch = fullScreen;
}

CFullScreenScope::CFullScreenScope(CFullScreenSwitch* fullScreen, bool state)
    : m_switch(fullScreen), m_state(state) {
    if (m_switch)
        m_changed = m_switch->SetFullScreen(m_state, false) == 1;
}

CFullScreenScope::CFullScreenScope(bool state) : CFullScreenScope(GetFullScreenSwitch(), state) {}

CFullScreenScope::~CFullScreenScope() {
    // A frame destroyed meanwhile has taken itself off as the switch.
    if (m_changed && !m_keep && m_switch && GetFullScreenSwitch() == m_switch)
        m_switch->SetFullScreen(!m_state, false);
}

void CFullScreenScope::Keep() {
    m_keep = true;
    if (m_switch)
        m_switch->SetFullScreen(m_state, false);
}
