#include "browser/ChoiceMenus.h"

#include <string>

#include "catalogue/CategoryDB.h"
#include "catalogue/FolderList.h"
#include "catalogue/ImageItem.h"
#include "platform/base/Text.h"
#include "platform/shell/Menu.h"

namespace {

constexpr size_t MAX_CATEGORY_NAME = 64;

// Inserts at a position, or appends; returns the next position.
int Put(Menu& menu, int position, UINT flags, UINT id, std::u16string_view text) {
    if (position < 0) {
        menu.AppendItem(flags, id, text);
        return -1;
    }
    menu.InsertItem(UINT(position), flags, id, text);
    return position + 1;
}

}  // namespace

std::u16string LeftOutText(size_t leftOut) {
    return u"(" + Utf8ToUtf16(std::to_string(leftOut)) + u" more not listed)";
}

std::u16string CategoryShownName(std::u16string_view name) {
    return std::u16string(name.substr(0, MAX_CATEGORY_NAME));
}

// The location a record lies in is the one with the longest path holding
// it, so that a card's folder is not taken for a shorter one.
void LocationChoices::Fill(Menu& menu, int position, UINT firstId, const CFolderList& locations,
                           const CImageItem* checkedFor) {
    m_first = firstId;
    m_paths.clear();
    m_leftOut = 0;
    const CFolderItem* own = nullptr;
    if (checkedFor)
        for (const auto& item : locations.GetItems())
            if (checkedFor->IsUnder(item->GetPath()) && (!own || item->GetPath().size() > own->GetPath().size()))
                own = item.get();
    for (const auto& item : locations.GetItems()) {
        if (m_paths.size() == MAX_MENU_CHOICES) {
            ++m_leftOut;
            continue;
        }
        const UINT check = item.get() == own ? MF_CHECKED : 0;
        position = Put(menu, position, MF_STRING | check, firstId + UINT(m_paths.size()), item->GetName());
        m_paths.push_back(item->GetPath());
    }
    if (m_leftOut)
        Put(menu, position, MF_STRING | MF_GRAYED, 0, LeftOutText(m_leftOut));
}

const std::u16string* LocationChoices::PathOf(UINT command) const {
    if (command < m_first || command - m_first >= m_paths.size())
        return nullptr;
    return &m_paths[command - m_first];
}

void CategoryChoices::Fill(Menu& menu, int position, UINT firstId, const CCategoryDB& categories,
                           const RecordId* checked) {
    m_first = firstId;
    m_ids.clear();
    m_leftOut = 0;
    m_checkedListed = false;
    for (size_t i = 0; i < categories.Count(); ++i) {
        const CategoryRecord category = categories.RecordAt(i);
        if (!category.IsLive())
            continue;
        if (m_ids.size() == MAX_MENU_CHOICES) {
            ++m_leftOut;
            continue;
        }
        const bool isChecked = checked && *checked == category.id;
        m_checkedListed = m_checkedListed || isChecked;
        position = Put(menu, position, MF_STRING | (isChecked ? MF_CHECKED : 0), firstId + UINT(m_ids.size()),
                       CategoryShownName(category.Name()));
        m_ids.push_back(category.id);
    }
    if (m_leftOut)
        Put(menu, position, MF_STRING | MF_GRAYED, 0, LeftOutText(m_leftOut));
}

bool CategoryChoices::IdOf(UINT command, RecordId& id) const {
    if (command < m_first || command - m_first >= m_ids.size())
        return false;
    id = m_ids[command - m_first];
    return true;
}
