#pragma once
#include <memory>

#include "platform/window/WindowMessages.h"

class Menu;

// Menu resources by number. Each is a bar whose popup 0 is the menu the
// screens show (the "Tools" menu of 128, the selectors' popups, the image
// popup); the screens fill in locations and categories when they use them.
constexpr UINT IDM_TOOLS = 128;
constexpr UINT IDM_CATEGORY = 135;
constexpr UINT IDM_DURATION = 145;
constexpr UINT IDM_IMAGE = 153;
constexpr UINT IDM_GRID_CATEGORY = 154;
constexpr UINT IDM_LOCATION = 156;

// Positions of the submenus inside popup 0 of menu 153.
constexpr int IMAGE_MENU_LOCATION_POSITION = 3;
constexpr int IMAGE_MENU_CATEGORY_POSITION = 4;

// A new copy of the menu, or nullptr for a number that names none.
std::unique_ptr<Menu> LoadMenuResource(UINT id);
