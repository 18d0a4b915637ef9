#include "tools/kvtool/CommandLine.h"

CommandLine::CommandLine(const std::vector<std::string>& args, const std::set<std::string>& valued) {
    bool optionsDone = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (!optionsDone && word == "--") {
            optionsDone = true;
            continue;
        }
        const bool isOption =
            !optionsDone && (valued.count(word) || (word.size() >= 3 && word.compare(0, 2, "--") == 0));
        if (!isOption) {
            m_words.push_back(word);
            continue;
        }
        if (valued.count(word)) {
            if (i + 1 >= args.size()) {
                m_error = word + " needs a value";
                return;
            }
            m_options[word] = args[++i];
        } else {
            m_options[word] = "";
        }
    }
}

std::optional<std::string> CommandLine::Value(const std::string& option) const {
    const auto it = m_options.find(option);
    if (it == m_options.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> CommandLine::UnknownOption(const std::set<std::string>& known) const {
    for (const auto& [name, value] : m_options) {
        if (!known.count(name)) return name;
    }
    return std::nullopt;
}
