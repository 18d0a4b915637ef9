#include "desktop/SyncSide.h"

#include <unistd.h>

#include <atomic>
#include <new>

#include "platform/base/File.h"

#include "platform/base/WinError.h"

int32_t ISideReader::ReadInto(File& to, uint32_t count, uint32_t& got) {
    got = 0;
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[count]);
    if (!buffer) return static_cast<int32_t>(ERROR_NOT_ENOUGH_MEMORY);
    if (int32_t err = Read(buffer.get(), count, got)) return err;
    uint32_t put = 0;
    if (uint32_t err = to.Write(buffer.get(), got, put)) return static_cast<int32_t>(err);
    return put == got ? 0 : static_cast<int32_t>(ERROR_DISK_FULL);
}

int32_t ISideWriter::WriteFrom(ISideReader& in, uint32_t count, uint32_t& got) {
    got = 0;
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[count]);
    if (!buffer) return static_cast<int32_t>(ERROR_NOT_ENOUGH_MEMORY);
    if (int32_t err = in.Read(buffer.get(), count, got)) return err;
    return Write(buffer.get(), got);
}

int32_t ReadWholeFile(ISyncSide& side, const std::string& path, uint32_t limit, std::vector<uint8_t>& bytes) {
    bytes.clear();
    std::unique_ptr<ISideReader> reader;
    if (int32_t err = side.OpenRead(path, reader)) return err;
    constexpr uint32_t kChunk = 64 * 1024;
    for (;;) {
        size_t at = bytes.size();
        if (at > limit) return static_cast<int32_t>(ERROR_NOT_ENOUGH_MEMORY);
        bytes.resize(at + kChunk);
        uint32_t got = 0;
        int32_t err = reader->Read(bytes.data() + at, kChunk, got);
        bytes.resize(at + got);
        if (err) return err;
        if (got < kChunk) break;
    }
    return bytes.size() > limit ? static_cast<int32_t>(ERROR_NOT_ENOUGH_MEMORY) : 0;
}

int32_t WriteWholeFile(ISyncSide& side, const std::string& path, const std::vector<uint8_t>& bytes) {
    std::string folder = path.substr(0, path.size() - side.NameOf(path).size());
    std::unique_ptr<ISideWriter> writer;
    if (int32_t err = side.CreateTemporary(folder, writer)) return err;
    uint32_t kept = 0;
    int32_t err = writer->Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (err == 0) err = writer->Finish(0, kept);
    std::string temp = writer->Path();
    writer.reset();
    if (err == 0) err = side.Settle(folder);
    if (err == 0) err = side.Replace(temp, path);
    if (err != 0) side.Delete(temp);
    return err;
}

namespace {
constexpr char kTempPrefix[] = "~~KvTempFile~~";
constexpr char kTempSuffix[] = ".~kv";
}  // namespace

std::string TemporaryFileName() {
    static std::atomic<uint32_t> counter{0};
    return kTempPrefix + std::to_string(getpid()) + "-" + std::to_string(++counter) + kTempSuffix;
}

bool IsTemporaryFileName(std::string_view name) {
    return name.size() >= sizeof kTempPrefix + sizeof kTempSuffix - 2 && name.rfind(kTempPrefix, 0) == 0 &&
           name.substr(name.size() - (sizeof kTempSuffix - 1)) == kTempSuffix;
}
