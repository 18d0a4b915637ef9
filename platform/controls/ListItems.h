#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/window/WindowMessages.h"

// The items of a list box or drop-down list: texts with pointer-sized data,
// and the one selected item, which follows its item when others are added
// or removed before it. Sorted adding orders by the case-insensitive
// comparison; an item equal to others goes after them, so equal texts keep
// the order they were added in.
class ListItems {
public:
    // Index where the text landed.
    int Add(std::u16string_view text, bool sorted);
    // At `index` (-1 = at the end); -1 when the index is past the end.
    int Insert(int index, std::u16string_view text);
    // False for an index out of range. Removing the selected item leaves
    // nothing selected.
    bool Delete(int index);
    void Clear();

    int Count() const { return int(m_items.size()); }
    bool IsValid(int index) const { return index >= 0 && index < Count(); }
    // Empty for an index out of range.
    std::u16string_view Text(int index) const;
    LPARAM Data(int index) const { return IsValid(index) ? m_items[size_t(index)].data : 0; }
    bool SetData(int index, LPARAM data);
    // Copies the text and a terminating zero into `buffer` (which the
    // caller makes large enough); the length, or -1 for a bad index or no
    // buffer.
    int CopyText(int index, char16_t* buffer) const;
    // The first item after `startAfter` whose text equals `text` without
    // regard to case, searching on from the top after the end; -1 = none.
    int FindExact(int startAfter, std::u16string_view text) const;

    int Selection() const { return m_selection; }
    // -1 or an index out of range leaves nothing selected; returns whether
    // an item is selected afterwards.
    bool Select(int index);

private:
    struct Item {
        std::u16string text;
        LPARAM data = 0;
    };
    std::vector<Item> m_items;
    int m_selection = -1;
};

// Text arguments of the list messages: zero-terminated, nullptr = empty.
inline std::u16string_view TextFromLParam(LPARAM l) {
    return l ? std::u16string_view(reinterpret_cast<const char16_t*>(l)) : std::u16string_view();
}

// Index arguments of the list messages arrive as WPARAM; -1 stays -1.
inline int IndexFromWParam(WPARAM w) {
    const intptr_t value = intptr_t(w);
    return value < -1 || value > 0x7FFFFFFF ? -2 : int(value);
}
