#pragma once
#include <string_view>

// Fixed texts of the system's string table that the catalogue shows.
constexpr std::u16string_view STRING_ALL = u"All";            // 131
constexpr std::u16string_view STRING_UNFILED = u"Unfiled";    // 132
constexpr std::u16string_view STRING_INTERNAL = u"Internal";  // 140

// The program's folder, its own path (as the program knows itself) and the
// category database it keeps there.
constexpr std::u16string_view PROGRAM_FOLDER = u"\\Program Files\\Farrowdale\\Kestrelview";
constexpr std::u16string_view PROGRAM_PATH = u"\\Program Files\\Farrowdale\\Kestrelview\\Kestrelview.exe";
constexpr std::u16string_view CATEGORY_DB_PATH = u"\\Program Files\\Farrowdale\\Kestrelview\\_CategoryDB";

// The main photo folder of internal storage, and of each storage card.
constexpr std::u16string_view MAIN_PHOTO_FOLDER = u"\\My Documents\\Kestrelview";
