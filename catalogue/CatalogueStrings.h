#pragma once
#include <string_view>

// Fixed texts of the system's string table that the catalogue shows.
constexpr std::u16string_view STRING_ALL = u"All";            // 131
constexpr std::u16string_view STRING_UNFILED = u"Unfiled";    // 132
constexpr std::u16string_view STRING_INTERNAL = u"Internal";  // 140

// The main photo folder of internal storage, and of each storage card.
constexpr std::u16string_view MAIN_PHOTO_FOLDER = u"\\My Documents\\Kestrelview";
