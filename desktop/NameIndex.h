#pragma once
#include <string>
#include <unordered_map>
#include <vector>

#include "desktop/SyncSide.h"

// The names of one folder listing, looked up without regard to letter case
// as the handheld compares them, so that both sides answer "is it there"
// alike.
class CNameIndex {
public:
    CNameIndex() = default;
    explicit CNameIndex(const std::vector<SideEntry>& entries);
    // Entries whose name equals name ignoring case; more than one is a
    // clash the user has to resolve.
    std::vector<const SideEntry*> Find(const std::string& name) const;
    static std::u16string Key(const std::string& name);

private:
    std::unordered_map<std::u16string, std::vector<const SideEntry*>> m_byKey;
};
