#pragma once
#include <cstdint>

#include "platform/window/WindowMessages.h"

// A photo opens on the release of a tap. When that tap is the first half
// of a double tap, the second half would land on the photo just opened and
// leave it again. After an open by a tap the owner (the browser view)
// takes the stylus for the double-tap time: a press close to the opening
// tap is dropped together with its release; any other press is handed to
// the window under it, and the guard ends.
class DoubleTapGuard {
public:
    static constexpr uintptr_t TIMER_ID = 1010;

    void Arm(HWND owner, Point screen);
    // To be called first in the owner's WindowProc: true when the message
    // was the guard's (and must not be handled further).
    bool Filter(HWND owner, UINT message, WPARAM wParam, LPARAM lParam);
    bool IsArmed() const { return m_armed; }

private:
    void Disarm(HWND owner);
    bool Forward(HWND owner, UINT message, WPARAM wParam, LPARAM lParam);

    bool m_armed = false;
    bool m_dropRelease = false;
    Point m_at;
};
