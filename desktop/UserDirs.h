#pragma once
#include <string>
#include <string_view>

// The documents folder named in a freedesktop user-dirs file
// (XDG_DOCUMENTS_DIR="$HOME/Dokumente", or an absolute path in quotes), ""
// when the text names none or names it in a form not allowed there.
std::string DocumentsFolderFromUserDirs(std::string_view text, const std::string& home);
