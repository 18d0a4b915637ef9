#include "platform/base/Process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/base/WinError.h"

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Everything exec needs is made before fork: the child may only call
// async-signal-safe functions.
std::vector<char*> ArgumentPointers(const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    for (const std::string& arg : argv) pointers.push_back(const_cast<char*>(arg.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

std::string Resolve(const std::string& program) {
    return program.find('/') != std::string::npos ? program : FindProgram(program);
}

void RedirectToNull(int fd, int flags) {
    const int null = open("/dev/null", flags);
    if (null >= 0) {
        dup2(null, fd);
        if (null != fd) close(null);
    }
}

int WaitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return status;
}

}  // namespace

std::string RunningProgramPath() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, size_t(n)) : std::string();
}

std::string FindProgram(std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos) return {};
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!folders.empty()) {
        const size_t colon = folders.find(':');
        std::string folder(folders.substr(0, colon));
        folders = colon == std::string_view::npos ? std::string_view{} : folders.substr(colon + 1);
        if (folder.empty()) continue;
        std::string candidate = folder + "/" + std::string(name);
        if (IsExecutableFile(candidate)) return candidate;
    }
    return {};
}

uint32_t StartDetached(const std::vector<std::string>& argv) {
    if (argv.empty()) return ERROR_INVALID_PARAMETER;
    const std::string program = Resolve(argv[0]);
    if (program.empty() || !IsExecutableFile(program)) return ERROR_FILE_NOT_FOUND;
    std::vector<char*> args = ArgumentPointers(argv);
    // The middle process ends at once, so the program is nobody's child
    // to wait for.
    const pid_t middle = fork();
    if (middle < 0) return WinErrorFromErrno(errno);
    if (middle == 0) {
        setsid();
        if (fork() != 0) _exit(0);
        RedirectToNull(STDIN_FILENO, O_RDONLY);
        execv(program.c_str(), args.data());
        _exit(127);
    }
    WaitFor(middle);
    return 0;
}

int RunProgram(const std::vector<std::string>& argv, std::string& output, int timeoutMs) {
    output.clear();
    if (argv.empty()) return -1;
    const std::string program = Resolve(argv[0]);
    if (program.empty()) return -1;
    std::vector<char*> args = ArgumentPointers(argv);
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
    const pid_t pid = fork();
    if (pid < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return -1;
    }
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        RedirectToNull(STDIN_FILENO, O_RDONLY);
        execv(program.c_str(), args.data());
        _exit(127);
    }
    close(pipeFds[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool timedOut = false;
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd pfd{pipeFds[0], POLLIN, 0};
        const int ready = poll(&pfd, 1, int(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        output.append(buffer, size_t(n));
    }
    close(pipeFds[0]);
    if (timedOut) kill(pid, SIGKILL);
    const int status = WaitFor(pid);
    if (timedOut || status < 0 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}
