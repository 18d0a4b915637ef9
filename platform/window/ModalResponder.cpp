#include "platform/window/ModalResponder.h"

namespace {
ModalResponder* g_current = nullptr;
}

ModalResponder::ModalResponder() : m_previous(g_current) { g_current = this; }

ModalResponder::~ModalResponder() {
    // Normally the innermost one goes first; one destroyed out of order is
    // unlinked from the chain so that no pointer to it is left.
    if (g_current == this) {
        g_current = m_previous;
        return;
    }
    for (ModalResponder* r = g_current; r != nullptr; r = r->m_previous) {
        if (r->m_previous == this) {
            r->m_previous = m_previous;
            return;
        }
    }
}

ModalResponder* ModalResponder::Current() { return g_current; }
