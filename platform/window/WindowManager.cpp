#include "platform/window/WindowManager.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <utility>

#include <poll.h>
#include <string>

#include "platform/base/Text.h"
#include "platform/base/Time.h"

namespace {

WindowManager* g_current = nullptr;

// Handles are never given twice in a process. They start above every
// special value (HWND_BROADCAST is 0xFFFF).
uintptr_t NextHandle() {
    static std::atomic<uintptr_t> next{0x10000};
    return next.fetch_add(4);
}

// Signed distance from `from` to `to` on the wrapping 32-bit tick count.
int32_t TicksUntil(uint32_t from, uint32_t to) { return int32_t(to - from); }

WPARAM StylusKeyFlags(bool down, bool shift, bool control) {
    return (down ? MK_LBUTTON : 0) | (shift ? MK_SHIFT : 0) | (control ? MK_CONTROL : 0);
}

}  // namespace

WindowManager::WindowManager(DisplayBackend* backend)
    : m_previous(g_current), m_backend(backend),
      m_screen(Bitmap::Create(SCREEN_WIDTH, SCREEN_HEIGHT, 32)) {
    g_current = this;
}

WindowManager::~WindowManager() {
    // Top-level windows take their children with them.
    while (!m_topLevel.empty())
        m_topLevel.back()->Destroy();
    while (!m_all.empty())
        m_all.back()->Destroy();
    if (g_current == this)
        g_current = m_previous;
}

WindowManager* WindowManager::Current() { return g_current; }

Window* WindowManager::FromHandle(HWND hwnd) const {
    if (!hwnd)
        return nullptr;
    const auto it = m_handles.find(hwnd.Value());
    return it == m_handles.end() ? nullptr : it->second;
}

void WindowManager::Attach(Window& window, Window* parent) {
    window.m_manager = this;
    window.m_handle = NextHandle();
    m_handles[window.m_handle] = &window;
    window.m_parent = parent;
    if (parent)
        parent->m_children.push_back(&window);
    else
        m_topLevel.push_back(&window);
    m_all.push_back(&window);
}

void WindowManager::Detach(Window& window) {
    const bool wasShown = window.IsWindowVisible();
    const Rect area = window.GetWindowRect();
    FocusLost(window);
    if (m_focus == &window)
        m_focus = nullptr;
    if (m_capture == &window)
        m_capture = nullptr;
    if (m_active == &window)
        m_active = nullptr;
    std::erase(m_activeHistory, &window);
    Purge(window.GetHwnd());
    m_handles.erase(window.m_handle);
    std::vector<Window*>& siblings = window.m_parent ? window.m_parent->m_children : m_topLevel;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), &window), siblings.end());
    m_all.erase(std::remove(m_all.begin(), m_all.end(), &window), m_all.end());
    if (m_input.lastTapWindow == &window)
        m_input.lastTapValid = false;
    window.m_manager = nullptr;
    window.m_update = Region();
    window.m_backing.reset();
    if (wasShown)
        Expose(window, area);
}

void WindowManager::Purge(HWND hwnd) {
    std::erase_if(m_queue, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
    std::erase_if(m_timers, [hwnd](const Timer& t) { return t.hwnd == hwnd; });
    std::erase_if(m_heldWhileModal, [hwnd](const auto& held) { return held.first == hwnd; });
    for (auto& [window, dc] : m_paintContexts)
        if (window == hwnd)
            window = nullptr;
}

HWND WindowManager::WindowFromPoint(Point screen) const {
    const std::vector<Window*>* level = &m_topLevel;
    Window* found = nullptr;
    Point p = screen;
    for (;;) {
        Window* hit = nullptr;
        for (auto it = level->rbegin(); it != level->rend(); ++it) {
            const Window& w = **it;
            if (w.IsVisibleFlag() && w.IsWindowEnabled() && w.m_rect.Contains(p.x, p.y)) {
                hit = *it;
                break;
            }
        }
        if (!hit)
            return found;
        found = hit;
        p = {p.x - hit->m_rect.left, p.y - hit->m_rect.top};
        level = &hit->m_children;
    }
}

// ---- messages --------------------------------------------------------------

MSG WindowManager::MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) const {
    MSG msg;
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    msg.pt = m_input.stylus;
    return msg;
}

LRESULT WindowManager::SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd == HWND_BROADCAST) {
        BroadcastMessage(message, wParam, lParam);
        return 1;
    }
    Window* window = FromHandle(hwnd);
    if (!window)
        return 0;
    const bool outer = std::exchange(m_inPosted, false);
    const LRESULT result = window->WindowProc(message, wParam, lParam);
    m_inPosted = outer;
    return result;
}

void WindowManager::BroadcastMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // A window may go away while handling it; work on a copy.
    std::vector<HWND> windows;
    for (Window* w : m_topLevel)
        windows.push_back(w->GetHwnd());
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        SendMessage(*it, message, wParam, lParam);
}

bool WindowManager::PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd && !IsWindow(hwnd))
        return false;
    m_queue.push_back(MakeMessage(hwnd, message, wParam, lParam));
    return true;
}

void WindowManager::PostQuitMessage(int exitCode) {
    m_quitPending = true;
    m_exitCode = exitCode;
}

void WindowManager::HoldWhileModal(HWND hwnd, UINT message) {
    if (IsWindow(hwnd) && std::find(m_heldWhileModal.begin(), m_heldWhileModal.end(),
                                    std::make_pair(hwnd, message)) == m_heldWhileModal.end())
        m_heldWhileModal.emplace_back(hwnd, message);
}

bool WindowManager::Matches(const MSG& msg, const Window* filter, UINT first, UINT last) const {
    if (m_modalDepth > 0 && std::find(m_heldWhileModal.begin(), m_heldWhileModal.end(),
                                      std::make_pair(msg.hwnd, msg.message)) != m_heldWhileModal.end())
        return false;
    if (filter && msg.hwnd != filter && !filter->IsAncestorOf(FromHandle(msg.hwnd)))
        return false;
    if (first == 0 && last == 0)
        return true;
    return msg.message >= first && msg.message <= last;
}

bool WindowManager::NextPaint(const Window* filter, Window*& found) const {
    // Parents before children, lower windows before higher ones.
    std::vector<Window*> stack(m_topLevel.rbegin(), m_topLevel.rend());
    while (!stack.empty()) {
        Window* w = stack.back();
        stack.pop_back();
        if (!w->IsVisibleFlag())
            continue;
        if (!w->m_update.IsEmpty() && (!filter || w == filter || filter->IsAncestorOf(w))) {
            found = w;
            return true;
        }
        for (auto it = w->m_children.rbegin(); it != w->m_children.rend(); ++it)
            stack.push_back(*it);
    }
    return false;
}

WindowManager::Timer* WindowManager::NextDueTimer(const Window* filter) {
    const uint32_t now = GetTickCount();
    Timer* best = nullptr;
    for (Timer& t : m_timers) {
        if (filter && t.hwnd != filter && !filter->IsAncestorOf(FromHandle(t.hwnd)))
            continue;
        if (TicksUntil(t.due, now) < 0 || (t.firedAtTick && t.firedTick == now))
            continue;
        if (!best || TicksUntil(t.due, best->due) > 0 ||
            (t.due == best->due && t.order < best->order))
            best = &t;
    }
    return best;
}

uint32_t WindowManager::TimeToNextTimer() const {
    const uint32_t now = GetTickCount();
    uint32_t best = WAIT_FOREVER;
    for (const Timer& t : m_timers) {
        const int32_t left = TicksUntil(now, t.due);
        uint32_t wait = left > 0 ? uint32_t(left) : 0;
        if (t.firedAtTick && t.firedTick == now && wait == 0)
            wait = 1;
        best = std::min(best, wait);
    }
    return best;
}

bool WindowManager::PeekMessage(MSG& msg, HWND hwnd, UINT first, UINT last, UINT removal) {
    const Window* filter = FromHandle(hwnd);
    if (hwnd && !filter)
        return false;
    if (m_backend)
        m_backend->Poll(*this);
    DispatchEventSources(0);
    const bool remove = (removal & PM_REMOVE) != 0;
    for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
        if (!Matches(*it, filter, first, last))
            continue;
        msg = *it;
        if (remove)
            m_queue.erase(it);
        return true;
    }
    if (TakeInput(msg, filter, first, last, remove))
        return true;
    const bool anyRange = first == 0 && last == 0;
    if (anyRange || (WM_PAINT >= first && WM_PAINT <= last)) {
        Window* target = nullptr;
        if (NextPaint(filter, target)) {
            msg = MakeMessage(target, WM_PAINT, 0, 0);
            return true;  // stays until the window is validated
        }
    }
    if (anyRange || (WM_TIMER >= first && WM_TIMER <= last)) {
        if (Timer* t = NextDueTimer(filter)) {
            msg = MakeMessage(t->hwnd, WM_TIMER, t->id, 0);
            if (remove) {
                const uint32_t now = GetTickCount();
                t->due = now + t->interval;
                t->firedAtTick = true;
                t->firedTick = now;
            }
            return true;
        }
    }
    if (m_quitPending && (anyRange || (WM_QUIT >= first && WM_QUIT <= last)) && !hwnd) {
        msg = MakeMessage(nullptr, WM_QUIT, WPARAM(m_exitCode), 0);
        if (remove)
            m_quitPending = false;
        return true;
    }
    return false;
}

bool WindowManager::WaitForInput(uint32_t timeoutMs) {
    if (DispatchEventSources(0) > 0)
        return true;
    return m_backend && m_backend->Wait(*this, timeoutMs);
}

void WindowManager::BeginBusy() {
    if (++m_busyDepth == 1 && m_backend)
        m_backend->SetBusy(true);
}

void WindowManager::EndBusy() {
    if (m_busyDepth > 0 && --m_busyDepth == 0 && m_backend)
        m_backend->SetBusy(false);
}

// ---- outside events ----------------------------------------------------------

void WindowManager::AddEventSource(int fd, std::function<void()> onReadable) {
    RemoveEventSource(fd);
    if (fd >= 0 && onReadable)
        m_sources.emplace_back(fd, std::move(onReadable));
}

void WindowManager::RemoveEventSource(int fd) {
    std::erase_if(m_sources, [fd](const auto& source) { return source.first == fd; });
}

std::vector<int> WindowManager::EventDescriptors() const {
    std::vector<int> fds;
    for (const auto& source : m_sources)
        fds.push_back(source.first);
    return fds;
}

size_t WindowManager::DispatchEventSources(int timeoutMs) {
    if (m_sources.empty() || m_inSources)
        return 0;
    std::vector<pollfd> polled;
    for (const auto& source : m_sources)
        polled.push_back({source.first, POLLIN, 0});
    if (::poll(polled.data(), polled.size(), timeoutMs) <= 0)
        return 0;
    size_t ran = 0;
    for (const pollfd& p : polled) {
        if (!(p.revents & (POLLIN | POLLHUP | POLLERR)))
            continue;
        // A handler may remove sources, its own included: look it up again.
        auto it = std::find_if(m_sources.begin(), m_sources.end(),
                               [&](const auto& source) { return source.first == p.fd; });
        if (it == m_sources.end())
            continue;
        const std::function<void()> handler = it->second;
        m_inSources = true;
        handler();
        m_inSources = false;
        ++ran;
    }
    return ran;
}

bool WindowManager::GetMessage(MSG& msg) {
    for (;;) {
        if (PeekMessage(msg, nullptr, 0, 0, PM_REMOVE))
            return msg.message != WM_QUIT;
        if (m_idle) {
            m_idle();
            if (PeekMessage(msg, nullptr, 0, 0, PM_REMOVE))
                return msg.message != WM_QUIT;
        }
        if (!WaitForInput(TimeToNextTimer())) {
            // Nothing will ever come: end the loop as a quit would.
            msg = MakeMessage(nullptr, WM_QUIT, WPARAM(m_exitCode), 0);
            return false;
        }
    }
}

void WindowManager::TranslateMessage(const MSG& msg) {
    if (msg.message != WM_KEYDOWN)
        return;
    char16_t ch = 0;
    switch (msg.wParam) {
    case VK_RETURN: ch = u'\r'; break;
    case VK_ESCAPE: ch = 0x1B; break;
    case VK_BACK: ch = 0x08; break;
    case VK_TAB: ch = u'\t'; break;
    default: return;
    }
    // The character comes next, before anything queued after the key.
    m_queue.push_front(MakeMessage(msg.hwnd, WM_CHAR, ch, msg.lParam));
}

LRESULT WindowManager::DispatchMessage(const MSG& msg) {
    Window* target = FromHandle(msg.hwnd);
    if (!target)
        return 0;
    const bool outer = std::exchange(m_inPosted, true);
    const LRESULT result = target->WindowProc(msg.message, msg.wParam, msg.lParam);
    m_inPosted = outer;
    // A window that paints nothing must not be asked again and again.
    const Window* window = FromHandle(msg.hwnd);
    if (msg.message == WM_PAINT && window && !window->m_update.IsEmpty())
        ValidateRect(msg.hwnd, nullptr);
    return result;
}

void WindowManager::PumpMessages() {
    MSG msg;
    while (PeekMessage(msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message != WM_QUIT) {
        PeekMessage(msg, nullptr, 0, 0, PM_REMOVE);
        TranslateMessage(msg);
        DispatchMessage(msg);
    }
}

int WindowManager::RunModalLoop(const std::function<bool()>& done) {
    MSG msg;
    while (!done()) {
        if (!GetMessage(msg)) {
            PostQuitMessage(int(msg.wParam));
            return -1;
        }
        TranslateMessage(msg);
        DispatchMessage(msg);
    }
    return 0;
}

UINT WindowManager::RegisterWindowMessage(std::u16string_view name) {
    static std::mutex lock;
    static std::vector<std::u16string> names;
    if (name.empty())
        return 0;
    std::lock_guard<std::mutex> guard(lock);
    for (size_t i = 0; i < names.size(); ++i)
        if (EqualsNoCase(names[i], name))
            return WM_REGISTERED_FIRST + UINT(i);
    if (names.size() >= 0x4000)
        return 0;
    names.emplace_back(name);
    return WM_REGISTERED_FIRST + UINT(names.size() - 1);
}

// ---- timers ----------------------------------------------------------------

uintptr_t WindowManager::SetTimer(HWND hwnd, uintptr_t id, uint32_t elapseMs) {
    if (!IsWindow(hwnd))
        return 0;
    KillTimer(hwnd, id);
    m_timers.push_back({hwnd, id, elapseMs, GetTickCount() + elapseMs, m_timerOrder++, false, 0});
    return id;
}

bool WindowManager::KillTimer(HWND hwnd, uintptr_t id) {
    const size_t before = m_timers.size();
    std::erase_if(m_timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    // A WM_TIMER of a killed timer is never delivered: timers are not queued.
    return m_timers.size() != before;
}

bool WindowManager::HasTimer(HWND hwnd, uintptr_t id) const {
    return std::any_of(m_timers.begin(), m_timers.end(),
                       [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
}

// ---- activation, focus and capture -----------------------------------------
//
// One top-level window is active: the one the user works in. The focus is
// always inside it (or nowhere); giving the focus to a window of another
// top-level window activates that one first. Activating sends WM_ACTIVATE,
// whose default handling gives the window the focus unless it already
// holds it; a frame passes it on to its view. When the active window is
// hidden or destroyed, the one active before it (if still shown) takes over.

HWND WindowManager::SetActiveWindow(HWND hwnd) {
    Window* window = FromHandle(hwnd);
    if (hwnd && !window)
        return nullptr;
    Window* top = window ? TopLevelOf(*window) : nullptr;
    Window* previous = m_active;
    if (top == previous)
        return previous;
    m_active = top;
    if (top) {
        std::erase(m_activeHistory, top);
        m_activeHistory.push_back(top);
    }
    if (previous)
        SendMessage(previous, WM_ACTIVATE, WA_INACTIVE, LPARAM(HWND(top)));
    if (top && m_active == top)
        SendMessage(top, WM_ACTIVATE, WA_ACTIVE, LPARAM(HWND(previous)));
    return previous;
}

void WindowManager::ActivateFormer(const Window& leaving) {
    if (m_active != &leaving)
        return;
    std::erase(m_activeHistory, &leaving);
    for (auto it = m_activeHistory.rbegin(); it != m_activeHistory.rend(); ++it) {
        if ((*it)->IsVisibleFlag() && !(*it)->m_destroying) {
            SetActiveWindow(*it);
            return;
        }
    }
    SetActiveWindow(nullptr);
}

HWND WindowManager::SetFocus(HWND hwnd) {
    Window* window = FromHandle(hwnd);
    if (hwnd && !window)
        return nullptr;
    const HWND before = m_focus;
    if (window && TopLevelOf(*window) != m_active) {
        SetActiveWindow(hwnd);
        if (!IsWindow(hwnd))
            return before;
    }
    HWND previous = m_focus;
    if (m_focus == window)
        return before;
    m_focus = window;
    if (previous)
        SendMessage(previous, WM_KILLFOCUS, WPARAM(hwnd), 0);
    // The kill-focus handler may have moved the focus elsewhere already.
    if (window && m_focus == window)
        SendMessage(hwnd, WM_SETFOCUS, WPARAM(previous), 0);
    return before;
}

void WindowManager::FocusLost(Window& window) {
    if (m_focus && (m_focus == &window || window.IsAncestorOf(m_focus))) {
        Window* parent = window.m_parent;
        SetFocus(parent && !parent->m_destroying ? parent : nullptr);
    }
    if (m_capture && (m_capture == &window || window.IsAncestorOf(m_capture)))
        ReleaseCapture();
    if (!window.m_parent)
        ActivateFormer(window);
}

HWND WindowManager::SetCapture(HWND hwnd) {
    Window* window = FromHandle(hwnd);
    if (hwnd && !window)
        return nullptr;
    HWND previous = m_capture;
    m_capture = window;
    if (previous && previous != hwnd)
        SendMessage(previous, WM_CAPTURECHANGED, 0, LPARAM(hwnd));
    return previous;
}

bool WindowManager::ReleaseCapture() {
    if (m_capture)
        SetCapture(nullptr);
    return true;
}

int16_t WindowManager::GetKeyState(UINT key) const {
    const bool down =
        (key == VK_SHIFT && m_input.shift) || (key == VK_CONTROL && m_input.control);
    return down ? int16_t(0x8000) : int16_t(0);
}

// ---- painting --------------------------------------------------------------
//
// Each top-level window draws into a backing of its own size; the screen is
// composed from the backings, higher windows over lower ones. A window is
// therefore never clipped by another top-level window, and reading a window
// back (a snapshot of what it painted) never picks up a menu, a message box
// or the input panel above it. Uncovering part of a top-level window only
// composes the screen again; children still clip and repaint their parent.

namespace {

// Copies `area` (screen coordinates, inside `from`'s rectangle) from a
// backing placed at `from`'s origin onto the screen.
void CopyFromBacking(Bitmap& screen, const Bitmap& backing, Point origin, const Rect& area) {
    const size_t bytes = size_t(area.Width()) * 4;
    for (int32_t y = area.top; y < area.bottom; ++y) {
        const uint8_t* source =
            backing.Data() + size_t(y - origin.y) * backing.Stride() + size_t(area.left - origin.x) * 4;
        uint8_t* target = screen.Data() + size_t(y) * screen.Stride() + size_t(area.left) * 4;
        std::copy_n(source, bytes, target);
    }
}

}  // namespace

Window* WindowManager::TopLevelOf(const Window& window) {
    const Window* w = &window;
    while (w->m_parent)
        w = w->m_parent;
    return const_cast<Window*>(w);
}

Point WindowManager::BackingOrigin(const Window& window) const {
    const Point screen = window.ClientToScreen({0, 0});
    const Rect& top = TopLevelOf(window)->m_rect;
    return {screen.x - top.left, screen.y - top.top};
}

Bitmap* WindowManager::BackingOf(const Window& window) {
    Window* top = TopLevelOf(window);
    const int32_t width = std::max<int32_t>(top->m_rect.Width(), 1);
    const int32_t height = std::max<int32_t>(top->m_rect.Height(), 1);
    if (!top->m_backing || top->m_backing->Width() != width || top->m_backing->Height() != height)
        top->m_backing = Bitmap::Create(width, height, 32);
    return top->m_backing.get();
}

void WindowManager::Compose(const Rect& screenRect) {
    Region left(screenRect.Intersect({0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}));
    if (left.IsEmpty())
        return;
    const Rect dirty = left.Bounds();
    for (auto it = m_topLevel.rbegin(); it != m_topLevel.rend() && !left.IsEmpty(); ++it) {
        Window& top = **it;
        if (!top.IsVisibleFlag())
            continue;
        Region part = left;
        part.Intersect(top.m_rect);
        if (part.IsEmpty())
            continue;
        const Bitmap* backing = BackingOf(top);
        const Point origin{top.m_rect.left, top.m_rect.top};
        for (const Rect& r : part.Rects())
            CopyFromBacking(*m_screen, *backing, origin, r);
        left.Subtract(top.m_rect);
    }
    // What no window covers shows the black of the empty screen.
    if (!left.IsEmpty()) {
        DeviceContext dc(*m_screen, {0, 0}, left);
        dc.FillSolidRect({0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, RGB(0, 0, 0));
    }
    Present(dirty);
}

void WindowManager::Expose(const Window& window, const Rect& screenRect) {
    Window* top = TopLevelOf(window);
    if (top == &window) {
        Compose(screenRect);
        return;
    }
    Region part(screenRect);
    part.Offset(-top->m_rect.left, -top->m_rect.top);
    part.Intersect(top->GetClientRect());
    InvalidateTree(*top, part, true);
}

void WindowManager::InvalidateTree(Window& window, const Region& clientRegion, bool erase) {
    if (clientRegion.IsEmpty() || !window.IsVisibleFlag())
        return;
    for (const Rect& r : clientRegion.Rects())
        window.m_update.Union(r);
    window.m_erasePending = window.m_erasePending || erase;
    for (Window* child : window.m_children) {
        Region part = clientRegion;
        part.Intersect(child->m_rect);
        part.Offset(-child->m_rect.left, -child->m_rect.top);
        InvalidateTree(*child, part, erase);
    }
}

void WindowManager::InvalidateRect(HWND hwnd, const Rect* rect, bool erase) {
    Window* window = FromHandle(hwnd);
    if (!window || !window->IsWindowVisible())
        return;
    Region region(window->GetClientRect());
    if (rect)
        region.Intersect(*rect);
    InvalidateTree(*window, region, erase);
}

void WindowManager::ValidateRect(HWND hwnd, const Rect* rect) {
    Window* window = FromHandle(hwnd);
    if (!window)
        return;
    if (rect)
        window->m_update.Subtract(*rect);
    else
        window->m_update = Region();
    if (window->m_update.IsEmpty())
        window->m_erasePending = false;
}

Rect WindowManager::GetUpdateRect(HWND hwnd) const {
    const Window* window = FromHandle(hwnd);
    return window ? window->m_update.Bounds() : Rect{};
}

// In the coordinates of the window's backing: ancestors clip, and so do the
// siblings above each window on the way up to the top-level window.
Region WindowManager::VisibleRegion(const Window& window, bool clipChildren) const {
    const Point origin = BackingOrigin(window);
    const Point shift{origin.x - window.ClientToScreen({0, 0}).x,
                      origin.y - window.ClientToScreen({0, 0}).y};
    auto local = [&](const Window& w) { return w.GetWindowRect().Offset(shift.x, shift.y); };
    Region visible(local(window));
    for (const Window* w = &window; w->m_parent; w = w->m_parent) {
        visible.Intersect(local(*w->m_parent));
        const std::vector<Window*>& siblings = w->m_parent->m_children;
        auto it = std::find(siblings.begin(), siblings.end(), w);
        for (++it; it < siblings.end(); ++it)
            if ((*it)->IsVisibleFlag())
                visible.Subtract(local(**it));
    }
    if (clipChildren)
        for (const Window* child : window.m_children)
            if (child->IsVisibleFlag())
                visible.Subtract(local(*child));
    return visible;
}

DeviceContext* WindowManager::BeginPaint(HWND hwnd, PAINTSTRUCT& ps) {
    ps = PAINTSTRUCT();
    Window* window = FromHandle(hwnd);
    if (!window)
        return nullptr;
    const Point origin = BackingOrigin(*window);
    Region area = window->m_update;
    area.Offset(origin.x, origin.y);
    area.Intersect(VisibleRegion(*window, true));
    ps.rcPaint = window->m_update.Bounds();
    const bool erase = window->m_erasePending;
    window->m_update = Region();
    window->m_erasePending = false;
    auto dc = std::make_unique<DeviceContext>(*BackingOf(*window), origin, area);
    DeviceContext* raw = dc.get();
    m_paintContexts.emplace_back(hwnd, std::move(dc));
    if (erase)
        ps.fErase = SendMessage(hwnd, WM_ERASEBKGND, WPARAM(raw), 0) == 0;
    ps.hdc = raw;
    return raw;
}

void WindowManager::EndPaint(HWND hwnd, const PAINTSTRUCT& ps) {
    for (auto it = m_paintContexts.begin(); it != m_paintContexts.end(); ++it) {
        if (it->second.get() != ps.hdc)
            continue;
        m_paintContexts.erase(it);
        break;
    }
    const Window* window = FromHandle(hwnd);
    if (window && !ps.rcPaint.IsEmpty()) {
        const Point origin = window->ClientToScreen({0, 0});
        Compose(ps.rcPaint.Offset(origin.x, origin.y));
    }
}

std::unique_ptr<DeviceContext> WindowManager::GetDC(HWND hwnd) {
    Window* window = FromHandle(hwnd);
    if (!window)
        return nullptr;
    return std::make_unique<DeviceContext>(*BackingOf(*window), BackingOrigin(*window),
                                           VisibleRegion(*window, true));
}

void WindowManager::ReleaseDC(HWND hwnd, std::unique_ptr<DeviceContext> dc) {
    if (const Window* window = FromHandle(hwnd); dc && window)
        Compose(window->GetWindowRect());
}

void WindowManager::UpdateWindow(HWND hwnd) {
    const Window* window = FromHandle(hwnd);
    if (window && !window->m_update.IsEmpty() && window->IsWindowVisible()) {
        SendMessage(hwnd, WM_PAINT, 0, 0);
        ValidateRect(hwnd, nullptr);
    }
}

void WindowManager::Present(const Rect& screenRect) {
    const Rect dirty = screenRect.Intersect({0, 0, SCREEN_WIDTH, SCREEN_HEIGHT});
    if (m_backend && !dirty.IsEmpty())
        m_backend->Present(*m_screen, dirty);
}

// ---- input -----------------------------------------------------------------

// Keys go to the focused window; with the focus nowhere, to the active
// window. With neither, the key message has no window: dispatching drops
// it, while a menu's or message box's modal loop still takes it.
Window* WindowManager::KeyTarget() const { return m_focus ? m_focus : m_active; }

void WindowManager::InjectInput(const InputEvent& event) {
    m_pendingInput.push_back({event, GetTickCount()});
}

bool WindowManager::MessageFromInput(const PendingInput& input, InputState& state,
                                     MSG& msg) const {
    const InputEvent& event = input.event;
    msg = MSG();
    msg.time = input.time;
    switch (event.kind) {
    case InputKind::KeyDown:
    case InputKind::KeyUp: {
        const bool down = event.kind == InputKind::KeyDown;
        if (!down && state.keyUpToDrop != 0 && event.key == state.keyUpToDrop) {
            state.keyUpToDrop = 0;
            return false;
        }
        if (down && event.key == state.keyUpToDrop)
            state.keyUpToDrop = 0;  // pressed again: that release is wanted
        if (event.key == VK_SHIFT)
            state.shift = down;
        if (event.key == VK_CONTROL)
            state.control = down;
        msg.hwnd = KeyTarget();
        msg.message = down ? WM_KEYDOWN : WM_KEYUP;
        msg.wParam = event.key;
        msg.lParam = 1;
        msg.pt = state.stylus;
        return true;  // with no target only a modal loop takes it
    }
    case InputKind::Char:
        msg.hwnd = KeyTarget();
        msg.message = WM_CHAR;
        msg.wParam = event.ch;
        msg.lParam = 1;
        msg.pt = state.stylus;
        return true;  // with no target only a modal loop takes it
    default:
        break;
    }

    state.stylus = event.point;
    msg.pt = event.point;
    if (event.kind == InputKind::StylusMove && !state.stylusDown && !m_capture)
        return false;  // a stylus only moves while it touches
    if (event.kind == InputKind::StylusDown)
        state.stylusDown = true;
    if (event.kind == InputKind::StylusUp)
        state.stylusDown = false;
    Window* target = m_capture ? m_capture : FromHandle(WindowFromPoint(event.point));
    if (!target)
        return false;
    const Point client = target->ScreenToClient(event.point);
    msg.hwnd = target;
    msg.lParam = MAKELPARAM(client.x, client.y);
    msg.wParam = StylusKeyFlags(event.kind != InputKind::StylusUp, state.shift, state.control);
    msg.message = event.kind == InputKind::StylusUp ? WM_LBUTTONUP : WM_MOUSEMOVE;
    if (event.kind == InputKind::StylusDown) {
        const bool isDouble = state.lastTapValid && state.lastTapWindow == target &&
                              (target->m_classStyle & CS_DBLCLKS) &&
                              input.time - state.lastTapTime <= DOUBLE_TAP_TIME_MS &&
                              std::abs(event.point.x - state.lastTapPoint.x) <= DOUBLE_TAP_DISTANCE &&
                              std::abs(event.point.y - state.lastTapPoint.y) <= DOUBLE_TAP_DISTANCE;
        msg.message = isDouble ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
        // A third tap starts a new pair.
        state.lastTapValid = !isDouble;
        state.lastTapWindow = target;
        state.lastTapPoint = event.point;
        state.lastTapTime = input.time;
    }
    return true;
}

// Input becomes a message only when it is taken from the queue, so that the
// focus and capture of that moment decide where it goes. Events before the
// one taken count for the key and stylus state but stay queued.
bool WindowManager::TakeInput(MSG& msg, const Window* filter, UINT first, UINT last, bool remove) {
    // Input at the front that makes no message is used up first.
    while (remove && !m_pendingInput.empty()) {
        InputState state = m_input;
        MSG unused;
        if (MessageFromInput(m_pendingInput.front(), state, unused))
            break;
        m_input = state;
        m_pendingInput.pop_front();
    }
    InputState state = m_input;
    for (auto it = m_pendingInput.begin(); it != m_pendingInput.end(); ++it) {
        MSG candidate;
        if (!MessageFromInput(*it, state, candidate) || !Matches(candidate, filter, first, last))
            continue;
        msg = candidate;
        if (remove) {
            m_input = state;
            m_pendingInput.erase(it);
        }
        return true;
    }
    return false;
}

int WindowManager::RecognizeHold(HWND hwnd, Point clientPoint) {
    const Window* window = FromHandle(hwnd);
    if (!window)
        return 0;
    const Point start = window->ClientToScreen(clientPoint);
    const uint32_t began = GetTickCount();
    auto releasedOrMoved = [&] {
        for (const PendingInput& p : m_pendingInput) {
            const InputEvent& e = p.event;
            if (e.kind == InputKind::StylusUp || e.kind == InputKind::StylusDown)
                return true;
            if (e.kind == InputKind::StylusMove && (std::abs(e.point.x - start.x) > HOLD_SLOP ||
                                                    std::abs(e.point.y - start.y) > HOLD_SLOP))
                return true;
        }
        for (const MSG& m : m_queue) {
            if (m.message == WM_LBUTTONUP || m.message == WM_LBUTTONDOWN ||
                m.message == WM_LBUTTONDBLCLK)
                return true;
            if (m.message == WM_MOUSEMOVE && (std::abs(m.pt.x - start.x) > HOLD_SLOP ||
                                              std::abs(m.pt.y - start.y) > HOLD_SLOP))
                return true;
        }
        return false;
    };
    for (;;) {
        // Input that arrived before the hold time ran out counts; input
        // still waiting to be polled when it runs out came after it.
        if (releasedOrMoved())
            return 0;
        const uint32_t held = GetTickCount() - began;
        if (held >= HOLD_TIME_MS)
            return GN_CONTEXTMENU;
        if (m_backend)
            m_backend->Poll(*this);
        if (releasedOrMoved())
            return 0;
        if (!WaitForInput(HOLD_TIME_MS - held))
            return 0;  // the input ended with the stylus still down
    }
}

// ---- free functions on the current manager ----------------------------------

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return g_current ? g_current->SendMessage(hwnd, message, wParam, lParam) : 0;
}
bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return g_current && g_current->PostMessage(hwnd, message, wParam, lParam);
}
void PostQuitMessage(int exitCode) {
    if (g_current)
        g_current->PostQuitMessage(exitCode);
}
bool PeekMessage(MSG& msg, HWND hwnd, UINT first, UINT last, UINT removal) {
    return g_current && g_current->PeekMessage(msg, hwnd, first, last, removal);
}
bool GetMessage(MSG& msg) {
    if (!g_current) {
        msg = MSG{};
        msg.message = WM_QUIT;
        return false;
    }
    return g_current->GetMessage(msg);
}
void TranslateMessage(const MSG& msg) {
    if (g_current)
        g_current->TranslateMessage(msg);
}
LRESULT DispatchMessage(const MSG& msg) {
    return g_current ? g_current->DispatchMessage(msg) : 0;
}
UINT RegisterWindowMessage(std::u16string_view name) {
    return WindowManager::RegisterWindowMessage(name);
}
uintptr_t SetTimer(HWND hwnd, uintptr_t id, uint32_t elapseMs) {
    return g_current ? g_current->SetTimer(hwnd, id, elapseMs) : 0;
}
bool KillTimer(HWND hwnd, uintptr_t id) { return g_current && g_current->KillTimer(hwnd, id); }
HWND SetFocus(HWND hwnd) { return g_current ? g_current->SetFocus(hwnd) : nullptr; }
HWND SetActiveWindow(HWND hwnd) { return g_current ? g_current->SetActiveWindow(hwnd) : nullptr; }
HWND GetActiveWindow() { return g_current ? g_current->GetActiveWindow() : nullptr; }
Window* WindowFromHandle(HWND hwnd) { return g_current ? g_current->FromHandle(hwnd) : nullptr; }
Point ClientToScreen(HWND hwnd, Point client) {
    const Window* window = WindowFromHandle(hwnd);
    return window ? window->ClientToScreen(client) : client;
}
Point ScreenToClient(HWND hwnd, Point screen) {
    const Window* window = WindowFromHandle(hwnd);
    return window ? window->ScreenToClient(screen) : screen;
}
HWND GetFocus() { return g_current ? g_current->GetFocus() : nullptr; }
HWND SetCapture(HWND hwnd) { return g_current ? g_current->SetCapture(hwnd) : nullptr; }
bool ReleaseCapture() { return g_current && g_current->ReleaseCapture(); }
HWND GetCapture() { return g_current ? g_current->GetCapture() : nullptr; }
int16_t GetKeyState(UINT key) { return g_current ? g_current->GetKeyState(key) : 0; }
void InvalidateRect(HWND hwnd, const Rect* rect, bool erase) {
    if (g_current)
        g_current->InvalidateRect(hwnd, rect, erase);
}
void UpdateWindow(HWND hwnd) {
    if (g_current)
        g_current->UpdateWindow(hwnd);
}
DeviceContext* BeginPaint(HWND hwnd, PAINTSTRUCT& ps) {
    if (!g_current) {
        ps = PAINTSTRUCT();
        return nullptr;
    }
    return g_current->BeginPaint(hwnd, ps);
}
void EndPaint(HWND hwnd, const PAINTSTRUCT& ps) {
    if (g_current)
        g_current->EndPaint(hwnd, ps);
}
int RecognizeHold(HWND hwnd, Point clientPoint) {
    return g_current ? g_current->RecognizeHold(hwnd, clientPoint) : 0;
}

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN: return SCREEN_WIDTH;
    case SM_CYSCREEN: return SCREEN_HEIGHT;
    case SM_CXVSCROLL: return 13;
    default: return 0;
    }
}

uint32_t GetDoubleClickTime() { return DOUBLE_TAP_TIME_MS; }
