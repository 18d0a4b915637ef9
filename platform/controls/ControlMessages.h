#pragma once
#include <cstdint>

#include "platform/window/WindowMessages.h"

// The message protocol of the standard controls. Every control answers the
// messages of its kind, so that dialogs, data exchange and tests can drive
// a control knowing only its id; the control classes add typed methods on
// top. Texts travel as zero-terminated char16_t* in lParam; item data is
// pointer-sized (LPARAM).

// Class names of the standard controls (see WindowClass.h).
inline constexpr char16_t WC_STATIC[] = u"STATIC";
inline constexpr char16_t WC_BUTTON[] = u"BUTTON";
inline constexpr char16_t WC_EDIT[] = u"EDIT";
inline constexpr char16_t WC_LISTBOX[] = u"LISTBOX";
inline constexpr char16_t WC_COMBOBOX[] = u"COMBOBOX";
inline constexpr char16_t WC_SCROLLBAR[] = u"SCROLLBAR";
inline constexpr char16_t WC_LISTVIEW[] = u"SysListView32";
inline constexpr char16_t WC_HEADER[] = u"SysHeader32";

// WM_COMMAND from a control: wParam = MAKEWPARAM(id, notify code), lParam = the control.
constexpr WPARAM MAKEWPARAM(uint16_t low, uint16_t high) {
    return WPARAM(low) | (WPARAM(high) << 16);
}

// Common style bits.
constexpr uint32_t WS_TABSTOP = 0x00010000;
constexpr uint32_t WS_BORDER = 0x00800000;
constexpr uint32_t WS_VSCROLL = 0x00200000;
constexpr uint32_t WS_HSCROLL = 0x00100000;
constexpr uint32_t WS_GROUP = 0x00020000;

// Static.
constexpr uint32_t SS_LEFT = 0x0;
constexpr uint32_t SS_CENTER = 0x1;
constexpr uint32_t SS_RIGHT = 0x2;
constexpr uint32_t SS_ICON = 0x3;
constexpr uint32_t SS_NOPREFIX = 0x80;

// Button.
constexpr uint32_t BS_PUSHBUTTON = 0x0;
constexpr uint32_t BS_DEFPUSHBUTTON = 0x1;
constexpr uint32_t BS_CHECKBOX = 0x2;
constexpr uint32_t BS_AUTOCHECKBOX = 0x3;
constexpr uint32_t BS_GROUPBOX = 0x7;
constexpr uint32_t BS_OWNERDRAW = 0xB;
constexpr uint32_t BS_TYPEMASK = 0xF;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_GETSTATE = 0x00F2;
constexpr UINT BM_SETSTATE = 0x00F3;
constexpr UINT BM_CLICK = 0x00F5;
constexpr WPARAM BST_UNCHECKED = 0;
constexpr WPARAM BST_CHECKED = 1;
constexpr LRESULT BST_PUSHED = 0x4;
constexpr uint16_t BN_CLICKED = 0;

// Edit.
constexpr uint32_t ES_LEFT = 0x0;
constexpr uint32_t ES_MULTILINE = 0x4;
constexpr uint32_t ES_PASSWORD = 0x20;
constexpr uint32_t ES_AUTOVSCROLL = 0x40;
constexpr uint32_t ES_AUTOHSCROLL = 0x80;
constexpr uint32_t ES_READONLY = 0x800;
constexpr uint32_t ES_WANTRETURN = 0x1000;
constexpr UINT EM_GETSEL = 0x00B0;     // wParam: DWORD* start, lParam: DWORD* end
constexpr UINT EM_SETSEL = 0x00B1;     // wParam start, lParam end (-1 = end of text)
constexpr UINT EM_SCROLLCARET = 0x00B7;
constexpr UINT EM_LIMITTEXT = 0x00C5;  // wParam: most UTF-16 units, 0 = the default
constexpr UINT EM_SETPASSWORDCHAR = 0x00CC;
constexpr UINT EM_GETLIMITTEXT = 0x00D5;
constexpr uint16_t EN_SETFOCUS = 0x0100;
constexpr uint16_t EN_KILLFOCUS = 0x0200;
constexpr uint16_t EN_CHANGE = 0x0300;
constexpr uint16_t EN_MAXTEXT = 0x0501;

// List box.
constexpr uint32_t LBS_NOTIFY = 0x1;
constexpr uint32_t LBS_SORT = 0x2;
constexpr UINT LB_ADDSTRING = 0x0180;     // returns the index (sorted by the locale's case-insensitive order with LBS_SORT)
constexpr UINT LB_INSERTSTRING = 0x0181;  // wParam index (-1 = end)
constexpr UINT LB_DELETESTRING = 0x0182;  // returns the count left
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETCURSEL = 0x0186;     // wParam index, -1 = none
constexpr UINT LB_GETCURSEL = 0x0188;
constexpr UINT LB_GETTEXT = 0x0189;       // wParam index, lParam char16_t* buffer (large enough)
constexpr UINT LB_GETTEXTLEN = 0x018A;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_GETTOPINDEX = 0x018E;
constexpr UINT LB_GETITEMDATA = 0x0199;
constexpr UINT LB_SETITEMDATA = 0x019A;
constexpr UINT LB_FINDSTRINGEXACT = 0x01A2;  // wParam start after (-1 = from the top), lParam text
constexpr LRESULT LB_ERR = -1;
constexpr uint16_t LBN_SELCHANGE = 1;
constexpr uint16_t LBN_DBLCLK = 2;

// Combo box (drop-down list).
constexpr uint32_t CBS_DROPDOWNLIST = 0x3;
constexpr uint32_t CBS_SORT = 0x100;
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_DELETESTRING = 0x0144;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;     // wParam index, lParam char16_t* buffer
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A;  // wParam index (-1 = end)
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_SETCURSEL = 0x014E;     // wParam index, -1 = none
constexpr UINT CB_SHOWDROPDOWN = 0x014F;
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr UINT CB_GETDROPPEDSTATE = 0x0157;
constexpr UINT CB_FINDSTRINGEXACT = 0x0158;
constexpr LRESULT CB_ERR = -1;
constexpr uint16_t CBN_SELCHANGE = 1;
constexpr uint16_t CBN_DROPDOWN = 7;
constexpr uint16_t CBN_CLOSEUP = 8;

// Scroll bar.
constexpr uint32_t SBS_HORZ = 0x0;
constexpr uint32_t SBS_VERT = 0x1;
constexpr UINT SBM_SETPOS = 0x00E0;
constexpr UINT SBM_GETPOS = 0x00E1;
constexpr UINT SBM_SETRANGE = 0x00E2;
constexpr UINT SBM_GETRANGE = 0x00E4;
constexpr UINT SBM_SETSCROLLINFO = 0x00E9;  // wParam redraw, lParam SCROLLINFO*
constexpr UINT SBM_GETSCROLLINFO = 0x00EA;
constexpr UINT SIF_RANGE = 0x1;
constexpr UINT SIF_PAGE = 0x2;
constexpr UINT SIF_POS = 0x4;
constexpr UINT SIF_TRACKPOS = 0x10;
constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
struct SCROLLINFO {
    UINT cbSize = sizeof(SCROLLINFO);
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};
// Scroll codes (low word of wParam of WM_VSCROLL / WM_HSCROLL; the high
// word carries the position for the thumb codes; lParam is the scroll bar).
constexpr uint16_t SB_LINEUP = 0;
constexpr uint16_t SB_LINEDOWN = 1;
constexpr uint16_t SB_PAGEUP = 2;
constexpr uint16_t SB_PAGEDOWN = 3;
constexpr uint16_t SB_THUMBPOSITION = 4;
constexpr uint16_t SB_THUMBTRACK = 5;
constexpr uint16_t SB_TOP = 6;
constexpr uint16_t SB_BOTTOM = 7;
constexpr uint16_t SB_ENDSCROLL = 8;

// Owner drawing (WM_DRAWITEM lParam: DRAWITEMSTRUCT*, WM_MEASUREITEM
// lParam: MEASUREITEMSTRUCT*).
constexpr UINT ODT_BUTTON = 4;
constexpr UINT ODT_LISTVIEW = 102;
constexpr UINT ODA_DRAWENTIRE = 0x1;
constexpr UINT ODA_SELECT = 0x2;
constexpr UINT ODA_FOCUS = 0x4;
constexpr UINT ODS_SELECTED = 0x1;
constexpr UINT ODS_DISABLED = 0x4;
constexpr UINT ODS_FOCUS = 0x10;
struct DRAWITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    int itemID = 0;  // row, -1 for an empty list
    UINT itemAction = 0;
    UINT itemState = 0;
    HWND hwndItem = nullptr;
    DeviceContext* hDC = nullptr;
    Rect rcItem;
    uintptr_t itemData = 0;
};
struct MEASUREITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemWidth = 0;
    UINT itemHeight = 0;
    uintptr_t itemData = 0;
};

// WM_NOTIFY: wParam = control id, lParam = NMHDR* (or a structure starting with one).
struct NMHDR {
    HWND hwndFrom = nullptr;
    uintptr_t idFrom = 0;
    int code = 0;
};
constexpr int NM_CLICK = -2;
constexpr int NM_DBLCLK = -3;
constexpr int NM_RECOGNIZEGESTURE = -16;  // NMRGINFO; answer non-zero when handled
struct NMRGINFO {
    NMHDR hdr;
    Point ptAction;  // screen coordinates
    uint32_t dwItemSpec = 0;
};
