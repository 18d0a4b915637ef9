#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CatalogueTypes.h"
#include "platform/window/WindowMessages.h"

class CCategoryDB;
class CFolderList;
class CImageItem;
class Menu;

// The locations and categories as menu items: one item per choice with
// consecutive command ids from a first id, the choices kept in the same
// order so that a command is read back as the choice it stood for. The ids
// of one menu never reach another's: a menu lists at most MAX_CHOICES, and
// when there are more a greyed last line says how many were left out.
constexpr size_t MAX_MENU_CHOICES = 256;

// Text of the greyed line for choices left out.
std::u16string LeftOutText(size_t leftOut);

class LocationChoices {
public:
    // Inserts the items at `position` (-1: the end); `checkedFor`: the
    // location holding that record is checked.
    void Fill(Menu& menu, int position, UINT firstId, const CFolderList& locations,
              const CImageItem* checkedFor = nullptr);
    // The path of the location the command stands for, or nullptr.
    const std::u16string* PathOf(UINT command) const;
    size_t LeftOut() const { return m_leftOut; }

private:
    UINT m_first = 0;
    std::vector<std::u16string> m_paths;
    size_t m_leftOut = 0;
};

class CategoryChoices {
public:
    // As LocationChoices; `checked`: the category whose item is checked.
    void Fill(Menu& menu, int position, UINT firstId, const CCategoryDB& categories,
              const RecordId* checked = nullptr);
    // The category the command stands for; false when none.
    bool IdOf(UINT command, RecordId& id) const;
    // Whether the checked category had an item.
    bool CheckedListed() const { return m_checkedListed; }
    size_t LeftOut() const { return m_leftOut; }

private:
    UINT m_first = 0;
    std::vector<RecordId> m_ids;
    size_t m_leftOut = 0;
    bool m_checkedListed = false;
};

// The name a category is shown by: its name of at most 64 characters.
std::u16string CategoryShownName(std::u16string_view name);
