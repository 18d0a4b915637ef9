#pragma once
#include <string>
#include <string_view>

// Names, locations and categories are ordered the way the user's language
// orders them (the C library's collation for LC_COLLATE), letter case aside:
// "Émile" comes between "eb" and "zoo" under a French or German locale.
// The program and kvtool select the user's collation at start; the "C"
// locale orders by code point.

// A key whose plain comparison gives that order; equal for texts that differ
// only in letter case, so a stable sort keeps their order.
std::wstring UserSortKey(std::u16string_view text);
// Negative, 0 or positive, by the same order.
int CompareForUser(std::u16string_view a, std::u16string_view b);
// Makes the user's collation (from LC_ALL, LC_COLLATE or LANG) the one used.
void UseUserCollation();
