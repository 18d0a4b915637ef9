#pragma once
#include <string>

// The user's folders by the freedesktop base directory rules: a variable
// counts only when it holds an absolute path.

// $HOME, else the password database's home, else /tmp.
std::string HomeFolder();
// $XDG_CONFIG_HOME, else HOME/.config.
std::string XdgConfigHome();
// $XDG_DATA_HOME, else HOME/.local/share.
std::string XdgDataHome();
