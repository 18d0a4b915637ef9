#include "platform/fonts/SystemFont.h"

#include <memory>

const Font* GetUiFont(UiFont kind) {
    static const std::unique_ptr<Font> normal = Font::Create(UI_FONT_HEIGHT, FW_NORMAL);
    static const std::unique_ptr<Font> bold = Font::Create(UI_FONT_HEIGHT, FW_BOLD);
    static const std::unique_ptr<Font> caption = Font::Create(UI_CAPTION_FONT_HEIGHT, FW_BOLD);
    switch (kind) {
    case UiFont::Bold: return bold.get();
    case UiFont::Caption: return caption.get();
    case UiFont::Normal:
    default: return normal.get();
    }
}
