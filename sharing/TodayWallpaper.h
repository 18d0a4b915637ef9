#pragma once
#include <cstdint>
#include <string_view>

class CImageItem;

// The Today screen's background lives in the Windows folder.
inline constexpr std::u16string_view TODAY_WALLPAPER_PATH = u"\\Windows\\tdycust.jpg";

// Copies the photo over the wallpaper (a whole new file or the old one,
// never a torn one), names it in the Today settings when they exist and
// tells every window to reload its settings. A failed copy shows the error
// text and keeps the old wallpaper. 0 or the copy's error number.
uint32_t SetTodayWallpaper(const CImageItem& record);
