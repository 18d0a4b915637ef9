#pragma once
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Options and positional words of a command line. Options named in
// `valued` (such as "-o") take the next word as their value; any other word
// starting with "--" is a flag. A lone "--" ends option parsing.
class CommandLine {
public:
    CommandLine(const std::vector<std::string>& args, const std::set<std::string>& valued);

    bool Ok() const { return m_error.empty(); }
    const std::string& Error() const { return m_error; }
    bool Has(const std::string& option) const { return m_options.count(option) != 0; }
    std::optional<std::string> Value(const std::string& option) const;
    const std::vector<std::string>& Words() const { return m_words; }
    // Options that are not in `known`: reported as usage errors.
    std::optional<std::string> UnknownOption(const std::set<std::string>& known) const;

private:
    std::map<std::string, std::string> m_options;
    std::vector<std::string> m_words;
    std::string m_error;
};
