#pragma once
#include <algorithm>
#include <functional>
#include <ostream>
#include <vector>

#include "platform/window/HeadlessBackend.h"
#include "platform/window/Window.h"
#include "platform/window/WindowManager.h"

inline void PrintTo(HWND hwnd, std::ostream* os) { *os << "HWND " << hwnd.Value(); }

// One message as a window saw it.
struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Seen&) const = default;
};

inline void PrintTo(const Seen& s, std::ostream* os) {
    *os << "{HWND " << s.hwnd.Value() << ", 0x" << std::hex << s.message << std::dec << ", "
        << s.wParam << ", " << s.lParam << "}";
}

// A window that writes every message it gets into a shared log and lets a
// test answer chosen messages.
class LoggingWindow : public Window {
public:
    explicit LoggingWindow(std::vector<Seen>* log) : m_log(log) {}
    // Returns true when it handled the message (then `result` is the answer).
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT& result)> handler;
    // Messages not logged (creation and painting noise, by default none).
    std::vector<UINT> ignored;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (std::find(ignored.begin(), ignored.end(), message) == ignored.end())
            m_log->push_back({this, message, wParam, lParam});
        LRESULT result = 0;
        if (handler && handler(message, wParam, lParam, result))
            return result;
        return DefWindowProc(message, wParam, lParam);
    }

private:
    std::vector<Seen>* m_log;
};

// A headless window system with its own clock, for one test.
struct HeadlessScreen {
    HeadlessBackend backend;
    WindowManager manager{&backend};

    // Runs the message loop until the queued input is used up.
    void Run() {
        MSG msg;
        while (manager.GetMessage(msg)) {
            manager.TranslateMessage(msg);
            manager.DispatchMessage(msg);
        }
    }
};

// Only the entries of the log with the given messages.
inline std::vector<Seen> Only(const std::vector<Seen>& log, std::vector<UINT> messages) {
    std::vector<Seen> out;
    for (const Seen& s : log)
        if (std::find(messages.begin(), messages.end(), s.message) != messages.end())
            out.push_back(s);
    return out;
}
