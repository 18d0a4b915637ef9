#include "desktop/DesktopFaults.h"

#include <array>
#include <mutex>
#include <vector>

namespace {

struct Rule {
    DesktopCall kind;
    uint32_t nth;
    uint32_t error;
    std::string fragment;
    uint32_t seen = 0;
};

struct State {
    std::mutex lock;
    std::array<uint32_t, static_cast<size_t>(DesktopCall::Count)> counts{};
    std::vector<Rule> rules;
};

State& TheState() {
    static State state;
    return state;
}

}  // namespace

void DesktopFaults::FailCall(DesktopCall kind, uint32_t nth, uint32_t error, std::string fragment) {
    State& s = TheState();
    std::lock_guard guard(s.lock);
    s.rules.push_back({kind, nth, error, std::move(fragment), 0});
}

void DesktopFaults::Reset() {
    State& s = TheState();
    std::lock_guard guard(s.lock);
    s.counts.fill(0);
    s.rules.clear();
}

uint32_t DesktopFaults::CallCount(DesktopCall kind) {
    State& s = TheState();
    std::lock_guard guard(s.lock);
    return s.counts[static_cast<size_t>(kind)];
}

uint32_t DesktopFaults::Check(DesktopCall kind, const std::string& path) {
    State& s = TheState();
    std::lock_guard guard(s.lock);
    ++s.counts[static_cast<size_t>(kind)];
    uint32_t error = 0;
    for (Rule& r : s.rules) {
        if (r.kind != kind || path.find(r.fragment) == std::string::npos) continue;
        if (++r.seen == r.nth && !error) error = r.error;
    }
    return error;
}
