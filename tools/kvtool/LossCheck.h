#pragma once
#include <string>
#include <string_view>

// Texts kvtool stores are kept in the handheld's ANSI code page
// (Windows-1252), notes with line feeds only and at most 4,095 bytes. What
// would not survive that is named here, so the command can refuse it unless
// asked to go ahead (--force). Each returns "" when nothing is lost.

// Characters with no Windows-1252 form, listed once each.
std::string UnstorableCharacters(std::u16string_view text);
// Why a note would not come back as given: length, characters, or a
// carriage return without a line feed (it is dropped, joining two words).
std::string NoteLoss(std::u16string_view note);
// Why a category name would not come back as given.
std::string NameLoss(std::u16string_view name);
