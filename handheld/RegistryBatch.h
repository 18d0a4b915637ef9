#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/Registry.h"

// Gathers what the one-value functions of RegistryKey.h (WriteRegistryDWORD
// and its siblings) write to one key while the batch lives, and writes it
// at Commit in a single save of the hive: a reader, in this process or
// another, sees every change of the batch or none. Reads through those
// functions see the gathered values first, so a read-modify-write of one
// value (a bit of a mask) builds on the batch's own changes. A batch
// dropped without Commit writes nothing. Batches nest: the innermost one
// for the key gathers.
class CRegistryBatch {
public:
    CRegistryBatch(HKEY root, std::u16string path);
    ~CRegistryBatch();
    CRegistryBatch(const CRegistryBatch&) = delete;
    CRegistryBatch& operator=(const CRegistryBatch&) = delete;

    // Opens the key (never creating it) and writes the gathered values; 0,
    // or the registry's error, when nothing is written. Afterwards the batch
    // gathers nothing more and reads go to the registry again.
    uint32_t Commit();

    // The batch gathering writes to root\path on this thread, or nullptr.
    static CRegistryBatch* For(HKEY root, std::u16string_view path);
    const RegistryValue* Find(std::u16string_view name) const;
    void Set(std::u16string_view name, uint32_t type, const void* bytes, uint32_t length);

private:
    void Leave();

    HKEY m_root;
    std::u16string m_path;
    std::vector<RegistryValue> m_values;
    CRegistryBatch* m_outer = nullptr;
    bool m_active = true;
};
