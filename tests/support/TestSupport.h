#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A fresh temporary folder, removed with everything in it at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// A temporary device folder made current for the test's lifetime; the
// previous current device folder is restored afterwards.
class TempDevice {
public:
    TempDevice();
    ~TempDevice();
    const std::string& Root() const { return m_dir.Path(); }
    // Host path of a handheld-relative path written with '/'.
    std::string Host(const std::string& relative) const { return m_dir / relative; }

private:
    TempDir m_dir;
    std::string m_previous;
};

std::vector<uint8_t> ReadHostFile(const std::string& path);
void WriteHostFile(const std::string& path, const std::vector<uint8_t>& bytes);
void MakeHostDirs(const std::string& path);

// The shared corpus folder of real-world JPEG files, or "" when it is absent.
std::string CorpusDir();
// A file under tests/fixtures of the source tree.
std::string FixturePath(const std::string& name);

// Sets the local time zone (TZ) for the object's lifetime.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();

private:
    std::string m_previous;
    bool m_hadPrevious = false;
};
