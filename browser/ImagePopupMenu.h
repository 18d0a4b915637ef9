#pragma once
#include <memory>
#include <string>

#include "browser/ChoiceMenus.h"
#include "platform/gdi/Geometry.h"

class CCategoryDB;
class CFolderList;
class CImageItem;
class Menu;

// The popup menu of one photo (menu 153): its locations to move it to,
// its categories to file it under (its own checked), and what can be done
// to it. Paging and zoom are offered only over the photo shown alone. The
// choice is returned, never sent, so that its ids cannot be taken for the
// selectors' commands.
class CImagePopupMenu {
public:
    CImagePopupMenu(const CFolderList& locations, const CCategoryDB& categories);
    ~CImagePopupMenu();

    bool Build(const CImageItem& record, bool single);
    // The chosen command, 0 when dismissed.
    UINT Track(Point screen, HWND owner);

    Menu* Popup() const { return m_popup; }
    const LocationChoices& Locations() const { return m_locations; }
    const CategoryChoices& Categories() const { return m_categories; }

private:
    const CFolderList& m_folders;
    const CCategoryDB& m_db;
    std::unique_ptr<Menu> m_bar;
    Menu* m_popup = nullptr;
    LocationChoices m_locations;
    CategoryChoices m_categories;
};
