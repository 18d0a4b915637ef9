#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What a second copy of the program asks the running copy over the
// instance socket: "are you the copy of this program on this device
// folder, and if so come to the front and take this command line".
struct HandOverRequest {
    std::string deviceRoot;       // host path of the device folder, UTF-8
    std::u16string programPath;   // the program's own path, "\" written "/"
    std::u16string commandLine;   // may be empty
};

// The request on the wire, little-endian:
//
//   offset  size  field
//   0       4     magic "KVSI"
//   4       4     device root length R in bytes       (at most 4096)
//   8       4     program path length P in UTF-16 units (at most 260)
//   12      4     command line length C in UTF-16 units (at most 32767)
//   16      R     device root, UTF-8
//   16+R    2P    program path
//   16+R+2P 2C    command line
//
// No terminators are sent. The answer is one byte: HANDOVER_FOUND when the
// running copy took the request, HANDOVER_NOT_FOUND otherwise.
constexpr size_t HANDOVER_HEADER_SIZE = 16;
constexpr uint32_t HANDOVER_MAX_ROOT = 4096;
constexpr uint32_t HANDOVER_MAX_PATH = 260;
constexpr uint32_t HANDOVER_MAX_COMMAND_LINE = 32767;
constexpr uint8_t HANDOVER_FOUND = 1;
constexpr uint8_t HANDOVER_NOT_FOUND = 0;

// ERROR_INVALID_PARAMETER when a field is longer than its limit.
uint32_t EncodeHandOverRequest(const HandOverRequest& request, std::vector<uint8_t>& out);
// From the 16 header bytes, the number of bytes that follow; ERROR_INVALID_DATA
// when the magic is wrong or a length is over its limit.
uint32_t ParseHandOverHeader(const uint8_t* header, size_t size, size_t& bodySize);
// A whole request (header and body, nothing more); ERROR_INVALID_DATA when
// it is short, long or lies about a length.
uint32_t ParseHandOverRequest(const uint8_t* data, size_t size, HandOverRequest& out);
