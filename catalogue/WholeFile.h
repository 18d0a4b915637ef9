#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

class DeviceFolder;

// Small stored files (category database, list files) are read and written as
// one block. Both return 0 or a Windows error number.

// Reads the whole file; ERROR_NOT_ENOUGH_MEMORY when it is larger than
// maxSize or cannot be held.
uint32_t ReadWholeFile(const DeviceFolder& device, std::u16string_view path,
                       std::vector<uint8_t>& data, uint64_t maxSize = 64u << 20);

// The name of the temporary file a replacing write goes through.
std::u16string TemporaryNameFor(std::u16string_view path);

// Writes data to the temporary file beside path, flushes it, then puts it in
// place of path in one rename. On any failure path stays as it was and the
// temporary file is removed.
uint32_t WriteWholeFileReplacing(const DeviceFolder& device, std::u16string_view path,
                                 const std::vector<uint8_t>& data);

// When path is missing but a complete temporary file of a replacing write is
// there (another writer may have been stopped before its rename), renames it
// to path. Returns true when it did.
bool RecoverTemporaryFile(const DeviceFolder& device, std::u16string_view path);
