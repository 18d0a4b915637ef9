#include "desktop/UserDirs.h"

std::string DocumentsFolderFromUserDirs(std::string_view text, const std::string& home) {
    constexpr std::string_view key = "XDG_DOCUMENTS_DIR=";
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        size_t at = line.find_first_not_of(" \t");
        if (at == std::string_view::npos || line.substr(at, key.size()) != key) continue;
        std::string_view value = line.substr(at + key.size());
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t'))
            value.remove_suffix(1);
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') return {};
        value = value.substr(1, value.size() - 2);
        if (value.substr(0, 5) == "$HOME") {
            std::string_view rest = value.substr(5);
            if (home.empty() || (!rest.empty() && rest.front() != '/')) return {};
            return home + std::string(rest);
        }
        return value.empty() || value.front() != '/' ? std::string() : std::string(value);
    }
    return {};
}
