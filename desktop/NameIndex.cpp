#include "desktop/NameIndex.h"

#include "platform/base/Text.h"

CNameIndex::CNameIndex(const std::vector<SideEntry>& entries) {
    for (const SideEntry& e : entries) m_byKey[Key(e.name)].push_back(&e);
}

std::vector<const SideEntry*> CNameIndex::Find(const std::string& name) const {
    auto it = m_byKey.find(Key(name));
    return it == m_byKey.end() ? std::vector<const SideEntry*>() : it->second;
}

std::u16string CNameIndex::Key(const std::string& name) {
    std::u16string key = Utf8ToUtf16(name);
    for (char16_t& c : key) c = FoldCase(c);
    return key;
}
