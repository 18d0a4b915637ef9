#include "platform/framework/SingleInstanceProtocol.h"

#include <algorithm>

#include "platform/base/WinError.h"
#include "platform/base/ByteOrder.h"

namespace {

constexpr uint8_t MAGIC[4] = {'K', 'V', 'S', 'I'};

uint8_t* PutUnits(uint8_t* p, const std::u16string& text) {
    for (char16_t c : text) {
        *p++ = uint8_t(c);
        *p++ = uint8_t(c >> 8);
    }
    return p;
}

std::u16string GetUnits(const uint8_t* p, size_t count) {
    std::u16string text(count, u'\0');
    for (size_t i = 0; i < count; ++i) text[i] = char16_t(ReadLE16(p + 2 * i));
    return text;
}

}  // namespace

uint32_t EncodeHandOverRequest(const HandOverRequest& request, std::vector<uint8_t>& out) {
    if (request.deviceRoot.size() > HANDOVER_MAX_ROOT ||
        request.programPath.size() > HANDOVER_MAX_PATH ||
        request.commandLine.size() > HANDOVER_MAX_COMMAND_LINE)
        return ERROR_INVALID_PARAMETER;
    const std::string& root = request.deviceRoot;
    out.assign(HANDOVER_HEADER_SIZE + root.size() +
                   2 * (request.programPath.size() + request.commandLine.size()),
               0);
    uint8_t* p = out.data();
    std::copy(MAGIC, MAGIC + 4, p);
    WriteLE32(p + 4, uint32_t(root.size()));
    WriteLE32(p + 8, uint32_t(request.programPath.size()));
    WriteLE32(p + 12, uint32_t(request.commandLine.size()));
    p = std::copy(root.begin(), root.end(), p + HANDOVER_HEADER_SIZE);
    PutUnits(PutUnits(p, request.programPath), request.commandLine);
    return ERROR_SUCCESS;
}

uint32_t ParseHandOverHeader(const uint8_t* header, size_t size, size_t& bodySize) {
    if (size < HANDOVER_HEADER_SIZE) return ERROR_INVALID_DATA;
    for (int i = 0; i < 4; ++i)
        if (header[i] != MAGIC[i]) return ERROR_INVALID_DATA;
    const uint32_t root = ReadLE32(header + 4);
    const uint32_t path = ReadLE32(header + 8);
    const uint32_t command = ReadLE32(header + 12);
    if (root > HANDOVER_MAX_ROOT || path > HANDOVER_MAX_PATH ||
        command > HANDOVER_MAX_COMMAND_LINE)
        return ERROR_INVALID_DATA;
    bodySize = size_t(root) + 2 * size_t(path) + 2 * size_t(command);
    return ERROR_SUCCESS;
}

uint32_t ParseHandOverRequest(const uint8_t* data, size_t size, HandOverRequest& out) {
    size_t bodySize = 0;
    if (const uint32_t error = ParseHandOverHeader(data, size, bodySize)) return error;
    if (size - HANDOVER_HEADER_SIZE != bodySize) return ERROR_INVALID_DATA;
    const size_t root = ReadLE32(data + 4);
    const size_t path = ReadLE32(data + 8);
    const size_t command = ReadLE32(data + 12);
    const uint8_t* p = data + HANDOVER_HEADER_SIZE;
    out.deviceRoot.assign(reinterpret_cast<const char*>(p), root);
    out.programPath = GetUnits(p + root, path);
    out.commandLine = GetUnits(p + root + 2 * path, command);
    return ERROR_SUCCESS;
}
