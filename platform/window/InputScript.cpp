#include "platform/window/InputScript.h"

#include <cctype>
#include <charconv>
#include <tuple>

#include "platform/base/Text.h"
#include "platform/window/WindowManager.h"

namespace {

struct KeyName {
    const char* name;
    uint32_t key;
};

constexpr KeyName kKeyNames[] = {
    {"left", VK_LEFT},     {"up", VK_UP},         {"right", VK_RIGHT},   {"down", VK_DOWN},
    {"enter", VK_RETURN},  {"return", VK_RETURN}, {"home", VK_HOME},     {"end", VK_END},
    {"pageup", VK_PRIOR},  {"pgup", VK_PRIOR},    {"pagedown", VK_NEXT}, {"pgdn", VK_NEXT},
    {"escape", VK_ESCAPE}, {"esc", VK_ESCAPE},    {"tab", VK_TAB},       {"backspace", VK_BACK},
    {"delete", VK_DELETE}, {"space", VK_SPACE},   {"shift", VK_SHIFT},   {"ctrl", VK_CONTROL},
    {"control", VK_CONTROL},
};

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Splits off the first word; `rest` keeps what follows, trimmed.
std::string_view NextWord(std::string_view& rest) {
    rest = Trim(rest);
    size_t end = 0;
    while (end < rest.size() && rest[end] != ' ' && rest[end] != '\t')
        ++end;
    std::string_view word = rest.substr(0, end);
    rest = Trim(rest.substr(end));
    return word;
}

bool ParseNumber(std::string_view word, uint32_t maximum, uint32_t& value) {
    if (word.empty())
        return false;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size() && value <= maximum;
}

std::string ParsePoint(std::string_view rest, Point& point) {
    const std::string_view x = NextWord(rest);
    const std::string_view y = NextWord(rest);
    uint32_t vx = 0, vy = 0;
    if (x.empty() || y.empty() || !rest.empty())
        return "expects two numbers, X and Y";
    if (!ParseNumber(x, SCREEN_WIDTH - 1, vx) || !ParseNumber(y, SCREEN_HEIGHT - 1, vy))
        return "X must be 0-239 and Y 0-319";
    point = {int32_t(vx), int32_t(vy)};
    return {};
}

std::string ParseKey(std::string_view rest, ScriptStep& step) {
    std::string_view name = NextWord(rest);
    if (name.empty() || !rest.empty())
        return "expects one key name";
    for (;;) {
        const size_t plus = name.find('+');
        if (plus == std::string_view::npos || plus + 1 == name.size())
            break;
        const std::string_view modifier = name.substr(0, plus);
        if (EqualsAsciiNoCase(modifier, "shift"))
            step.modifiers.push_back(VK_SHIFT);
        else if (EqualsAsciiNoCase(modifier, "ctrl") || EqualsAsciiNoCase(modifier, "control"))
            step.modifiers.push_back(VK_CONTROL);
        else
            return "unknown modifier '" + std::string(modifier) + "'";
        name = name.substr(plus + 1);
    }
    step.key = VirtualKeyFromName(name);
    if (step.key == 0)
        return "unknown key '" + std::string(name) + "'";
    return {};
}

bool EndsWithPng(std::string_view file) {
    return file.size() > 4 && EqualsAsciiNoCase(file.substr(file.size() - 4), ".png");
}

std::string ParseLine(std::string_view line, ScriptStep& step) {
    std::string_view rest = line;
    const std::string_view verb = NextWord(rest);
    static constexpr std::pair<const char*, ScriptAction> kPointVerbs[] = {
        {"tap", ScriptAction::Tap},   {"hold", ScriptAction::Hold}, {"down", ScriptAction::Down},
        {"move", ScriptAction::Move}, {"up", ScriptAction::Up},
    };
    for (const auto& [name, action] : kPointVerbs) {
        if (EqualsAsciiNoCase(verb, name)) {
            step.action = action;
            return ParsePoint(rest, step.point);
        }
    }
    if (EqualsAsciiNoCase(verb, "key")) {
        step.action = ScriptAction::Key;
        return ParseKey(rest, step);
    }
    if (EqualsAsciiNoCase(verb, "type")) {
        step.action = ScriptAction::Type;
        if (rest.empty())
            return "expects text to type";
        step.text = Utf8ToUtf16(rest);
        return {};
    }
    for (const auto& [name, action, maximum] : {std::tuple{"wait", ScriptAction::Wait, MAX_SCRIPT_WAIT_MS},
                                                std::tuple{"sleep", ScriptAction::Sleep, MAX_SCRIPT_SLEEP_MS}}) {
        if (!EqualsAsciiNoCase(verb, name))
            continue;
        step.action = action;
        const std::string_view ms = NextWord(rest);
        if (ms.empty() || !rest.empty() || !ParseNumber(ms, maximum, step.ms))
            return "expects milliseconds, 0-" + std::to_string(maximum);
        return {};
    }
    if (EqualsAsciiNoCase(verb, "shot")) {
        step.action = ScriptAction::Shot;
        if (!EndsWithPng(rest))
            return "expects a file name ending in .png";
        step.file = std::string(rest);
        return {};
    }
    return "unknown command '" + std::string(verb) + "'";
}

}  // namespace

uint32_t VirtualKeyFromName(std::string_view name) {
    for (const KeyName& k : kKeyNames)
        if (EqualsAsciiNoCase(name, k.name))
            return k.key;
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return uint32_t(std::toupper(static_cast<unsigned char>(name[0])));
    return 0;
}

ScriptError ParseInputScript(std::string_view text, std::vector<ScriptStep>& steps) {
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const size_t newline = text.find('\n');
        const std::string_view raw = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        const std::string_view line = Trim(raw);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.find('\0') != std::string_view::npos)
            return {lineNumber, "holds a NUL character"};
        ScriptStep step;
        step.line = lineNumber;
        const std::string problem = ParseLine(line, step);
        if (!problem.empty())
            return {lineNumber, problem};
        steps.push_back(std::move(step));
    }
    return {};
}
