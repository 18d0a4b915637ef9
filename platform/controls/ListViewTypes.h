#pragma once
#include <cstdint>
#include <string>

#include "platform/controls/ControlMessages.h"

// Constants and notification records of the report list control and its
// header. Notifications reach the parent as WM_NOTIFY (wParam the control
// id, lParam a pointer to the record, valid only during the call).

// List styles (low word of the window style). The list is always a report
// view with owner-drawn fixed rows selected over their whole width.
constexpr uint32_t LVS_REPORT = 0x0001;
constexpr uint32_t LVS_SINGLESEL = 0x0004;
constexpr uint32_t LVS_SHOWSELALWAYS = 0x0008;
constexpr uint32_t LVS_OWNERDRAWFIXED = 0x0400;

// Row states.
constexpr UINT LVIS_FOCUSED = 0x0001;
constexpr UINT LVIS_SELECTED = 0x0002;

// GetNextItem flags.
constexpr int LVNI_ALL = 0x0000;
constexpr int LVNI_FOCUSED = 0x0001;
constexpr int LVNI_SELECTED = 0x0002;

// Which part of a row GetItemRect gives; a report row has one rectangle.
constexpr int LVIR_BOUNDS = 0;

// NMLISTVIEW::uChanged.
constexpr UINT LVIF_STATE = 0x0008;

// Column formats; the list passes them to the header as they are.
constexpr int LVCFMT_LEFT = 0x0000;
constexpr int LVCFMT_RIGHT = 0x0001;
constexpr int LVCFMT_CENTER = 0x0002;
constexpr int LVCFMT_JUSTIFYMASK = 0x0003;
constexpr int LVCFMT_IMAGE = 0x0800;

// Header item formats.
constexpr int HDF_LEFT = 0x0000;
constexpr int HDF_RIGHT = 0x0001;
constexpr int HDF_CENTER = 0x0002;
constexpr int HDF_JUSTIFYMASK = 0x0003;
constexpr int HDF_IMAGE = 0x0800;
constexpr int HDF_STRING = 0x4000;

// HDITEM::mask: which fields a get or set concerns.
constexpr UINT HDI_WIDTH = 0x0001;
constexpr UINT HDI_TEXT = 0x0002;
constexpr UINT HDI_FORMAT = 0x0004;
constexpr UINT HDI_LPARAM = 0x0008;
constexpr UINT HDI_IMAGE = 0x0020;
constexpr UINT HDI_ALL = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_LPARAM | HDI_IMAGE;

struct HDITEM {
    UINT mask = 0;
    int cxy = 0;  // width in pixels
    std::u16string text;
    int fmt = HDF_LEFT;
    LPARAM lParam = 0;
    int iImage = -1;
};

// Header messages, for callers that know only the window.
constexpr UINT HDM_GETITEMCOUNT = 0x1200;
constexpr UINT HDM_DELETEITEM = 0x1202;      // wParam index
constexpr UINT HDM_GETITEMRECT = 0x1207;     // wParam index, lParam Rect*
constexpr UINT HDM_SETIMAGELIST = 0x1208;    // lParam const ImageStrip*; returns the previous one
constexpr UINT HDM_GETIMAGELIST = 0x1209;
constexpr UINT HDM_INSERTITEM = 0x120A;      // wParam index, lParam const HDITEM*; returns the index or -1
constexpr UINT HDM_GETITEM = 0x120B;         // wParam index, lParam HDITEM* (mask says what to fill)
constexpr UINT HDM_SETITEM = 0x120C;         // wParam index, lParam const HDITEM*

// List notifications.
constexpr int LVN_ITEMCHANGED = -101;
constexpr int LVN_BEGINDRAG = -109;

// Header notifications (the list passes its header's on to its own parent).
constexpr int HDN_ITEMCHANGED = -321;
constexpr int HDN_ITEMCLICK = -322;
constexpr int HDN_BEGINTRACK = -326;  // answer non-zero to refuse the resize
constexpr int HDN_ENDTRACK = -327;
constexpr int HDN_TRACK = -328;

// LVN_ITEMCHANGED and LVN_BEGINDRAG.
struct NMLISTVIEW {
    NMHDR hdr;
    int iItem = -1;
    int iSubItem = 0;
    UINT uNewState = 0;
    UINT uOldState = 0;
    UINT uChanged = 0;
    Point ptAction;  // client coordinates of the list
    LPARAM lParam = 0;
};

// NM_CLICK and NM_DBLCLK.
struct NMITEMACTIVATE {
    NMHDR hdr;
    int iItem = -1;  // row under the stylus, -1 for none
    int iSubItem = 0;
    UINT uNewState = 0;
    UINT uOldState = 0;
    UINT uChanged = 0;
    Point ptAction;  // client coordinates of the list
    LPARAM lParam = 0;
    UINT uKeyFlags = 0;
};

// Every header notification.
struct NMHEADER {
    NMHDR hdr;
    int iItem = -1;
    int iButton = 0;
    const HDITEM* pitem = nullptr;  // the item's current fields (HDI_ALL)
};
