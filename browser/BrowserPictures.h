#pragma once
#include <memory>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Colour.h"
#include "platform/gdi/ImageStrip.h"

// The browser's small pictures, drawn once per process: the photo
// placeholders of the grid, the drop-down mark of the detail cells, and the
// note and storage-card symbols of the list.

// Shown for a photo whose thumbnail is not there (yet): 48 x 48 for the
// thumbnail and detail layouts, 36 x 36 for the gallery.
Bitmap& PlaceholderPicture(bool small);
// The 15 x 11 drop-down mark before the location and category of a detail cell.
Bitmap& DropDownMark();

// Symbols of the list, 10 pixels wide each, the key colour transparent:
// image 0 the note, image 1 the storage card.
constexpr COLORREF LIST_SYMBOL_KEY = RGB(0xC0, 0xC0, 0xC0);
constexpr int LIST_SYMBOL_NOTE = 0;
constexpr int LIST_SYMBOL_CARD = 1;
std::unique_ptr<ImageStrip> MakeListSymbols();
