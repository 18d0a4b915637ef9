#pragma once
#include <algorithm>
#include <chrono>

#include "platform/base/ShellChangeWatcher.h"

// Hands the watcher's changes to the sink until `done` holds, for at most
// ten seconds (a loaded machine under the sanitizers delivers late, never
// wrongly); then whatever has already arrived as well, so an unexpected
// extra change is seen too. Returns whether `done` held.
template <typename Done>
bool DispatchUntil(ShellChangeWatcher& watcher, ShellChangeSink& sink, Done done) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + seconds(10);
    while (!done()) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0) return false;
        watcher.Dispatch(sink, int(std::min<long long>(left, 100)));
    }
    while (watcher.Dispatch(sink, 0) > 0) {
    }
    return true;
}
