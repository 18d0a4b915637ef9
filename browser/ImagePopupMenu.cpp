#include "browser/ImagePopupMenu.h"

#include "catalogue/ImageItem.h"
#include "handheld/Strings.h"
#include "platform/shell/Menu.h"
#include "resources/ResourceMenus.h"

namespace {

// The submenu of the popup whose title is `title`.
Menu* SubMenuTitled(Menu& popup, std::u16string_view title) {
    for (int i = 0; i < popup.GetItemCount(); ++i)
        if (Menu* sub = popup.GetSubMenu(i); sub && popup.GetItemText(UINT(i), MF_BYPOSITION) == title)
            return sub;
    return nullptr;
}

}  // namespace

CImagePopupMenu::CImagePopupMenu(const CFolderList& locations, const CCategoryDB& categories)
    : m_folders(locations), m_db(categories) {}

CImagePopupMenu::~CImagePopupMenu() = default;

bool CImagePopupMenu::Build(const CImageItem& record, bool single) {
    m_bar = LoadMenuResource(IDM_IMAGE);
    m_popup = m_bar ? m_bar->GetSubMenu(0) : nullptr;
    if (!m_popup)
        return false;
    if (Menu* location = SubMenuTitled(*m_popup, u"Location")) {
        location->RemoveAll();
        m_locations.Fill(*location, -1, ID_LOCATION_FIRST, m_folders, &record);
    }
    if (Menu* category = SubMenuTitled(*m_popup, u"Category")) {
        // The categories go before "Unfiled", which is checked when the
        // photo's own category has no item.
        const RecordId own = record.GetCategory();
        m_categories.Fill(*category, 0, ID_CATEGORY_FIRST, m_db, &own);
        if (!m_categories.CheckedListed())
            category->CheckMenuItem(ID_CATEGORY_UNFILED, MF_BYCOMMAND | MF_CHECKED);
    }
    if (!single)
        for (UINT id : {ID_IMAGE_NEXT, ID_IMAGE_PREVIOUS, ID_IMAGE_ZOOM})
            m_popup->EnableMenuItem(id, MF_BYCOMMAND | MF_GRAYED);
    return true;
}

UINT CImagePopupMenu::Track(Point screen, HWND owner) {
    if (!m_popup)
        return 0;
    return TrackPopupMenu(*m_popup, TPM_LEFTALIGN | TPM_RETURNCMD, screen.x, screen.y, owner);
}
