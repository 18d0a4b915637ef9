#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <unordered_map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/window/DisplayBackend.h"
#include "platform/window/InputEvent.h"
#include "platform/window/Window.h"
#include "platform/window/WindowMessages.h"

constexpr int32_t SCREEN_WIDTH = 240;
constexpr int32_t SCREEN_HEIGHT = 320;
// A press held this long without moving is a tap-and-hold.
constexpr uint32_t HOLD_TIME_MS = 500;
// Two presses this close in time and space make a double tap.
constexpr uint32_t DOUBLE_TAP_TIME_MS = 500;
constexpr int32_t DOUBLE_TAP_DISTANCE = 4;
// Moving further than this while pressed is not holding still.
constexpr int32_t HOLD_SLOP = 5;

// The window system of one process: the screen bitmap composed from the
// top-level windows' backings, the windows (known by handle), the message
// queue, timers, activation, focus, capture and the stylus and key state.
// Constructing one makes it current (the free functions below act on the
// current one); destroying it puts the previous one back and destroys any
// window still alive. The backend, when given, supplies input and shows the
// screen; without one, waiting for input ends the loop as if quit.
class WindowManager {
public:
    explicit WindowManager(DisplayBackend* backend = nullptr);
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    static WindowManager* Current();

    Bitmap& Screen() { return *m_screen; }
    DisplayBackend* Backend() const { return m_backend; }
    bool IsWindow(HWND hwnd) const { return FromHandle(hwnd) != nullptr; }
    // The living window of a handle, or nullptr.
    Window* FromHandle(HWND hwnd) const;
    // Top-level windows bottom to top.
    const std::vector<Window*>& TopLevelWindows() const { return m_topLevel; }
    // The deepest visible, enabled window under a screen point, or nullptr.
    HWND WindowFromPoint(Point screen) const;

    // Messages.
    LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Sends the message to every top-level window, top first.
    void BroadcastMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void PostQuitMessage(int exitCode);
    // The first waiting message for `hwnd` (and its descendants; nullptr =
    // any window) with an id in [first, last] (both 0 = any). Posted and
    // input messages come first, then WM_PAINT, then WM_TIMER. Waiting input
    // is polled from the backend first.
    bool PeekMessage(MSG& msg, HWND hwnd, UINT first, UINT last, UINT removal);
    // Waits for a message; false when it is WM_QUIT (msg.wParam holds the
    // exit code) or the input has ended.
    bool GetMessage(MSG& msg);
    // Adds WM_CHAR after the key-downs of Enter, Escape, Backspace and Tab;
    // characters themselves arrive as WM_CHAR from the input.
    void TranslateMessage(const MSG& msg);
    LRESULT DispatchMessage(const MSG& msg);
    // Whether the message being handled now came through the queue (posted
    // or input) rather than being sent: a message whose parameter points to
    // the sender's memory is only valid when sent.
    bool InPostedMessage() const { return m_inPosted; }
    // Dispatches messages until none is waiting (no waiting for input).
    void PumpMessages();
    // Runs a nested loop until `done` says so: 0, or -1 when a quit (or the
    // end of input) ended it first; the quit is posted again for the outer
    // loop.
    int RunModalLoop(const std::function<bool()>& done);
    // Called each time the queue runs dry before waiting (command states).
    void SetIdleHandler(std::function<void()> handler) { m_idle = std::move(handler); }

    // Modal screens (menus, message boxes, dialogs) open and close around
    // their loops; see ModalScreen. Messages a window asked to hold stay
    // queued, in order, while any is open, and are taken once the last one
    // has closed: a screen must not have what it shows freed under it.
    void EnterModal() { ++m_modalDepth; }
    void LeaveModal() {
        if (m_modalDepth > 0)
            --m_modalDepth;
    }
    int ModalDepth() const { return m_modalDepth; }
    void HoldWhileModal(HWND hwnd, UINT message);

    // The wait cursor: nestable; the backend shows a busy cursor while the
    // depth is above 0. Long work under it asks InputCancel whether the user
    // wants something else.
    void BeginBusy();
    void EndBusy();
    int BusyDepth() const { return m_busyDepth; }

    // Outside events: `onReadable` runs inside the message loop (when
    // messages are looked for, and when the loop would wait) each time `fd`
    // can be read; it typically posts messages. Adding an fd again replaces
    // its handler.
    void AddEventSource(int fd, std::function<void()> onReadable);
    void RemoveEventSource(int fd);
    // The descriptors a backend waits on besides its own input.
    std::vector<int> EventDescriptors() const;
    // Runs the handlers of the sources readable within `timeoutMs`; returns
    // how many ran.
    size_t DispatchEventSources(int timeoutMs = 0);

    // The same name (compared without regard to case) always gives the same
    // id, from WM_REGISTERED_FIRST on; 0 for an empty name.
    static UINT RegisterWindowMessage(std::u16string_view name);

    // Timers: re-arming an id replaces it. Returns the id, or 0 when hwnd is
    // not a window.
    uintptr_t SetTimer(HWND hwnd, uintptr_t id, uint32_t elapseMs);
    bool KillTimer(HWND hwnd, uintptr_t id);
    bool HasTimer(HWND hwnd, uintptr_t id) const;

    // Activation, focus and capture; each returns the previous holder.
    // Activating a child activates its top-level window.
    HWND SetActiveWindow(HWND hwnd);
    HWND GetActiveWindow() const { return m_active; }
    // Activates the window's top-level window first when it is not active.
    HWND SetFocus(HWND hwnd);
    HWND GetFocus() const { return m_focus; }
    HWND SetCapture(HWND hwnd);
    bool ReleaseCapture();
    HWND GetCapture() const { return m_capture; }
    // The next release of `key` makes no message: the press that ended a
    // modal screen must not have its release acted on by the window below.
    void DropNextKeyUp(UINT key) { m_input.keyUpToDrop = key; }
    // Bit 0x8000 set while the key is down (Shift and Ctrl are tracked).
    int16_t GetKeyState(UINT key) const;

    // Painting. `rect` in client coordinates, nullptr = the whole client.
    void InvalidateRect(HWND hwnd, const Rect* rect, bool erase);
    void ValidateRect(HWND hwnd, const Rect* rect);
    // Paints the window now if it has anything to paint.
    void UpdateWindow(HWND hwnd);
    // A context over the window's backing for its invalid part, which
    // becomes valid; WM_ERASEBKGND is sent first when an erase is pending.
    DeviceContext* BeginPaint(HWND hwnd, PAINTSTRUCT& ps);
    void EndPaint(HWND hwnd, const PAINTSTRUCT& ps);
    // A context over the window outside any paint, drawing into its
    // top-level window's backing (shown when released). Read back as a copy
    // source it gives what the window painted, never a window above it.
    std::unique_ptr<DeviceContext> GetDC(HWND hwnd);
    void ReleaseDC(HWND hwnd, std::unique_ptr<DeviceContext> dc);
    // Bounding box of the update region in client coordinates (empty = none).
    Rect GetUpdateRect(HWND hwnd) const;

    // Input from the backend (or a test): becomes a message to the capturing
    // window, the hit window or the focused one.
    void InjectInput(const InputEvent& event);
    // The tap-and-hold recogniser: called on a stylus down at `clientPoint`
    // of hwnd, waits until the press is released or moved (0) or has been
    // held still for HOLD_TIME_MS (GN_CONTEXTMENU). The release stays queued.
    int RecognizeHold(HWND hwnd, Point clientPoint);

private:
    friend class Window;
    struct Timer {
        HWND hwnd;
        uintptr_t id;
        uint32_t interval;
        uint32_t due;
        uint64_t order;
        bool firedAtTick;
        uint32_t firedTick;
    };

    void Attach(Window& window, Window* parent);
    void Detach(Window& window);
    void Purge(HWND hwnd);
    bool Matches(const MSG& msg, const Window* filter, UINT first, UINT last) const;
    bool NextPaint(const Window* filter, Window*& found) const;
    Timer* NextDueTimer(const Window* filter);
    uint32_t TimeToNextTimer() const;
    bool WaitForInput(uint32_t timeoutMs);
    Region VisibleRegion(const Window& window, bool clipChildren) const;
    static Window* TopLevelOf(const Window& window);
    // Where the window's client origin lies in its top-level window's backing.
    Point BackingOrigin(const Window& window) const;
    Bitmap* BackingOf(const Window& window);
    // Rebuilds part of the screen from the backings and shows it.
    void Compose(const Rect& screenRect);
    // `window` no longer covers `screenRect` as it did: a top-level window
    // uncovers the ones below, a child its parent and siblings.
    void Expose(const Window& window, const Rect& screenRect);
    void InvalidateTree(Window& window, const Region& clientRegion, bool erase);
    void FocusLost(Window& window);
    void ActivateFormer(const Window& leaving);
    void Present(const Rect& screenRect);
    Window* KeyTarget() const;
    MSG MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) const;

    WindowManager* m_previous;
    DisplayBackend* m_backend;
    std::unique_ptr<Bitmap> m_screen;
    std::vector<Window*> m_topLevel;
    std::vector<Window*> m_all;
    std::unordered_map<uintptr_t, Window*> m_handles;
    std::deque<MSG> m_queue;
    bool m_quitPending = false;
    bool m_inPosted = false;
    int m_exitCode = 0;
    std::vector<Timer> m_timers;
    uint64_t m_timerOrder = 0;
    Window* m_active = nullptr;
    std::vector<Window*> m_activeHistory;  // least recent first
    Window* m_focus = nullptr;
    Window* m_capture = nullptr;
    // What input has done so far: the keys held, the stylus, the last tap.
    struct InputState {
        bool shift = false;
        bool control = false;
        bool stylusDown = false;
        Point stylus;
        Window* lastTapWindow = nullptr;
        Point lastTapPoint;
        uint32_t lastTapTime = 0;
        bool lastTapValid = false;
        UINT keyUpToDrop = 0;
    };
    struct PendingInput {
        InputEvent event;
        uint32_t time;
    };
    // The message an input event makes given the state before it (false
    // when it makes none); `state` becomes the state after it.
    bool MessageFromInput(const PendingInput& input, InputState& state, MSG& msg) const;
    bool TakeInput(MSG& msg, const Window* filter, UINT first, UINT last, bool remove);

    InputState m_input;
    std::deque<PendingInput> m_pendingInput;
    std::function<void()> m_idle;
    std::vector<std::pair<int, std::function<void()>>> m_sources;
    bool m_inSources = false;
    int m_modalDepth = 0;
    std::vector<std::pair<HWND, UINT>> m_heldWhileModal;
    int m_busyDepth = 0;  // a handler that peeks does not re-enter
    std::vector<std::pair<HWND, std::unique_ptr<DeviceContext>>> m_paintContexts;
};

// The same services on the current window manager.
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// HWND_BROADCAST as a target of SendMessage reaches every top-level window.
// No window is ever given this handle.
inline constexpr HWND HWND_BROADCAST = HWND::FromValue(0xFFFF);
bool PeekMessage(MSG& msg, HWND hwnd, UINT first, UINT last, UINT removal);
bool GetMessage(MSG& msg);
void TranslateMessage(const MSG& msg);
LRESULT DispatchMessage(const MSG& msg);
UINT RegisterWindowMessage(std::u16string_view name);
uintptr_t SetTimer(HWND hwnd, uintptr_t id, uint32_t elapseMs);
bool KillTimer(HWND hwnd, uintptr_t id);
HWND SetFocus(HWND hwnd);
HWND GetFocus();
// The living window of a handle in the current manager, or nullptr.
Window* WindowFromHandle(HWND hwnd);
// Client and screen points of a window (the point unchanged when the
// handle is refused).
Point ClientToScreen(HWND hwnd, Point client);
Point ScreenToClient(HWND hwnd, Point screen);
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
HWND SetCapture(HWND hwnd);
bool ReleaseCapture();
HWND GetCapture();
int16_t GetKeyState(UINT key);
void InvalidateRect(HWND hwnd, const Rect* rect, bool erase);
void UpdateWindow(HWND hwnd);
DeviceContext* BeginPaint(HWND hwnd, PAINTSTRUCT& ps);
void EndPaint(HWND hwnd, const PAINTSTRUCT& ps);
int RecognizeHold(HWND hwnd, Point clientPoint);

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
// Screen width and height, and the width of a vertical scroll bar (13).
int GetSystemMetrics(int index);
uint32_t GetDoubleClickTime();
