#include "handheld/RegistryKey.h"

#include <algorithm>
#include <vector>

#include "handheld/RegistryBatch.h"

#include "platform/base/WinError.h"

CRegistryKey::CRegistryKey(HKEY root, std::u16string subKey)
    : m_root(root), m_subKey(std::move(subKey)) {}

CRegistryKey::~CRegistryKey() { Close(); }

void CRegistryKey::SetKey(HKEY root, std::u16string subKey) {
    Close();
    m_root = root;
    m_subKey = std::move(subKey);
}

bool CRegistryKey::Create() {
    Close();
    return m_root && RegCreateKeyEx(m_root, m_subKey, &m_key) == ERROR_SUCCESS;
}

bool CRegistryKey::Open() {
    Close();
    return m_root && RegOpenKeyEx(m_root, m_subKey, &m_key) == ERROR_SUCCESS;
}

void CRegistryKey::Close() {
    if (m_key) RegCloseKey(m_key);
    m_key = nullptr;
}

bool CRegistryKey::SetText(std::u16string_view name, std::u16string_view text) {
    std::u16string terminated(text);
    auto bytes = static_cast<uint32_t>((terminated.size() + 1) * sizeof(char16_t));
    return m_key && RegSetValueEx(m_key, name, REG_SZ, terminated.c_str(), bytes) == ERROR_SUCCESS;
}

bool CRegistryKey::SetDWORD(std::u16string_view name, uint32_t value) {
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                              uint8_t(value >> 24)};
    return m_key && RegSetValueEx(m_key, name, REG_DWORD, bytes, 4) == ERROR_SUCCESS;
}

bool CRegistryKey::SetBinary(std::u16string_view name, const void* bytes, uint32_t length) {
    return m_key && RegSetValueEx(m_key, name, REG_BINARY, bytes, length) == ERROR_SUCCESS;
}

bool CRegistryKey::QueryDWORD(std::u16string_view name, uint32_t& value) const {
    uint8_t bytes[4];
    uint32_t type = REG_NONE;
    uint32_t size = sizeof bytes;
    if (!m_key || RegQueryValueEx(m_key, name, &type, bytes, &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof bytes)
        return false;
    value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
            uint32_t(bytes[3]) << 24;
    return true;
}

bool CRegistryKey::QueryBinary(std::u16string_view name, void* buffer, uint32_t& length) const {
    uint32_t size = length;
    if (!m_key || RegQueryValueEx(m_key, name, nullptr, buffer, &size) != ERROR_SUCCESS)
        return false;
    length = size;
    return true;
}

bool CRegistryKey::QueryText(std::u16string_view name, std::u16string& text) const {
    uint32_t type = REG_NONE;
    uint32_t size = 0;
    if (!m_key || RegQueryValueEx(m_key, name, &type, nullptr, &size) != ERROR_SUCCESS ||
        size == 0 || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::vector<uint8_t> bytes(size);
    if (RegQueryValueEx(m_key, name, &type, bytes.data(), &size) != ERROR_SUCCESS) return false;
    std::u16string result;
    for (size_t i = 0; i + 1 < size; i += 2) {
        char16_t c = char16_t(bytes[i] | bytes[i + 1] << 8);
        if (c == 0) break;
        result.push_back(c);
    }
    text = std::move(result);
    return true;
}

// The one-value functions below read a value that a batch of this thread
// gathered for the key from the batch, and hand writes to it.
namespace {

uint32_t DecodeDWORD(const std::vector<uint8_t>& b) {
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

const RegistryValue* Gathered(HKEY root, std::u16string_view path, std::u16string_view name) {
    const CRegistryBatch* batch = CRegistryBatch::For(root, path);
    return batch ? batch->Find(name) : nullptr;
}

bool Gather(HKEY root, std::u16string_view path, std::u16string_view name, uint32_t type,
            const void* bytes, uint32_t length) {
    CRegistryBatch* batch = CRegistryBatch::For(root, path);
    if (!batch) return false;
    batch->Set(name, type, bytes, length);
    return true;
}

}  // namespace

uint32_t ReadRegistryDWORD(HKEY root, std::u16string_view path, std::u16string_view name,
                           uint32_t defaultValue) {
    if (const RegistryValue* value = Gathered(root, path, name))
        return value->type == REG_DWORD && value->data.size() == 4 ? DecodeDWORD(value->data) : defaultValue;
    CRegistryKey key(root, std::u16string(path));
    uint32_t value = defaultValue;
    if (key.Open()) key.QueryDWORD(name, value);
    return value;
}

bool WriteRegistryDWORD(HKEY root, std::u16string_view path, std::u16string_view name,
                        uint32_t value) {
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                              uint8_t(value >> 24)};
    if (Gather(root, path, name, REG_DWORD, bytes, 4)) return true;
    CRegistryKey key(root, std::u16string(path));
    return key.Open() && key.SetDWORD(name, value);
}

std::u16string ReadRegistryText(HKEY root, std::u16string_view path, std::u16string_view name,
                                std::u16string_view defaultValue) {
    if (const RegistryValue* value = Gathered(root, path, name)) {
        std::u16string text;
        for (size_t i = 0; i + 1 < value->data.size(); i += 2) {
            const char16_t c = char16_t(value->data[i] | value->data[i + 1] << 8);
            if (c == 0) break;
            text.push_back(c);
        }
        return value->type == REG_SZ && !text.empty() ? text : std::u16string(defaultValue);
    }
    CRegistryKey key(root, std::u16string(path));
    std::u16string text(defaultValue);
    if (key.Open()) key.QueryText(name, text);
    return text;
}

bool WriteRegistryText(HKEY root, std::u16string_view path, std::u16string_view name,
                       std::u16string_view text) {
    std::vector<uint8_t> bytes;
    for (const char16_t c : text) {
        bytes.push_back(uint8_t(c));
        bytes.push_back(uint8_t(c >> 8));
    }
    bytes.insert(bytes.end(), {0, 0});
    if (Gather(root, path, name, REG_SZ, bytes.data(), uint32_t(bytes.size()))) return true;
    CRegistryKey key(root, std::u16string(path));
    return key.Open() && key.SetText(name, text);
}

bool ReadRegistryBinary(HKEY root, std::u16string_view path, std::u16string_view name,
                        void* buffer, uint32_t& length) {
    if (const RegistryValue* value = Gathered(root, path, name)) {
        if (value->data.size() > length) return false;
        std::copy(value->data.begin(), value->data.end(), static_cast<uint8_t*>(buffer));
        length = uint32_t(value->data.size());
        return true;
    }
    CRegistryKey key(root, std::u16string(path));
    return key.Open() && key.QueryBinary(name, buffer, length);
}

bool WriteRegistryBinary(HKEY root, std::u16string_view path, std::u16string_view name,
                         const void* bytes, uint32_t length) {
    if (Gather(root, path, name, REG_BINARY, bytes, length)) return true;
    CRegistryKey key(root, std::u16string(path));
    return key.Open() && key.SetBinary(name, bytes, length);
}
