#pragma once
#include <string>

#include "catalogue/CatalogueTypes.h"

// A Seconds1904 time as the user's locale writes a short date ("%x") and a
// time of day without seconds (its time format with the seconds taken
// out). Both are empty for 0, the unknown time.
std::u16string ShortDateText(Seconds1904 time);
std::u16string ShortTimeText(Seconds1904 time);
