#include "browser/BrowserPictures.h"

#include "resources/ResourceBitmaps.h"

Bitmap& PlaceholderPicture(bool small) {
    static const std::unique_ptr<Bitmap> large = LoadBitmapResource(IDB_PLACEHOLDER);
    static const std::unique_ptr<Bitmap> little = LoadBitmapResource(IDB_PLACEHOLDER_SMALL);
    return small ? *little : *large;
}

Bitmap& DropDownMark() {
    static const std::unique_ptr<Bitmap> mark = LoadBitmapResource(IDB_DROP_DOWN);
    return *mark;
}

std::unique_ptr<ImageStrip> MakeListSymbols() {
    return std::make_unique<ImageStrip>(LoadBitmapResource(IDB_LIST_IMAGES), LIST_IMAGE_WIDTH,
                                        LIST_IMAGE_WIDTH, 0, 1, LIST_SYMBOL_KEY);
}
