#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/window/WindowMessages.h"

// Keeps one running copy of the program per device folder and program path.
// The first copy holds an exclusive lock on a file and listens on a
// Unix-domain socket beside it, both named from a hash of the device
// folder's host path and the program path ("\" written "/"), in a private
// folder under $XDG_RUNTIME_DIR (else /tmp). The kernel drops the lock when
// a copy dies, so a crashed copy never blocks the next start; the socket
// file it leaves behind is replaced by the next first copy.
//
// A later copy finds the lock held and asks over the socket whether the
// running copy's main window is up; if so, the running copy comes to the
// front and takes the later copy's command line, and the later copy ends.
//
// Answering runs on a listener thread, so that a second copy is answered
// even while the first is busy; the thread touches only the socket, the
// inbox (under a mutex) and the ready flag. The main thread takes the
// waiting requests with TakeRequests.
class SingleInstance {
public:
    SingleInstance(std::string deviceRootHostPath, std::u16string programPath);
    ~SingleInstance();  // releases the lock, closes and removes the socket
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // 0: this is the first copy (lock held, socket listening).
    // ERROR_ALREADY_EXISTS: another copy holds the lock. Any other error:
    // nothing is held, and the caller starts as if no other copy ran.
    uint32_t Acquire();

    // Second copy: up to `attempts` tries, `sleepMs` apart, to reach the
    // running copy's main window. The running copy answers "found" only
    // when its main window is ready and it runs from the same device folder
    // and program path (compared without regard to case); it then comes to
    // the front and, when the command line is not empty, gets it. True when
    // the running copy answered "found".
    bool HandOver(std::u16string_view commandLine, int attempts = 3, uint32_t sleepMs = 1000);

    // First copy, main thread: set once the main window titled
    // "Kestrelview" exists (and cleared before it goes away).
    void SetMainWindowReady(bool ready);
    // First copy, main thread (idle handler and a timer): for each waiting
    // request, bringToFront() then, when its text is not empty, deliver(text).
    void TakeRequests(const std::function<void()>& bringToFront,
                      const std::function<void(std::u16string_view)>& deliver);

    // The wait between attempts; tests replace it to count or act instead
    // of sleeping.
    void SetSleeper(std::function<void(uint32_t ms)> sleeper) { m_sleep = std::move(sleeper); }

    const std::string& LockPath() const { return m_lockPath; }
    const std::string& SocketPath() const { return m_socketPath; }

private:
    uint32_t TakeLock();
    uint32_t Listen();
    void Release();
    void ListenLoop();
    void Answer(int connection);
    bool AskRunningCopy(const std::vector<uint8_t>& request) const;

    std::string m_deviceRoot;
    std::u16string m_programPath;  // "/" form
    std::string m_folder;
    std::string m_lockPath;
    std::string m_socketPath;
    int m_lockFd = -1;
    int m_listenFd = -1;
    int m_wakeFd = -1;
    std::thread m_listener;
    std::atomic<bool> m_ready{false};
    std::mutex m_inboxMutex;
    std::vector<std::u16string> m_inbox;  // command lines, "" = only to the front
    std::function<void(uint32_t)> m_sleep;
};

// The copy-data record the running copy's main window gets for a handed
// over command line: dwData 0, cbData = (characters + 1) * 2 (the
// terminator included), lpData = the text, valid while `text` lives.
COPYDATASTRUCT MakeCommandLineCopyData(const std::u16string& text);
