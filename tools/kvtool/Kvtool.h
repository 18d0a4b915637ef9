#pragma once
#include <iosfwd>
#include <string>
#include <vector>

// Runs one kvtool command line (without the program name). Output goes to
// `out`, every failure as one line naming the file and the reason to `err`.
// Returns the process exit status.
int RunKvtool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
