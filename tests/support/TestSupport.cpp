#include "tests/support/TestSupport.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/base/DeviceFolder.h"

namespace stdfs = std::filesystem;

TempDir::TempDir() {
    std::string templ = (stdfs::temp_directory_path() / "kvtest-XXXXXX").string();
    char* made = mkdtemp(templ.data());
    m_path = made ? made : templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Read-only files and folders made by tests must not stop the clean-up.
    for (auto it = stdfs::recursive_directory_iterator(m_path, ec);
         it != stdfs::recursive_directory_iterator(); it.increment(ec)) {
        stdfs::permissions(it->path(), stdfs::perms::owner_all, stdfs::perm_options::add, ec);
    }
    stdfs::remove_all(m_path, ec);
}

TempDevice::TempDevice() : m_previous(DeviceFolder::Current().Root()) {
    DeviceFolder::SetCurrent(m_dir.Path());
}

TempDevice::~TempDevice() { DeviceFolder::SetCurrent(m_previous); }

std::vector<uint8_t> ReadHostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteHostFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    stdfs::create_directories(stdfs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void MakeHostDirs(const std::string& path) { stdfs::create_directories(path); }

std::string CorpusDir() {
    const char* env = std::getenv("KV_CORPUS_DIR");
    std::string dir = env ? env : KV_CORPUS_DIR;
    return stdfs::is_directory(dir) ? dir : std::string();
}

std::string FixturePath(const std::string& name) {
    return std::string(KV_SOURCE_DIR) + "/tests/fixtures/" + name;
}

ScopedTimeZone::ScopedTimeZone(const char* zone) {
    if (const char* previous = std::getenv("TZ")) {
        m_previous = previous;
        m_hadPrevious = true;
    }
    setenv("TZ", zone, 1);
    tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
    if (m_hadPrevious) {
        setenv("TZ", m_previous.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}
