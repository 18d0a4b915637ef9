#pragma once
#include <signal.h>
#include <sys/resource.h>

#include <cstdint>

// Makes every write of this process beyond `bytes` into a file fail (EFBIG,
// as a full disk would part way through a write) for the object's lifetime.
// Root is bound by it too, unlike file permissions.
class FileSizeLimit {
public:
    explicit FileSizeLimit(uint64_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousSignal = signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_previous.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        signal(SIGXFSZ, m_previousSignal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_previous{};
    void (*m_previousSignal)(int) = SIG_DFL;
};
