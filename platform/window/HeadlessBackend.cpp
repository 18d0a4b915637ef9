#include "platform/window/HeadlessBackend.h"

#include <algorithm>

#include <poll.h>

#include "platform/png/PngWriter.h"
#include "platform/window/WindowManager.h"

void HeadlessBackend::Queue(const InputEvent& event) {
    m_steps.push_back({Step::Kind::Input, event, 0, {}});
}

void HeadlessBackend::Tap(Point p) {
    Down(p);
    Up(p);
}

void HeadlessBackend::Hold(Point p) {
    Down(p);
    Wait(HOLD_TIME_MS);
    Up(p);
}

void HeadlessBackend::Key(uint32_t key, const std::vector<uint32_t>& modifiers) {
    for (uint32_t m : modifiers)
        Queue({InputKind::KeyDown, {}, m, 0});
    Queue({InputKind::KeyDown, {}, key, 0});
    Queue({InputKind::KeyUp, {}, key, 0});
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
        Queue({InputKind::KeyUp, {}, *it, 0});
}

void HeadlessBackend::Type(std::u16string_view text) {
    for (char16_t c : text)
        Queue({InputKind::Char, {}, 0, c});
}

void HeadlessBackend::Wait(uint32_t ms) { m_steps.push_back({Step::Kind::Wait, {}, ms, {}}); }

void HeadlessBackend::Sleep(uint32_t ms) { m_steps.push_back({Step::Kind::Sleep, {}, ms, {}}); }

void HeadlessBackend::Shot(const std::string& hostPath) {
    m_steps.push_back({Step::Kind::Shot, {}, 0, hostPath});
}

void HeadlessBackend::Play(const std::vector<ScriptStep>& steps) {
    for (const ScriptStep& s : steps) {
        switch (s.action) {
        case ScriptAction::Tap: Tap(s.point); break;
        case ScriptAction::Hold: Hold(s.point); break;
        case ScriptAction::Down: Down(s.point); break;
        case ScriptAction::Move: Move(s.point); break;
        case ScriptAction::Up: Up(s.point); break;
        case ScriptAction::Key: Key(s.key, s.modifiers); break;
        case ScriptAction::Type: Type(s.text); break;
        case ScriptAction::Wait: Wait(s.ms); break;
        case ScriptAction::Sleep: Sleep(s.ms); break;
        case ScriptAction::Shot: Shot(s.file); break;
        }
    }
}

void HeadlessBackend::Poll(WindowManager& manager) {
    while (!m_steps.empty() && m_steps.front().kind == Step::Kind::Input) {
        const InputEvent event = m_steps.front().event;
        m_steps.pop_front();
        manager.InjectInput(event);
    }
}

bool HeadlessBackend::Wait(WindowManager& manager, uint32_t timeoutMs) {
    // Outside events already waiting (files changed by the test itself)
    // come before the script goes on; with the script ended, the loop ends
    // once none is waiting.
    if (manager.DispatchEventSources(0) > 0)
        return true;
    if (m_steps.empty())
        return m_outsideWaitMs > 0 && manager.DispatchEventSources(int(m_outsideWaitMs)) > 0;
    Step& step = m_steps.front();
    switch (step.kind) {
    case Step::Kind::Input:
        return true;  // the next poll hands it over
    case Step::Kind::Shot: {
        const uint32_t error = WritePng(step.file, manager.Screen());
        if (error == 0)
            ++m_shotsWritten;
        else
            m_lastShotError = error;
        m_steps.pop_front();
        return true;
    }
    case Step::Kind::Sleep:
        return SleepStep(manager, step);
    case Step::Kind::Wait: {
        const uint32_t advance = std::min(timeoutMs, step.ms);
        m_clock.Advance(advance);
        step.ms -= advance;
        if (step.ms == 0)
            m_steps.pop_front();
        return true;
    }
    }
    return false;
}

// Each call waits for outside events until the sleep ends and returns once
// some were handled, so that the loop handles what they posted meanwhile.
bool HeadlessBackend::SleepStep(WindowManager& manager, Step& step) {
    using namespace std::chrono;
    const steady_clock::time_point now = steady_clock::now();
    if (!step.started) {
        step.started = true;
        step.until = now + milliseconds(step.ms);
    }
    if (now >= step.until) {
        m_steps.pop_front();
        return true;
    }
    const auto left = duration_cast<milliseconds>(step.until - now).count();
    if (manager.EventDescriptors().empty())
        ::poll(nullptr, 0, int(left));  // nothing to hear: the time passes all the same
    else
        manager.DispatchEventSources(int(left) + 1);
    return true;
}

void HeadlessBackend::Present(const Bitmap&, const Rect& dirty) { m_presented.push_back(dirty); }
