#include "tests/tools/KvtoolProgram.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/TestSupport.h"

extern char** environ;

namespace {
std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& settings) {
    std::vector<std::string> merged;
    const auto nameOf = [](const std::string& s) { return s.substr(0, s.find('=')); };
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        bool replaced = false;
        for (const std::string& s : settings) replaced |= nameOf(s) == nameOf(entry);
        if (!replaced) merged.push_back(entry);
    }
    merged.insert(merged.end(), settings.begin(), settings.end());
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& t : texts) pointers.push_back(t.data());
    pointers.push_back(nullptr);
    return pointers;
}
}  // namespace

ProgramRun RunKvtoolProgram(const std::vector<std::string>& args, const std::vector<std::string>& environment,
                            bool asNobody) {
    TempDir outputs;
    const std::string outPath = outputs / "out", errPath = outputs / "err";
    std::vector<std::string> argv{KV_KVTOOL_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envp = MergedEnvironment(environment);
    std::vector<char*> argvPointers = Pointers(argv), envpPointers = Pointers(envp);

    ProgramRun run;
    const passwd* nobody = asNobody && getuid() == 0 ? getpwnam("nobody") : nullptr;
    if (asNobody && getuid() == 0 && !nobody) {
        run.err = "no user named nobody";
        return run;
    }
    const pid_t child = fork();
    if (child < 0) {
        run.err = "cannot start " KV_KVTOOL_PROGRAM;
        return run;
    }
    if (child == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0) _exit(127);
        if (nobody && (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)) {
            _exit(126);
        }
        execve(KV_KVTOOL_PROGRAM, argvPointers.data(), envpPointers.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadText(outPath);
    run.err = ReadText(errPath);
    return run;
}

std::vector<std::string> LocaleEnvironment(const std::string& locale) {
    return {"LC_ALL=" + locale, "LOCPATH=" KV_TEST_LOCALES};
}

bool TestLocaleExists(const std::string& locale, std::string& why) {
    if (std::filesystem::exists(std::string(KV_TEST_LOCALES) + "/" + locale + "/LC_COLLATE")) return true;
    why = locale + " was not compiled into " KV_TEST_LOCALES
                   " (the build does it with localedef from Debian's locales package: make deps)";
    return false;
}
