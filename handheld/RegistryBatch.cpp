#include "handheld/RegistryBatch.h"

#include "platform/base/Text.h"

namespace {

// The innermost live batch of this thread; each links to the one it hides.
thread_local CRegistryBatch* t_innermost = nullptr;

}  // namespace

CRegistryBatch::CRegistryBatch(HKEY root, std::u16string path)
    : m_root(root), m_path(std::move(path)), m_outer(t_innermost) {
    t_innermost = this;
}

CRegistryBatch::~CRegistryBatch() { Leave(); }

void CRegistryBatch::Leave() {
    if (!m_active) return;
    m_active = false;
    // Batches end in the reverse order they began (they live on the stack).
    if (t_innermost == this) t_innermost = m_outer;
}

uint32_t CRegistryBatch::Commit() {
    Leave();
    if (m_values.empty()) return 0;
    UniqueHKey key;
    if (uint32_t err = RegOpenKeyEx(m_root, m_path, key.Receive())) return err;
    return RegSetValues(key.Get(), m_values);
}

CRegistryBatch* CRegistryBatch::For(HKEY root, std::u16string_view path) {
    for (CRegistryBatch* batch = t_innermost; batch; batch = batch->m_outer)
        if (batch->m_root == root && EqualsNoCase(batch->m_path, path)) return batch;
    return nullptr;
}

const RegistryValue* CRegistryBatch::Find(std::u16string_view name) const {
    for (const RegistryValue& value : m_values)
        if (EqualsNoCase(value.name, name)) return &value;
    return nullptr;
}

void CRegistryBatch::Set(std::u16string_view name, uint32_t type, const void* bytes, uint32_t length) {
    const auto* begin = static_cast<const uint8_t*>(bytes);
    std::vector<uint8_t> data(begin, begin + length);
    for (RegistryValue& value : m_values) {
        if (EqualsNoCase(value.name, name)) {
            value.type = type;
            value.data = std::move(data);
            return;
        }
    }
    m_values.push_back({std::u16string(name), type, std::move(data)});
}
