#pragma once
#include "platform/fonts/Font.h"

// The fonts the controls, menus and bars draw with, made once per process.
enum class UiFont {
    Normal,   // control and menu text
    Bold,     // headings, default buttons, selectors
    Caption,  // the task bar title
};

// Cell heights in pixels, fixed so that layouts are the same everywhere.
constexpr int32_t UI_FONT_HEIGHT = 13;
constexpr int32_t UI_CAPTION_FONT_HEIGHT = 15;

// nullptr only when the DejaVu font files are missing; callers draw no text then.
const Font* GetUiFont(UiFont kind);
