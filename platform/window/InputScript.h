#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/Geometry.h"

// One line of an input script, against screen coordinates:
//   tap X Y | hold X Y | down X Y | move X Y | up X Y
//   key NAME        (Left, Up, Right, Down, Enter, Home, End, PageUp,
//                    PageDown, Escape, Tab, Backspace, Delete, Space, a
//                    letter or digit; "Shift+" and "Ctrl+" prefixes hold
//                    those keys around it)
//   type TEXT       (the rest of the line, as characters)
//   wait MS         (moves the program's clock: timers fire, holds ripen)
//   sleep MS        (real time, the clock standing still: the program
//                    handles what arrives from outside, such as files
//                    changed in the device folder)
//   shot FILE.png
// Blank lines and lines starting with '#' are skipped.
enum class ScriptAction { Tap, Hold, Down, Move, Up, Key, Type, Wait, Sleep, Shot };

struct ScriptStep {
    ScriptAction action = ScriptAction::Tap;
    int line = 0;
    Point point;
    std::vector<uint32_t> modifiers;  // Key: virtual keys held around it
    uint32_t key = 0;                 // Key: virtual key
    std::u16string text;              // Type
    uint32_t ms = 0;                  // Wait, Sleep
    std::string file;                 // Shot (host path, UTF-8)
};

struct ScriptError {
    int line = 0;  // 0 = no error
    std::string message;
};

// Longest wait a script may ask for: an hour.
constexpr uint32_t MAX_SCRIPT_WAIT_MS = 3600000;
// Longest real-time sleep: a minute.
constexpr uint32_t MAX_SCRIPT_SLEEP_MS = 60000;

// Parses the whole script; on the first bad line, returns its number and
// what is wrong with it, and `steps` holds the lines before it.
ScriptError ParseInputScript(std::string_view text, std::vector<ScriptStep>& steps);

// The virtual key of a key name (case-insensitive), or 0.
uint32_t VirtualKeyFromName(std::string_view name);
