#pragma once
#include <string>
#include <string_view>

// Strings in memory are UTF-16; the handheld's ANSI code page is
// Windows-1252; host paths and terminal text are UTF-8.

std::u16string Utf8ToUtf16(std::string_view utf8);  // bad sequences become U+FFFD
std::string Utf16ToUtf8(std::u16string_view text);  // lone surrogates become U+FFFD
// Characters with no Windows-1252 form become '?'.
std::string Utf16ToAnsi(std::u16string_view text);
std::u16string AnsiToUtf16(std::string_view ansi);

char16_t FoldCase(char16_t c);  // lower case for Latin-1, Greek, Cyrillic ...
// Case-insensitive comparison of UTF-16 texts (the handheld's path and
// name comparison): negative, 0 or positive.
int CompareNoCase(std::u16string_view a, std::u16string_view b);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix);
// _stricmp over ANSI bytes: ASCII letters folded, bytes compared unsigned.
int StrICmpAnsi(std::string_view a, std::string_view b);
