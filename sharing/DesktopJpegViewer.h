#pragma once
#include <cstdint>
#include <string>

// The desktop user's JPEG viewer, by the freedesktop rules (xdg-mime and
// the MIME applications lists). Turning this program on remembers the
// viewer before it; turning it off gives that one back.

inline constexpr char DESKTOP_ENTRY_NAME[] = "kestrelview.desktop";

// The desktop entry that starts `programPath` with a file.
std::string DesktopEntryText(const std::string& programPath);

// 0, or ERROR_FILE_NOT_FOUND when xdg-mime is not installed, or the error
// of writing the entry or the remembered viewer.
uint32_t SetDesktopJpegViewer(bool on, const std::string& programPath);

// What xdg-mime answers for image/jpeg; "" when nothing or no xdg-mime.
std::string DesktopJpegViewer();
