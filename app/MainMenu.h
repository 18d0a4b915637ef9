#pragma once
#include <memory>

class Menu;

// Menu 128: one popup, "Tools", with every command of the menu bar.
std::unique_ptr<Menu> LoadMainMenu();
