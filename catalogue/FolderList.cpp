#include "catalogue/FolderList.h"

#include <algorithm>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/CatalogueTypes.h"
#include "platform/base/Text.h"

void CFolderList::Add(std::u16string_view path, std::u16string_view name, bool removable) {
    if (Find(path)) return;
    auto item = std::make_unique<CFolderItem>(path, name, removable);
    if (removable) {
        m_items.push_back(std::move(item));
    } else {
        m_items.push_front(std::move(item));
    }
}

bool CFolderList::Remove(std::u16string_view path) {
    const auto it = std::find_if(m_items.begin(), m_items.end(),
                                 [&](const auto& item) { return EqualsNoCase(item->GetPath(), path); });
    if (it == m_items.end()) return false;
    m_items.erase(it);
    return true;
}

bool CFolderList::Contains(std::u16string_view path) const {
    return std::any_of(m_items.begin(), m_items.end(),
                       [&](const auto& item) { return StartsWithNoCase(path, item->GetPath()); });
}

const CFolderItem* CFolderList::Find(std::u16string_view path) const {
    for (const auto& item : m_items) {
        if (EqualsNoCase(item->GetPath(), path)) return item.get();
    }
    return nullptr;
}

std::u16string CFolderList::ImageFolderOf(const CFolderItem& location) {
    if (EqualsNoCase(location.GetPath(), MAIN_PHOTO_FOLDER)) return location.GetPath();
    return JoinPath(location.GetPath(), MAIN_PHOTO_FOLDER);
}
