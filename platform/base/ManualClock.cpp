#include "platform/base/ManualClock.h"

#include "platform/base/Time.h"

ManualClock::ManualClock(uint32_t start) : m_now(start) {
    SetTickCountSource([this] { return m_now; });
}

ManualClock::~ManualClock() { SetTickCountSource({}); }
