#pragma once
#include <functional>
#include <utility>
#include <vector>

#include "platform/window/Window.h"
#include "platform/window/WindowManager.h"

// Steps that run while a modal loop waits: each runs the next time the loop
// has nothing else to do, so the modal window is open and painted. A step
// can look at the screen and queue the next input. Make it after the
// window manager; it is a hidden top-level window that only takes timers.
class IdleSteps : public Window {
public:
    IdleSteps() { Create(nullptr, {0, 0, 1, 1}, 0, u"idle steps", 0); }
    ~IdleSteps() override { Destroy(); }

    void Then(std::function<void()> step) {
        m_steps.push_back(std::move(step));
        SetTimer(this, 1, 0);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_TIMER) return DefWindowProc(message, wParam, lParam);
        KillTimer(this, 1);
        std::vector<std::function<void()>> steps = std::move(m_steps);
        m_steps.clear();
        for (auto& step : steps) step();
        return 0;
    }

private:
    std::vector<std::function<void()>> m_steps;
};

// The top-level windows of a kind, bottom to top.
template <typename T>
std::vector<T*> TopLevelOf(const WindowManager& manager) {
    std::vector<T*> out;
    for (Window* w : manager.TopLevelWindows())
        if (auto* t = dynamic_cast<T*>(w)) out.push_back(t);
    return out;
}

inline Point Centre(const Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
