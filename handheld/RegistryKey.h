#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry/Registry.h"

// One registry key below a predefined root: opened or created on demand,
// closed by Close or at destruction. Every operation returns true on
// success; a failed query leaves its out value as it was.
class CRegistryKey {
public:
    CRegistryKey() = default;
    CRegistryKey(HKEY root, std::u16string subKey);
    virtual ~CRegistryKey();
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // Names another key; an open key is closed first.
    void SetKey(HKEY root, std::u16string subKey);

    // Create makes the key and its missing parents; Open needs it to exist.
    bool Create();
    bool Open();
    void Close();
    bool IsOpen() const { return m_key != nullptr; }

    bool SetText(std::u16string_view name, std::u16string_view text);
    bool SetDWORD(std::u16string_view name, uint32_t value);
    bool SetBinary(std::u16string_view name, const void* bytes, uint32_t length);

    // A DWORD value of exactly four bytes.
    bool QueryDWORD(std::u16string_view name, uint32_t& value) const;
    // length: the buffer's size in, the value's size out; fails when the
    // value is larger than the buffer.
    bool QueryBinary(std::u16string_view name, void* buffer, uint32_t& length) const;
    // A text value up to its terminating zero; an absent value, an empty
    // value (no bytes at all) or one of another type leaves text unchanged.
    bool QueryText(std::u16string_view name, std::u16string& text) const;

private:
    HKEY m_root = nullptr;
    HKEY m_key = nullptr;
    std::u16string m_subKey;
};

// One value operation on the key root\path, opened for it and closed after.
// Writes open the key and never create it: a write to a missing key is
// dropped (and reported as false).
uint32_t ReadRegistryDWORD(HKEY root, std::u16string_view path, std::u16string_view name,
                           uint32_t defaultValue);
bool WriteRegistryDWORD(HKEY root, std::u16string_view path, std::u16string_view name,
                        uint32_t value);
std::u16string ReadRegistryText(HKEY root, std::u16string_view path, std::u16string_view name,
                                std::u16string_view defaultValue);
bool WriteRegistryText(HKEY root, std::u16string_view path, std::u16string_view name,
                       std::u16string_view text);
// length: the buffer's size in, the bytes read out.
bool ReadRegistryBinary(HKEY root, std::u16string_view path, std::u16string_view name,
                        void* buffer, uint32_t& length);
bool WriteRegistryBinary(HKEY root, std::u16string_view path, std::u16string_view name,
                         const void* bytes, uint32_t length);
