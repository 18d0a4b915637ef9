#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <cstdlib>
#include <fstream>
#include <string>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/TestSupport.h"

#ifdef KV_KESTRELVIEW_PROGRAM

namespace {

struct Outcome {
    int status = -1;
    std::string output;
};

// Runs the program with a script on its standard input; status 124 when
// it had to be stopped.
Outcome RunProgram(const std::string& arguments, const std::string& script) {
    TempDir dir;
    const std::string scriptFile = dir / "script.txt";
    std::ofstream(scriptFile) << script;
    // A program that never ends (a window that should not have opened)
    // fails the test instead of hanging it.
    const std::string command = std::string("timeout 30 '") + KV_KESTRELVIEW_PROGRAM + "' " + arguments +
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

// Two real processes: the first in a window of SDL's dummy video driver,
// the second handing over to it. The second waits for the first's window
// by itself (three tries a second apart), so no sleep is needed here.
// True once a copy of the program has made its socket in `folder`.
bool Listening(const std::string& folder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_socket(error)) return true;
    return false;
}

TEST(ProgramTest, ASecondStartHandsOverToTheRunningCopyAndEnds) {
    TempDir root;
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    std::string rootArg = root.Path();
    char program[] = KV_KESTRELVIEW_PROGRAM;
    char rootFlag[] = "--root";
    char* argv[] = {program, rootFlag, rootArg.data(), nullptr};
    // A runtime folder of the test's own holds the first copy's socket once
    // it listens; the second start waits for that rather than for a time.
    TempDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    pid_t first = 0;
    ASSERT_EQ(posix_spawn(&first, program, nullptr, nullptr, argv, environ), 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!Listening(runtime.Path() + "/kestrelview") && std::chrono::steady_clock::now() < deadline &&
           waitpid(first, nullptr, WNOHANG) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const Outcome second = RunProgram("--root '" + root.Path() + "' '\\a.jpg'", "");
    int firstStatus = 0;
    const bool firstEnded = waitpid(first, &firstStatus, WNOHANG) == first;
    if (!firstEnded) {
        kill(first, SIGKILL);
        waitpid(first, &firstStatus, 0);
    }
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("XDG_RUNTIME_DIR");
    ASSERT_FALSE(firstEnded) << "the first copy ended early (status " << firstStatus
                             << "): no window even with the dummy video driver";
    EXPECT_EQ(second.status, 255) << second.output;
}

}  // namespace

#endif
