#pragma once
#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/window/DisplayBackend.h"
#include "platform/window/InputEvent.h"
#include "platform/window/InputScript.h"
#include "platform/base/ManualClock.h"

// The window layer without a window: input comes from a list of steps (a
// test's calls or a script), time from a manual clock that moves only when
// a step waits, and the screen stays in memory, written out by `shot`
// steps. Input steps are handed over together up to the next wait or shot;
// a wait moves the clock as the message loop asks (firing timers on the
// way), a sleep lets real time pass while outside events are handled, and
// a shot is taken once everything before it has been handled and
// painted. When the steps run out, the message loop ends.
class HeadlessBackend : public DisplayBackend {
public:
    HeadlessBackend() = default;

    ManualClock& Clock() { return m_clock; }

    void Queue(const InputEvent& event);
    void Down(Point p) { Queue({InputKind::StylusDown, p, 0, 0}); }
    void Move(Point p) { Queue({InputKind::StylusMove, p, 0, 0}); }
    void Up(Point p) { Queue({InputKind::StylusUp, p, 0, 0}); }
    void Tap(Point p);
    // Down, held still for the hold time, up.
    void Hold(Point p);
    void Key(uint32_t key, const std::vector<uint32_t>& modifiers = {});
    void Type(std::u16string_view text);
    void Wait(uint32_t ms);
    // Real time passes, the clock standing still; outside events (a file
    // copied in by another program) are handled as they come.
    void Sleep(uint32_t ms);
    void Shot(const std::string& hostPath);
    // Queues every step of a parsed script.
    void Play(const std::vector<ScriptStep>& steps);
    bool Finished() const { return m_steps.empty(); }
    // With the script ended, how long (real milliseconds) the loop waits for
    // an outside event (a file changed by a watcher's thread, a card) before
    // it ends; 0, the default, ends it at once.
    void SetOutsideEventWait(uint32_t ms) { m_outsideWaitMs = ms; }

    // Screenshots written and the error of the last failed one (0 = none).
    int ShotsWritten() const { return m_shotsWritten; }
    uint32_t LastShotError() const { return m_lastShotError; }
    // Areas presented since the start.
    const std::vector<Rect>& Presented() const { return m_presented; }

    void Poll(WindowManager& manager) override;
    bool Wait(WindowManager& manager, uint32_t timeoutMs) override;
    void Present(const Bitmap& screen, const Rect& dirty) override;

private:
    struct Step {
        enum class Kind { Input, Wait, Sleep, Shot } kind;
        InputEvent event;
        uint32_t ms = 0;
        std::string file;
        // Sleep: when it ends, set as it begins.
        std::chrono::steady_clock::time_point until{};
        bool started = false;
    };

    bool SleepStep(WindowManager& manager, Step& step);

    ManualClock m_clock;
    std::deque<Step> m_steps;
    int m_shotsWritten = 0;
    uint32_t m_lastShotError = 0;
    std::vector<Rect> m_presented;
    uint32_t m_outsideWaitMs = 0;
};
