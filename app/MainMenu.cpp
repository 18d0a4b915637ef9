#include "app/MainMenu.h"

#include "handheld/Strings.h"
#include "platform/framework/CommandTarget.h"
#include "platform/shell/Menu.h"

std::unique_ptr<Menu> LoadMainMenu() {
    auto tools = std::make_unique<Menu>();
    tools->AppendItem(MF_STRING, ID_VIEW_PREFERENCES, u"Preferences...");
    tools->AppendItem(MF_STRING, ID_SLIDESHOW_PREFERENCES, u"Slideshow Preferences...");
    tools->AppendItem(MF_STRING, ID_SLIDESHOW, u"Slideshow");
    tools->AppendItem(MF_SEPARATOR, 0, u"");
    tools->AppendItem(MF_STRING, ID_CATEGORIZE_ALL, u"Categorize All...");
    tools->AppendItem(MF_STRING, ID_MOVE_ALL, u"Move All...");
    tools->AppendItem(MF_STRING, ID_DELETE_ALL, u"Delete All...");
    tools->AppendItem(MF_SEPARATOR, 0, u"");
    tools->AppendItem(MF_STRING, ID_SET_PASSWORD, u"Set Password...");
    tools->AppendItem(MF_STRING, ID_TOGGLE_PRIVATE, u"Show Private Images");
    tools->AppendItem(MF_STRING, ID_REFRESH, u"Refresh");
    tools->AppendItem(MF_SEPARATOR, 0, u"");
    tools->AppendItem(MF_STRING, ID_APP_ABOUT, u"About Kestrelview...");
    tools->AppendItem(MF_STRING, ID_APP_EXIT, u"Exit");
    auto menu = std::make_unique<Menu>();
    menu->AppendSubMenu(std::move(tools), LoadString(IDS_TOOLS));
    return menu;
}
