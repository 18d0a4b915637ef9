#pragma once
#include <functional>
#include <string>

#include "platform/base/DialogResults.h"

// Message boxes of the desktop library. There is no window to show them in:
// each is one line on standard error, "<caption>: <text>", and tests can
// take the lines instead.

int MessageBoxA(void* owner, const char* text, const char* caption, unsigned style);

// Receives (caption, text) instead of standard error; empty = standard error.
void SetMessageBoxSink(std::function<void(const std::string&, const std::string&)> sink);
