#pragma once
#include <string>

#include "catalogue/StringTable.h"
#include "platform/window/WindowMessages.h"

// String resources by number.
constexpr UINT IDR_MAINFRAME = STRING_MAINFRAME;
constexpr UINT IDS_TOOLS = STRING_TOOLS;
constexpr UINT IDS_NEW = STRING_NEW;

// Commands of the program (the framework's own are in CommandTarget.h).
constexpr UINT ID_VIEW_PREFERENCES = STRING_VIEW_PREFERENCES;
constexpr UINT ID_SLIDESHOW_PREFERENCES = STRING_SLIDESHOW_PREFERENCES;
constexpr UINT ID_SLIDESHOW = STRING_SLIDESHOW;
constexpr UINT ID_CATEGORIZE_ALL = 32907;
constexpr UINT ID_MOVE_ALL = 32909;
constexpr UINT ID_DELETE_ALL = 32910;
constexpr UINT ID_SET_PASSWORD = 32929;
constexpr UINT ID_TOGGLE_PRIVATE = 32930;
constexpr UINT ID_REFRESH = 32902;
constexpr UINT ID_MODE_LIST = 59410;
constexpr UINT ID_MODE_DETAIL = 32920;
constexpr UINT ID_MODE_THUMBNAIL = 32921;
constexpr UINT ID_MODE_GALLERY = 32922;
constexpr UINT ID_LOCATION_ALL = 32926;
constexpr UINT ID_LOCATION_FIRST = 5000;  // 5000 + position
constexpr UINT ID_LOCATION_LAST = 5256;
constexpr UINT ID_CATEGORY_ALL = 32846;
constexpr UINT ID_CATEGORY_UNFILED = 32847;
constexpr UINT ID_EDIT_CATEGORIES = 32848;
constexpr UINT ID_CATEGORY_FIRST = 4000;  // 4000 + position
constexpr UINT ID_CATEGORY_LAST = 4256;
constexpr UINT ID_IMAGE_DETAILS = 32774;
constexpr UINT ID_IMAGE_NOTE = 32776;
constexpr UINT ID_IMAGE_DELETE = 32787;
constexpr UINT ID_IMAGE_BEAM = 7;
constexpr UINT ID_IMAGE_EMAIL = 32901;
constexpr UINT ID_IMAGE_WALLPAPER = 32905;
constexpr UINT ID_IMAGE_NEXT = 32898;
constexpr UINT ID_IMAGE_PREVIOUS = 32899;
constexpr UINT ID_IMAGE_ZOOM = 32931;
