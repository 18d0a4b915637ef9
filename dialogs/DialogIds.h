#pragma once

// Control ids of the program's dialogs.
constexpr int IDC_STATIC_TEXT = -1;
constexpr int IDC_PASSWORD = 1030;          // Get Password
constexpr int IDC_CURRENT_PASSWORD = 1031;  // Set Password
constexpr int IDC_NEW_PASSWORD = 5000;
constexpr int IDC_CONFIRM_PASSWORD = 1033;

// Longest password the dialogs let the user type.
constexpr int PASSWORD_MAX_CHARS = 20;

// Note
constexpr int IDC_NOTE = 1007;
constexpr int IDC_NOTE_HEADING = 1100;
constexpr int IDC_NOTE_HINT = 1101;
