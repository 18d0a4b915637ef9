#pragma once
#include <cstdint>

// A tick count that moves only when told to. While one exists it is the
// source of GetTickCount(), so timers, tap-and-hold and double taps run
// without sleeping; the real clock is back when it is destroyed.
class ManualClock {
public:
    explicit ManualClock(uint32_t start = 1000);
    ~ManualClock();
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    uint32_t Now() const { return m_now; }
    void Advance(uint32_t ms) { m_now += ms; }

private:
    uint32_t m_now;
};
