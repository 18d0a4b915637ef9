#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>

#include "tests/support/TestSupport.h"

#ifdef KV_KESTRELVIEW_PROGRAM

namespace {

struct Outcome {
    int status = -1;
    std::string output;
};

// Runs the program with a script on its standard input.
Outcome RunProgram(const std::string& arguments, const std::string& script) {
    TempDir dir;
    const std::string scriptFile = dir / "script.txt";
    std::ofstream(scriptFile) << script;
    const std::string command = std::string("'") + KV_KESTRELVIEW_PROGRAM + "' " + arguments +
                                " < '" + scriptFile + "' 2>&1";
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return outcome;
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
        outcome.output.append(buffer, n);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

bool IsPng(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadHostFile(path);
    return bytes.size() > 8 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G';
}

TEST(ProgramTest, HeadlessScriptTakesScreenshotsAndEnds) {
    TempDir root;
    TempDir shots;
    const std::string first = shots / "start.png";
    const std::string second = shots / "menu.png";
    const Outcome outcome = RunProgram("--headless --script - --root '" + root.Path() + "'",
                                       "wait 10\nshot " + first + "\ntap 20 307\nshot " + second + "\n");
    EXPECT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_TRUE(IsPng(first));
    EXPECT_TRUE(IsPng(second));
    EXPECT_NE(ReadHostFile(first), ReadHostFile(second));
}

TEST(ProgramTest, BadArgumentsAndScriptsAreRefused) {
    TempDir root;
    const struct {
        std::string arguments;
        std::string script;
        std::string said;
    } cases[] = {
        {"--headless --script - --root '" + root.Path() + "'", "tap 1\n", "script line 1"},
        {"--script - --root '" + root.Path() + "'", "", "--script needs --headless"},
        {"--scale 0", "", "usage"},
        {"--what", "", "usage"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = RunProgram(c.arguments, c.script);
        EXPECT_EQ(outcome.status, 2) << c.arguments;
        EXPECT_NE(outcome.output.find(c.said), std::string::npos) << outcome.output;
    }
}

}  // namespace

#endif
