#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class File;

// One side of a synchronisation, the handheld or the desktop, as the engine
// sees it. Paths are UTF-8 in the side's own form (the handheld separates
// with '\', the desktop with '/'); Join builds them. Every call returns 0 or
// a Windows error number (or, for a listing, ERR_LISTING_FAILED).

struct SideEntry {
    std::string name;
    uint32_t time = 0;  // last write as Seconds1904, in the side's own reckoning
    bool isFolder = false;
    // Listed, but neither a file nor a folder that can be read (a broken
    // link, say); error holds why.
    uint32_t error = 0;
};

class ISideReader {
public:
    virtual ~ISideReader() = default;
    // got < count only at the end of the file.
    virtual int32_t Read(void* buffer, uint32_t count, uint32_t& got) = 0;
    // The same read put straight into a desktop file at its position; by
    // default through a buffer.
    virtual int32_t ReadInto(File& to, uint32_t count, uint32_t& got);
};

// A file being written under a temporary name.
class ISideWriter {
public:
    virtual ~ISideWriter() = default;
    // A short write is ERROR_DISK_FULL.
    virtual int32_t Write(const void* data, uint32_t count) = 0;
    // Reads up to count bytes from `in` and writes them (got < count only at
    // the end of `in`); by default through a buffer, a writer that holds a
    // desktop file lets the reader put them in directly.
    virtual int32_t WriteFrom(ISideReader& in, uint32_t count, uint32_t& got);
    // Stamps the last-write time, closes the file and gives back the time
    // the side's file system kept (it may keep times less exactly).
    virtual int32_t Finish(uint32_t time, uint32_t& kept) = 0;
    virtual const std::string& Path() const = 0;
};

class ISyncSide {
public:
    virtual ~ISyncSide() = default;

    virtual std::string Join(std::string_view folder, std::string_view name) const = 0;
    // The name after the last separator.
    virtual std::string NameOf(std::string_view path) const = 0;

    // Every entry directly in the folder. ERROR_PATH_NOT_FOUND when the
    // folder is not there; ERR_LISTING_FAILED when it cannot be read.
    virtual int32_t List(const std::string& folder, std::vector<SideEntry>& entries) = 0;
    // Makes the folder and the ones above it; 0 when it is there already.
    // created tells whether this call made the last level.
    virtual int32_t MakeFolder(const std::string& path, bool* created = nullptr) = 0;

    virtual int32_t OpenRead(const std::string& path, std::unique_ptr<ISideReader>& reader) = 0;
    // A new file under a name of this run's own in the folder.
    virtual int32_t CreateTemporary(const std::string& folder, std::unique_ptr<ISideWriter>& writer) = 0;
    // Puts from in place of to in one step; to need not exist.
    virtual int32_t Replace(const std::string& from, const std::string& to) = 0;
    // Renames without replacing (a name that differs only in letter case
    // names the same file).
    virtual int32_t Rename(const std::string& from, const std::string& to) = 0;
    virtual int32_t Delete(const std::string& path) = 0;
    virtual int32_t SetTime(const std::string& path, uint32_t time) = 0;
    // Makes every file written so far on the side's file system that holds
    // the folder reach the disk: the record of a run must not claim copies
    // that a power cut could still take back.
    virtual int32_t Settle(const std::string& folder) = 0;
    // Holds the folder (the desktop sync folder, the device) for this run
    // alone until the side goes: ERROR_BUSY while another run holds it.
    virtual int32_t Lock(const std::string& folder) = 0;
};

// Reads a whole file of at most limit bytes.
int32_t ReadWholeFile(ISyncSide& side, const std::string& path, uint32_t limit, std::vector<uint8_t>& bytes);
// Writes a temporary file beside path and puts it in path's place.
int32_t WriteWholeFile(ISyncSide& side, const std::string& path, const std::vector<uint8_t>& bytes);

// A temporary file name no other run uses: "~~KvTempFile~~<process>-<n>.~kv".
std::string TemporaryFileName();
bool IsTemporaryFileName(std::string_view name);
