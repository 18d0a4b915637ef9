#pragma once
#include <functional>

#include "platform/window/WindowMessages.h"

class WindowManager;

// The nested loop of popup menus and message boxes. They hold the keyboard
// and the stylus without taking the focus or the windows below out of play:
// every stylus and key message goes to `input`, whatever window it was
// addressed to (msg.pt is the stylus point on the screen), and everything
// else is dispatched as usual, so the windows below keep painting and their
// timers keep firing. Returns 0 when `done` said so, -1 when a quit (or the
// end of input) came first; the quit is posted again for the outer loop.
int RunModalInput(const std::function<void(const MSG&)>& input, const std::function<bool()>& done);

// A modal screen open for the life of the object: the messages windows
// asked the manager to hold while one is open wait until the last closes.
class ModalScreen {
public:
    ModalScreen();
    ~ModalScreen();
    ModalScreen(const ModalScreen&) = delete;
    ModalScreen& operator=(const ModalScreen&) = delete;

private:
    WindowManager* m_manager;
};

bool IsStylusMessage(UINT message);
bool IsKeyMessage(UINT message);

// When modal UI ends on a press (a tap outside a menu, Enter or Escape), the
// matching release still belongs to it: handed to the window below, it would
// act there as if pressed (open an image, leave the picture).
class ReleaseSwallower {
public:
    void ExpectStylusUp() { m_stylus = true; }
    void ExpectKeyUp(UINT key) { m_key = key; }
    bool Pending() const { return m_stylus || m_key != 0; }
    // True when `msg` was the awaited release.
    bool Take(const MSG& msg);

private:
    bool m_stylus = false;
    UINT m_key = 0;
};
