#include "platform/base/FaultInjection.h"

#include <array>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/base/Text.h"
#include "platform/base/WinError.h"

namespace {

struct Rule {
    RapiCallKind kind;
    uint32_t first;
    uint32_t last;
    uint32_t error;
    std::u16string fragment;  // empty: every call of the kind
    uint32_t seen = 0;        // matching calls so far (path rules)
};

struct State {
    std::mutex lock;
    std::array<uint32_t, static_cast<size_t>(RapiCallKind::Count)> counts{};
    std::vector<Rule> rules;
    bool vanishArmed = false;
    RapiCallKind vanishKind = RapiCallKind::CreateFile;
    uint32_t vanishAt = 0;
    bool vanished = false;
    std::function<void(uint32_t)> sleepHook;
};

State& TheState() {
    static State state;
    return state;
}

bool ContainsNoCase(std::u16string_view text, std::u16string_view fragment) {
    for (size_t i = 0; i + fragment.size() <= text.size(); ++i) {
        if (EqualsNoCase(text.substr(i, fragment.size()), fragment)) return true;
    }
    return false;
}

// What a call sees once the device has gone: the connection is lost.
constexpr uint32_t kDeviceGoneError = ERROR_NOT_READY;

}  // namespace

void FaultInjection::FailCall(RapiCallKind kind, uint32_t first, uint32_t error, uint32_t times) {
    State& s = TheState();
    std::lock_guard guard(s.lock);
    s.rules.push_back({kind, first, first + (times ? times - 1 : 0), error, {}, 0});
}

void FaultInjection::FailPath(RapiCallKind kind, std::u16string fragment, uint32_t first,
                              uint32_t error, uint32_t times) {
    State& s = TheState();
    std::lock_guard guard(s.lock);
    s.rules.push_back({kind, first, first + (times ? times - 1 : 0), error, std::move(fragment), 0});
}

void FaultInjection::VanishAt(RapiCallKind kind, uint32_t nth) {
    State& s = TheState();
    std::lock_guard guard(s.lock);
    s.vanishArmed = true;
    s.vanishKind = kind;
    s.vanishAt = nth;
}

bool FaultInjection::Vanished() {
    State& s = TheState();
    std::lock_guard guard(s.lock);
    return s.vanished;
}

void FaultInjection::Reset() {
    State& s = TheState();
    std::lock_guard guard(s.lock);
    s.counts.fill(0);
    s.rules.clear();
    s.vanishArmed = false;
    s.vanished = false;
    s.sleepHook = nullptr;
}

uint32_t FaultInjection::CallCount(RapiCallKind kind) {
    State& s = TheState();
    std::lock_guard guard(s.lock);
    return s.counts[static_cast<size_t>(kind)];
}

uint32_t FaultInjection::Check(RapiCallKind kind, std::u16string_view path) {
    State& s = TheState();
    std::lock_guard guard(s.lock);
    uint32_t n = ++s.counts[static_cast<size_t>(kind)];
    if (s.vanishArmed && kind == s.vanishKind && n >= s.vanishAt) s.vanished = true;
    if (s.vanished) return kDeviceGoneError;
    uint32_t error = 0;
    for (Rule& r : s.rules) {
        if (r.kind != kind) continue;
        uint32_t index = n;
        if (!r.fragment.empty()) {
            if (!ContainsNoCase(path, r.fragment)) continue;
            index = ++r.seen;
        }
        if (!error && index >= r.first && index <= r.last) error = r.error;
    }
    return error;
}

void FaultInjection::Sleep(uint32_t milliseconds) {
    std::function<void(uint32_t)> hook;
    {
        State& s = TheState();
        std::lock_guard guard(s.lock);
        hook = s.sleepHook;
    }
    if (hook) {
        hook(milliseconds);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void FaultInjection::SetSleepHook(std::function<void(uint32_t)> hook) {
    State& s = TheState();
    std::lock_guard guard(s.lock);
    s.sleepHook = std::move(hook);
}
