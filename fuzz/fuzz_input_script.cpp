#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/window/InputScript.h"

// Input scripts come from files and standard input; any bytes must parse
// to steps or to an error with a line number.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<ScriptStep> steps;
    const ScriptError error =
        ParseInputScript(std::string_view(reinterpret_cast<const char*>(data), size), steps);
    if (error.line < 0 || (error.line == 0 && !error.message.empty()))
        __builtin_trap();
    for (const ScriptStep& s : steps)
        if (s.point.x < 0 || s.point.x >= 240 || s.point.y < 0 || s.point.y >= 320)
            __builtin_trap();
    return 0;
}
