#include "platform/base/MessageBox.h"

#include <cstdio>
#include <mutex>

namespace {
std::mutex g_lock;
std::function<void(const std::string&, const std::string&)> g_sink;
}  // namespace

int MessageBoxA(void*, const char* text, const char* caption, unsigned) {
    std::string t = text ? text : "";
    std::string c = caption ? caption : "";
    std::function<void(const std::string&, const std::string&)> sink;
    {
        std::lock_guard guard(g_lock);
        sink = g_sink;
    }
    if (sink) sink(c, t);
    else std::fprintf(stderr, "%s: %s\n", c.c_str(), t.c_str());
    return IDOK;
}

void SetMessageBoxSink(std::function<void(const std::string&, const std::string&)> sink) {
    std::lock_guard guard(g_lock);
    g_sink = std::move(sink);
}
