#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Other programs of the host, started without a shell: each argument
// reaches the program as it is, whatever blanks, quotes or dashes it holds.

// The running program's own file; "" when it cannot be told.
std::string RunningProgramPath();

// The full path of the executable `name` found on $PATH; "" when none.
std::string FindProgram(std::string_view name);

// Starts argv[0] (a path, or a name looked up on $PATH) with the given
// arguments in a session of its own and does not wait for it; it is not
// left behind as a zombie. 0 or a Windows error number (2 when the program
// cannot be started).
uint32_t StartDetached(const std::vector<std::string>& argv);

// Runs the program, waits for it at most `timeoutMs` (then ends it) and
// gives what it wrote to standard output. Returns its exit status, or -1
// when it could not be started, ended abnormally or took too long.
int RunProgram(const std::vector<std::string>& argv, std::string& output, int timeoutMs = 10000);
