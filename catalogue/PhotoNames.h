#pragma once
#include <string_view>

// What counts as a photo by its name, on the handheld and in the desktop
// library alike, so that every photo the handheld lists is also one that
// synchronisation copies. The extension is the text after the last dot of
// the file name (after the last backslash of a path), also when the name
// starts with that dot; a name without a dot has none.
std::u16string_view FileNameOf(std::u16string_view path);
std::u16string_view ExtensionOf(std::u16string_view path);
// "jpg" or "jpeg", ignoring case.
bool IsPhotoName(std::u16string_view path);
// "jpg" alone: the desktop sends only these to the handheld.
bool IsJpgName(std::u16string_view path);
