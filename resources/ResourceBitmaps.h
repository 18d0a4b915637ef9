#pragma once
#include <cstdint>
#include <memory>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Colour.h"
#include "platform/window/WindowMessages.h"

// Bitmap resources by number, drawn by the program itself (32 bits).
//
// 139  list images, 10 x 10 each side by side on the mask colour C0C0C0:
//      0 a note, 1 a storage card
// 154  the 15 x 11 drop-down symbol of the detail layout's location line
// 157  strip of a two-state button, cells 23 x 21 in one row on the key
//      colour red 128, green 128, blue 0, one pixel wider and higher than
//      the cells as the strip is read with cells of (w+1) x (h+1):
//      0 off (a ring), 1 on (a filled disc with a tick)
// 166  48 x 48 placeholder of a thumbnail that cannot be drawn
// 167  36 x 36 placeholder, for the gallery layout
constexpr UINT IDB_LIST_IMAGES = 139;
constexpr UINT IDB_DROP_DOWN = 154;
constexpr UINT IDB_TWO_STATE = 157;
constexpr UINT IDB_PLACEHOLDER = 166;
constexpr UINT IDB_PLACEHOLDER_SMALL = 167;

constexpr int32_t LIST_IMAGE_WIDTH = 10;
constexpr int32_t LIST_IMAGE_NOTE = 0;
constexpr int32_t LIST_IMAGE_CARD = 1;
constexpr COLORREF LIST_IMAGE_MASK = RGB(0xC0, 0xC0, 0xC0);
constexpr int32_t TWO_STATE_CELL_WIDTH = 23;
constexpr int32_t TWO_STATE_CELL_HEIGHT = 21;
constexpr COLORREF TWO_STATE_KEY = RGB(128, 128, 0);

// A new copy of the bitmap, or nullptr for a number that names none (or
// when memory runs out).
std::unique_ptr<Bitmap> LoadBitmapResource(UINT id);
