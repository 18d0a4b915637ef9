#include "resources/ResourceMenus.h"

#include "handheld/Strings.h"
#include "platform/framework/CommandTarget.h"
#include "platform/shell/Menu.h"

namespace {

std::unique_ptr<Menu> Bar(std::unique_ptr<Menu> popup, std::u16string_view caption) {
    auto bar = std::make_unique<Menu>();
    bar->AppendSubMenu(std::move(popup), caption);
    return bar;
}

void Separator(Menu& menu) { menu.AppendItem(MF_SEPARATOR, 0, u""); }

std::unique_ptr<Menu> ToolsMenu() {
    auto tools = std::make_unique<Menu>();
    tools->AppendItem(MF_STRING, ID_VIEW_PREFERENCES, u"Preferences...");
    tools->AppendItem(MF_STRING, ID_SLIDESHOW_PREFERENCES, u"Slideshow Preferences...");
    tools->AppendItem(MF_STRING, ID_SLIDESHOW, u"Slideshow");
    Separator(*tools);
    tools->AppendItem(MF_STRING, ID_CATEGORIZE_ALL, u"Categorize All...");
    tools->AppendItem(MF_STRING, ID_MOVE_ALL, u"Move All...");
    tools->AppendItem(MF_STRING, ID_DELETE_ALL, u"Delete All...");
    Separator(*tools);
    tools->AppendItem(MF_STRING, ID_SET_PASSWORD, u"Set Password...");
    tools->AppendItem(MF_STRING, ID_TOGGLE_PRIVATE, u"Show Private Images");
    tools->AppendItem(MF_STRING, ID_REFRESH, u"Refresh");
    Separator(*tools);
    tools->AppendItem(MF_STRING, ID_APP_ABOUT, u"About Kestrelview...");
    tools->AppendItem(MF_STRING, ID_APP_EXIT, u"Exit");
    return Bar(std::move(tools), LoadString(IDS_TOOLS));
}

// Categories go in after "All" as 4000 + position.
std::unique_ptr<Menu> CategoryMenu() {
    auto popup = std::make_unique<Menu>();
    popup->AppendItem(MF_STRING, ID_CATEGORY_ALL, u"All");
    popup->AppendItem(MF_STRING, ID_CATEGORY_UNFILED, u"Unfiled");
    popup->AppendItem(MF_STRING, ID_EDIT_CATEGORIES, u"Edit Categories...");
    return Bar(std::move(popup), u"Category");
}

std::unique_ptr<Menu> DurationMenu() {
    auto popup = std::make_unique<Menu>();
    popup->AppendItem(MF_STRING, 32878, u"Test1");
    return Bar(std::move(popup), u"Duration");
}

// The image popup: what can be done to one image, then its location and
// category as submenus (filled at use; categories go before "Unfiled"),
// sending it away, and the single image's paging and zoom.
std::unique_ptr<Menu> ImageMenu() {
    auto popup = std::make_unique<Menu>();
    popup->AppendItem(MF_STRING, ID_IMAGE_DETAILS, u"Details");
    popup->AppendItem(MF_STRING, ID_IMAGE_NOTE, u"Note");
    Separator(*popup);
    popup->AppendSubMenu(std::make_unique<Menu>(), u"Location");
    auto category = std::make_unique<Menu>();
    category->AppendItem(MF_STRING, ID_CATEGORY_UNFILED, u"Unfiled");
    popup->AppendSubMenu(std::move(category), u"Category");
    popup->AppendItem(MF_STRING, ID_IMAGE_DELETE, u"Delete");
    Separator(*popup);
    popup->AppendItem(MF_STRING, ID_IMAGE_BEAM, u"Beam");
    popup->AppendItem(MF_STRING, ID_IMAGE_EMAIL, u"Send via Email...");
    popup->AppendItem(MF_STRING, ID_IMAGE_WALLPAPER, u"Set as Today Wallpaper");
    Separator(*popup);
    popup->AppendItem(MF_STRING, ID_IMAGE_NEXT, u"Next");
    popup->AppendItem(MF_STRING, ID_IMAGE_PREVIOUS, u"Previous");
    popup->AppendItem(MF_STRING, ID_IMAGE_ZOOM, u"Zoom");
    return Bar(std::move(popup), u"");
}

// The grid's category popup: the categories go in before "Unfiled".
std::unique_ptr<Menu> GridCategoryMenu() {
    auto popup = std::make_unique<Menu>();
    popup->AppendItem(MF_STRING, ID_CATEGORY_UNFILED, u"Unfiled");
    return Bar(std::move(popup), u"Category");
}

// Locations go in after "All" as 5000 + position.
std::unique_ptr<Menu> LocationMenu() {
    auto popup = std::make_unique<Menu>();
    popup->AppendItem(MF_STRING, ID_LOCATION_ALL, u"All");
    return Bar(std::move(popup), u"Location");
}

}  // namespace

std::unique_ptr<Menu> LoadMenuResource(UINT id) {
    switch (id) {
    case IDM_TOOLS: return ToolsMenu();
    case IDM_CATEGORY: return CategoryMenu();
    case IDM_DURATION: return DurationMenu();
    case IDM_IMAGE: return ImageMenu();
    case IDM_GRID_CATEGORY: return GridCategoryMenu();
    case IDM_LOCATION: return LocationMenu();
    default: return nullptr;
    }
}
