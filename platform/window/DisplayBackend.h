#pragma once
#include <cstdint>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Geometry.h"

class WindowManager;

constexpr uint32_t WAIT_FOREVER = 0xFFFFFFFFu;

// What a window manager needs from the outside world: input and a place to
// show the screen. The SDL2 window and the headless driver both implement it,
// so both run the same message loop.
class DisplayBackend {
public:
    virtual ~DisplayBackend() = default;
    // Hands waiting input to manager.InjectInput().
    virtual void Poll(WindowManager& manager) = 0;
    // Called when nothing is queued: blocks until input may be waiting, one
    // of manager.EventDescriptors() can be read, or `timeoutMs` has passed
    // (on the backend's clock). False when nothing will ever come again (the
    // script ended with no outside event waiting, the window was closed).
    virtual bool Wait(WindowManager& manager, uint32_t timeoutMs) = 0;
    // The screen changed inside `dirty` (screen coordinates).
    virtual void Present(const Bitmap& screen, const Rect& dirty) = 0;
    // The wait cursor is shown (true) or removed.
    virtual void SetBusy(bool busy) { (void)busy; }
    // The program's window comes in front of the desktop's other windows.
    virtual void Raise() {}
};
