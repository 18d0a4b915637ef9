#pragma once
#include <cstdint>
#include <memory>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Colour.h"
#include "platform/controls/ToolBar.h"

// The program's own pictures, drawn from pixel tables at start-up: the
// tool bar's mode and slide show buttons and the program icon. Pixels of
// the key colour are transparent.

constexpr int32_t TOOLBAR_IMAGE_SIZE = 15;
constexpr int32_t TOOLBAR_IMAGE_COUNT = 7;
constexpr COLORREF TOOLBAR_IMAGE_KEY_COLOUR = TOOLBAR_KEY_COLOUR;
constexpr int32_t PROGRAM_ICON_SIZE = 32;
constexpr COLORREF PROGRAM_ICON_KEY_COLOUR = RGB(255, 0, 255);

// Indexes of the images in the tool bar strip.
enum ToolbarImage : int {
    IMAGE_LIST_VIEW,
    IMAGE_DETAIL_VIEW,
    IMAGE_THUMBNAIL_VIEW,
    IMAGE_GALLERY_VIEW,
    IMAGE_SLIDE_SHOW,
    IMAGE_SLIDE_SHOW_PREFERENCES,
    IMAGE_VIEW_PREFERENCES,
};

// The 7 images side by side: 105 x 15, 32 bits. nullptr when out of memory.
std::unique_ptr<Bitmap> MakeToolbarImages();
// A kestrel's head in a round badge: 32 x 32, 32 bits.
std::unique_ptr<Bitmap> MakeProgramIcon();
