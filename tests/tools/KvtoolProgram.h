#pragma once
#include <string>
#include <vector>

// What a run of the real kvtool program gave.
struct ProgramRun {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out, err;
};

// Runs the built kvtool with the arguments, with NAME=VALUE settings added
// to (or replacing) the test's environment, and waits for it to end.
// With asNobody, a run by root is made as the unprivileged user "nobody", so
// that file permissions apply to it.
ProgramRun RunKvtoolProgram(const std::vector<std::string>& args, const std::vector<std::string>& environment = {},
                            bool asNobody = false);

// The environment for a run under a locale compiled for the tests
// ("fr_FR.UTF-8", "de_DE.UTF-8") or a system one ("C").
std::vector<std::string> LocaleEnvironment(const std::string& locale);
// False (with the reason) when the tests' compiled locale is missing.
bool TestLocaleExists(const std::string& locale, std::string& why);
