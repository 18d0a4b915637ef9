#include "platform/controls/ListItems.h"

#include <algorithm>

#include "platform/base/Text.h"

int ListItems::Add(std::u16string_view text, bool sorted) {
    if (!sorted)
        return Insert(-1, text);
    // After the last item that does not sort after the new text.
    int index = Count();
    while (index > 0 && CompareNoCase(m_items[size_t(index - 1)].text, text) > 0)
        --index;
    return Insert(index, text);
}

int ListItems::Insert(int index, std::u16string_view text) {
    if (index == -1)
        index = Count();
    if (index < 0 || index > Count())
        return -1;
    m_items.insert(m_items.begin() + index, Item{std::u16string(text), 0});
    if (m_selection >= index)
        ++m_selection;
    return index;
}

bool ListItems::Delete(int index) {
    if (!IsValid(index))
        return false;
    m_items.erase(m_items.begin() + index);
    if (m_selection == index)
        m_selection = -1;
    else if (m_selection > index)
        --m_selection;
    return true;
}

void ListItems::Clear() {
    m_items.clear();
    m_selection = -1;
}

std::u16string_view ListItems::Text(int index) const {
    return IsValid(index) ? std::u16string_view(m_items[size_t(index)].text)
                          : std::u16string_view();
}

bool ListItems::SetData(int index, LPARAM data) {
    if (!IsValid(index))
        return false;
    m_items[size_t(index)].data = data;
    return true;
}

int ListItems::CopyText(int index, char16_t* buffer) const {
    if (!IsValid(index) || !buffer)
        return -1;
    const std::u16string& text = m_items[size_t(index)].text;
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = 0;
    return int(text.size());
}

int ListItems::FindExact(int startAfter, std::u16string_view text) const {
    const int count = Count();
    const int first = IsValid(startAfter) ? startAfter + 1 : 0;
    for (int step = 0; step < count; ++step) {
        const int index = (first + step) % count;
        if (EqualsNoCase(m_items[size_t(index)].text, text))
            return index;
    }
    return -1;
}

bool ListItems::Select(int index) {
    m_selection = IsValid(index) ? index : -1;
    return m_selection != -1;
}
