#include "viewer/PictureErrorText.h"

#include <string>

#include "imaging/JpegErrors.h"
#include "platform/base/Text.h"
#include "platform/fonts/DrawText.h"
#include "platform/fonts/SystemFont.h"

namespace {
constexpr int32_t kMargin = 8;
}

std::u16string PictureErrorText(int error) {
    if (error == JPEG_ERR_PROGRESSIVE) return u"Progressive JPEGs not supported";
    return u"There was an error reading the image (" + Utf8ToUtf16(std::to_string(error)) + u").";
}

void DrawPictureError(DeviceContext& dc, const Rect& view, int error) {
    dc.FillSolidRect(view, RGB(255, 255, 255));
    const Font* font = GetUiFont(UiFont::Normal);
    if (!font) return;
    const std::u16string text = PictureErrorText(error);
    const uint32_t format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
    Rect measured{view.left + kMargin, view.top, view.right - kMargin, view.bottom};
    const int32_t height = DrawText(dc, *font, text, measured, format | DT_CALCRECT);
    const int32_t top = view.top + (view.Height() - height) / 2;
    Rect box{view.left + kMargin, top, view.right - kMargin, top + height};
    dc.SetTextColor(RGB(0, 0, 0));
    DrawText(dc, *font, text, box, format);
}
