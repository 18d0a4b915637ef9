#include "platform/framework/SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/framework/SingleInstanceProtocol.h"
#include "platform/base/Text.h"
#include "platform/base/WinError.h"

namespace {

// Longest a peer may take over one request or answer, so that a stuck or
// hostile peer cannot hold the listener or a starting copy for long.
constexpr int IO_TIMEOUT_MS = 2000;
// Requests waiting for the main thread; a peer that keeps asking while the
// main thread is stuck gets "not found" rather than growing the inbox.
constexpr size_t MAX_WAITING = 16;

uint64_t Fnv1a(std::string_view bytes) {
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::u16string SlashPath(std::u16string path) {
    for (char16_t& c : path)
        if (c == u'\\') c = u'/';
    return path;
}

// $XDG_RUNTIME_DIR/kestrelview, else /tmp/kestrelview-<uid>.
std::string InstanceFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return std::string(runtime) + "/kestrelview";
    return "/tmp/kestrelview-" + std::to_string(getuid());
}

// The folder must be ours and closed to others, since whoever can write
// into it could stand in for the running copy.
uint32_t MakePrivateFolder(const std::string& folder) {
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return WinErrorFromErrno(errno, folder);
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0) return WinErrorFromErrno(errno, folder);
    if (!S_ISDIR(st.st_mode) || st.st_uid != getuid() || (st.st_mode & 077) != 0)
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Waits for `events` on fd until the deadline; false on timeout or error.
bool WaitFor(int fd, short events, int64_t deadline) {
    for (;;) {
        const int64_t left = deadline - NowMs();
        if (left <= 0) return false;
        pollfd p{fd, events, 0};
        const int n = poll(&p, 1, int(left));
        if (n > 0) return (p.revents & (events | POLLHUP)) != 0;
        if (n == 0 || errno != EINTR) return false;
    }
}

bool ReadAll(int fd, uint8_t* data, size_t size, int64_t deadline) {
    while (size > 0) {
        if (!WaitFor(fd, POLLIN, deadline)) return false;
        const ssize_t n = recv(fd, data, size, MSG_DONTWAIT);
        if (n == 0) return false;
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool WriteAll(int fd, const uint8_t* data, size_t size, int64_t deadline) {
    while (size > 0) {
        if (!WaitFor(fd, POLLOUT, deadline)) return false;
        const ssize_t n = send(fd, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return false;
    path.copy(address.sun_path, path.size());
    return true;
}

bool PeerIsSameUser(int connection) {
    ucred cred{};
    socklen_t size = sizeof(cred);
    return getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0 &&
           cred.uid == getuid();
}

void CloseFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

}  // namespace

SingleInstance::SingleInstance(std::string deviceRootHostPath, std::u16string programPath)
    : m_deviceRoot(std::move(deviceRootHostPath)),
      m_programPath(SlashPath(std::move(programPath))),
      m_folder(InstanceFolder()),
      m_sleep([](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }) {
    char name[17];
    const std::string key = m_deviceRoot + '\0' + Utf16ToUtf8(m_programPath);
    std::snprintf(name, sizeof(name), "%016llx", static_cast<unsigned long long>(Fnv1a(key)));
    m_lockPath = m_folder + "/" + name + ".lock";
    m_socketPath = m_folder + "/" + name + ".sock";
}

SingleInstance::~SingleInstance() { Release(); }

uint32_t SingleInstance::Acquire() {
    if (m_lockFd >= 0) return ERROR_SUCCESS;
    if (const uint32_t error = MakePrivateFolder(m_folder)) return error;
    if (const uint32_t error = TakeLock()) return error;
    if (const uint32_t error = Listen()) {
        // A first copy nobody can reach would turn every later copy away
        // for nothing; better to hold nothing and let the next one try.
        Release();
        return error;
    }
    return ERROR_SUCCESS;
}

// The lock file is never removed: removing it while another copy has it
// open but not yet locked would let two copies each lock a file of their own.
uint32_t SingleInstance::TakeLock() {
    m_lockFd = open(m_lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lockFd < 0) return WinErrorFromErrno(errno, m_lockPath);
    if (flock(m_lockFd, LOCK_EX | LOCK_NB) == 0) return ERROR_SUCCESS;
    const int err = errno;
    CloseFd(m_lockFd);
    return err == EWOULDBLOCK ? ERROR_ALREADY_EXISTS : WinErrorFromErrno(err, m_lockPath);
}

// Holding the lock, any socket file there is a leftover of a copy that
// died, so it is replaced.
uint32_t SingleInstance::Listen() {
    sockaddr_un address;
    if (!MakeAddress(m_socketPath, address)) return ERROR_FILENAME_EXCED_RANGE;
    m_listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    m_wakeFd = eventfd(0, EFD_CLOEXEC);
    if (m_listenFd < 0 || m_wakeFd < 0) return WinErrorFromErrno(errno);
    unlink(m_socketPath.c_str());
    if (bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(m_listenFd, 8) != 0)
        return WinErrorFromErrno(errno, m_socketPath);
    m_listener = std::thread([this] { ListenLoop(); });
    return ERROR_SUCCESS;
}

void SingleInstance::Release() {
    if (m_listener.joinable()) {
        const uint64_t one = 1;
        (void)!write(m_wakeFd, &one, sizeof(one));  // cannot fail on a fresh eventfd
        m_listener.join();
    }
    if (m_listenFd >= 0) {
        CloseFd(m_listenFd);
        unlink(m_socketPath.c_str());
    }
    CloseFd(m_wakeFd);
    CloseFd(m_lockFd);
}

void SingleInstance::ListenLoop() {
    for (;;) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0 || (fds[0].revents & (POLLERR | POLLNVAL)) != 0) return;
        if ((fds[0].revents & POLLIN) == 0) continue;
        const int connection = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        Answer(connection);
        close(connection);
    }
}

void SingleInstance::Answer(int connection) {
    if (!PeerIsSameUser(connection)) return;
    const int64_t deadline = NowMs() + IO_TIMEOUT_MS;
    std::vector<uint8_t> data(HANDOVER_HEADER_SIZE);
    size_t bodySize = 0;
    if (!ReadAll(connection, data.data(), data.size(), deadline) ||
        ParseHandOverHeader(data.data(), data.size(), bodySize) != ERROR_SUCCESS)
        return;
    data.resize(HANDOVER_HEADER_SIZE + bodySize);
    HandOverRequest request;
    if (!ReadAll(connection, data.data() + HANDOVER_HEADER_SIZE, bodySize, deadline) ||
        ParseHandOverRequest(data.data(), data.size(), request) != ERROR_SUCCESS)
        return;

    bool found = m_ready.load() && request.deviceRoot == m_deviceRoot &&
                 EqualsNoCase(request.programPath, m_programPath);
    if (found) {
        std::lock_guard<std::mutex> lock(m_inboxMutex);
        found = m_inbox.size() < MAX_WAITING;
        if (found) m_inbox.push_back(std::move(request.commandLine));
    }
    const uint8_t answer = found ? HANDOVER_FOUND : HANDOVER_NOT_FOUND;
    WriteAll(connection, &answer, 1, deadline);
}

// The wait does not lower the thread's priority: a Linux process may
// not raise its priority back afterwards, so only the sleep is kept.
bool SingleInstance::HandOver(std::u16string_view commandLine, int attempts, uint32_t sleepMs) {
    std::vector<uint8_t> request;
    if (EncodeHandOverRequest({m_deviceRoot, m_programPath, std::u16string(commandLine)},
                              request) != ERROR_SUCCESS)
        return false;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0) m_sleep(sleepMs);
        if (AskRunningCopy(request)) return true;
    }
    return false;
}

bool SingleInstance::AskRunningCopy(const std::vector<uint8_t>& request) const {
    sockaddr_un address;
    if (!MakeAddress(m_socketPath, address)) return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const int64_t deadline = NowMs() + IO_TIMEOUT_MS;
    uint8_t answer = HANDOVER_NOT_FOUND;
    const bool asked =
        connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        WriteAll(fd, request.data(), request.size(), deadline) &&
        ReadAll(fd, &answer, 1, deadline);
    close(fd);
    return asked && answer == HANDOVER_FOUND;
}

void SingleInstance::SetMainWindowReady(bool ready) { m_ready.store(ready); }

void SingleInstance::TakeRequests(const std::function<void()>& bringToFront,
                                  const std::function<void(std::u16string_view)>& deliver) {
    std::vector<std::u16string> waiting;
    {
        std::lock_guard<std::mutex> lock(m_inboxMutex);
        waiting.swap(m_inbox);
    }
    for (const std::u16string& text : waiting) {
        if (bringToFront) bringToFront();
        if (!text.empty() && deliver) deliver(text);
    }
}

COPYDATASTRUCT MakeCommandLineCopyData(const std::u16string& text) {
    COPYDATASTRUCT data;
    data.dwData = 0;
    data.cbData = uint32_t((text.size() + 1) * sizeof(char16_t));
    data.lpData = text.c_str();
    return data;
}
