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

// View Preferences
constexpr int IDC_SORT_BY = 1000;
constexpr int IDC_SORT_ASCENDING = 1008;
constexpr int IDC_SHOW_LOCATION = 1003;
constexpr int IDC_SHOW_CATEGORY = 1002;
constexpr int IDC_SHOW_SIZE = 1004;
constexpr int IDC_SHOW_DIMENSIONS = 1005;
constexpr int IDC_SHOW_DATE = 1006;
constexpr int IDC_SHOW_NOTE = 1007;
constexpr int IDC_AUTO_ROTATE = 1009;
constexpr int IDC_DEFAULT_VIEWER = 1025;
constexpr int IDC_FOLLOW_CAMERA = 1026;
constexpr int IDC_PREFS_HEADING = 1100;

// Slide Show Preferences
constexpr int IDC_SLIDE_DURATION = 1009;
constexpr int IDC_SLIDE_RANDOM = 1011;

// Image Details
constexpr int IDC_DETAILS_NAME = 1013;
constexpr int IDC_DETAILS_LOCATION = 1014;
constexpr int IDC_DETAILS_CATEGORY = 1002;
constexpr int IDC_DETAILS_RESOLUTION = 1019;
constexpr int IDC_DETAILS_DATE = 1006;
constexpr int IDC_DETAILS_SIZE = 1018;
constexpr int IDC_DETAILS_NOTE = 1007;
constexpr int IDC_DETAILS_DELETE = 1008;
constexpr int IDC_DETAILS_THUMBNAIL = 1028;
constexpr int IDC_DETAILS_PRIVATE = 1035;
constexpr int IDC_DETAILS_HEADING = 1100;
constexpr int IDC_DETAILS_HINT = 1101;

// The result of Image Details when the user confirmed "Delete...".
constexpr int IDD_DETAILS_DELETE = 1008;

// Edit Categories and the category name
constexpr int IDC_CATEGORY_LIST = 1020;
constexpr int IDC_NEW_CATEGORY = 5000;
constexpr int IDC_RENAME_CATEGORY = 3;
constexpr int IDC_DELETE_CATEGORY = 1008;
constexpr int IDC_CATEGORY_NAME = 1013;
constexpr int IDC_CATEGORY_HEADING = 1102;
constexpr int IDC_CATEGORY_HINT = 1103;

// Categorize All and Move All
constexpr int IDC_CATEGORIZE_CATEGORY = 1002;
constexpr int IDC_MOVE_LOCATION = 1027;
