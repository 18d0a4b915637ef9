#pragma once

// What a dialog or message box ended with, and the message box styles that
// both the handheld's boxes and the desktop library's share.
constexpr int IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7;
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_TYPEMASK = 0xF;
constexpr unsigned MB_ICONERROR = 0x10;
