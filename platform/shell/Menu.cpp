#include "platform/shell/Menu.h"

#include <algorithm>

namespace {
constexpr UINT kNoItem = 0xFFFFFFFF;
constexpr UINT kStoredBits = MF_GRAYED | MF_DISABLED | MF_CHECKED;
}  // namespace

Menu::Menu() = default;
Menu::~Menu() = default;

bool Menu::AppendItem(UINT flags, UINT id, std::u16string_view text) {
    return InsertItem(kNoItem, flags, id, text);
}

bool Menu::AppendSubMenu(std::unique_ptr<Menu> sub, std::u16string_view text, UINT flags) {
    if (!sub || (flags & MF_SEPARATOR) != 0) return false;
    Item item;
    item.state = (flags & kStoredBits) | MF_POPUP;
    item.text = text;
    item.sub = std::move(sub);
    m_items.push_back(std::move(item));
    return true;
}

bool Menu::InsertItem(UINT position, UINT flags, UINT id, std::u16string_view text) {
    // A popup item needs its submenu, which only AppendSubMenu takes.
    if ((flags & MF_POPUP) != 0) return false;
    Item item;
    if ((flags & MF_SEPARATOR) != 0) {
        item.state = MF_SEPARATOR;
    } else {
        item.id = id;
        item.state = flags & kStoredBits;
        item.text = text;
    }
    const size_t at = std::min<size_t>(position, m_items.size());
    m_items.insert(m_items.begin() + ptrdiff_t(at), std::move(item));
    return true;
}

Menu::Item* Menu::Find(UINT item, UINT flags) const {
    auto& items = const_cast<std::vector<Item>&>(m_items);
    if ((flags & MF_BYPOSITION) != 0) return item < items.size() ? &items[item] : nullptr;
    for (Item& it : items) {
        if ((it.state & (MF_POPUP | MF_SEPARATOR)) == 0 && it.id == item) return &it;
    }
    for (Item& it : items) {
        if (!it.sub) continue;
        if (Item* found = it.sub->Find(item, flags)) return found;
    }
    return nullptr;
}

bool Menu::DeleteItem(UINT item, UINT flags) {
    if ((flags & MF_BYPOSITION) != 0) {
        if (item >= m_items.size()) return false;
        m_items.erase(m_items.begin() + ptrdiff_t(item));
        return true;
    }
    for (size_t i = 0; i < m_items.size(); ++i) {
        const Item& it = m_items[i];
        if ((it.state & (MF_POPUP | MF_SEPARATOR)) == 0 && it.id == item) {
            m_items.erase(m_items.begin() + ptrdiff_t(i));
            return true;
        }
    }
    for (Item& it : m_items) {
        if (it.sub && it.sub->DeleteItem(item, flags)) return true;
    }
    return false;
}

void Menu::RemoveAll() { m_items.clear(); }

int Menu::GetItemCount() const { return int(m_items.size()); }

UINT Menu::GetItemId(int position) const {
    if (position < 0 || size_t(position) >= m_items.size()) return kNoItem;
    const Item& it = m_items[size_t(position)];
    if ((it.state & MF_POPUP) != 0) return kNoItem;
    return it.id;
}

Menu* Menu::GetSubMenu(int position) const {
    if (position < 0 || size_t(position) >= m_items.size()) return nullptr;
    return m_items[size_t(position)].sub.get();
}

std::u16string Menu::GetItemText(UINT item, UINT flags) const {
    const Item* it = Find(item, flags);
    return it != nullptr ? it->text : std::u16string();
}

bool Menu::SetItemText(UINT item, UINT flags, std::u16string_view text) {
    Item* it = Find(item, flags);
    if (it == nullptr || (it->state & MF_SEPARATOR) != 0) return false;
    it->text = text;
    return true;
}

int Menu::EnableMenuItem(UINT item, UINT flags) {
    Item* it = Find(item, flags);
    if (it == nullptr) return -1;
    const int previous = int(it->state & (MF_GRAYED | MF_DISABLED));
    it->state = (it->state & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return previous;
}

int Menu::CheckMenuItem(UINT item, UINT flags) {
    Item* it = Find(item, flags);
    if (it == nullptr) return -1;
    const int previous = int(it->state & MF_CHECKED);
    it->state = (it->state & ~MF_CHECKED) | (flags & MF_CHECKED);
    return previous;
}

UINT Menu::GetMenuState(UINT item, UINT flags) const {
    const Item* it = Find(item, flags);
    return it != nullptr ? it->state : kNoItem;
}
