#include "catalogue/ListFile.h"

#include <algorithm>
#include <new>

#include "catalogue/WholeFile.h"
#include "platform/base/WinError.h"
#include "platform/base/ByteOrder.h"

namespace {
// List files name a folder's images; a few megabytes cover any real one.
constexpr uint64_t kMaxListFileSize = 64u << 20;
}  // namespace

void CListFile::AddEntry(std::unique_ptr<CListEntry> entry) { m_entries.push_back(std::move(entry)); }

void CListFile::SetVersion(uint8_t version) {
    m_header.fill(0);
    m_header[0] = version;
}

uint32_t CListFile::Read(const DeviceFolder& device, std::u16string_view path) {
    m_entries.clear();
    std::vector<uint8_t> data;
    const uint32_t error = ReadWholeFile(device, path, data, kMaxListFileSize);
    if (error != 0) return error;
    return ReadFromMemory(data.data(), data.size());
}

uint32_t CListFile::ReadFromMemory(const uint8_t* data, size_t size) {
    m_entries.clear();
    if (size < LIST_FILE_HEADER_SIZE) return ERROR_INVALID_DATA;
    std::copy(data, data + LIST_FILE_HEADER_SIZE, m_header.begin());
    if (!AcceptVersion(m_header[0])) return ERROR_INVALID_DATA;
    const uint8_t* end = data + size;
    const uint8_t* at = data + LIST_FILE_HEADER_SIZE;
    try {
        while (at < end) {
            std::unique_ptr<CListEntry> entry = CreateEntry();
            at = entry->ReadEntry(at, end, m_header[0]);
            if (!at) break;
            AddEntry(std::move(entry));
        }
    } catch (const std::bad_alloc&) {
        m_entries.clear();
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return 0;
}

std::vector<uint8_t> CListFile::Serialize() const {
    std::vector<uint8_t> out(m_header.begin(), m_header.end());
    for (const auto& entry : m_entries) entry->WriteEntry(out);
    return out;
}

uint32_t CListFile::Write(const DeviceFolder& device, std::u16string_view path) const {
    std::vector<uint8_t> bytes;
    try {
        bytes = Serialize();
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return WriteWholeFileReplacing(device, path, bytes);
}

const uint8_t* ReadUtf16Z(const uint8_t* data, const uint8_t* end, std::u16string& text) {
    text.clear();
    while (end - data >= 2) {
        const char16_t c = static_cast<char16_t>(ReadLE16(data));
        data += 2;
        if (c == 0) return data;
        text += c;
    }
    return nullptr;
}

void WriteUtf16Z(std::vector<uint8_t>& out, std::u16string_view text) {
    for (const char16_t c : text) {
        if (c == 0) break;  // a 0 character would end the name early
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
}
