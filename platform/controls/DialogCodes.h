#pragma once
#include "platform/base/DialogResults.h"
#include "platform/window/WindowMessages.h"

// How a control takes part in the dialog's keyboard handling. The dialog
// asks the focused control with WM_GETDLGCODE (wParam: the virtual key,
// lParam: the MSG*) before it acts on Enter, Escape or Tab itself; a control
// that does not answer gets the dialog's handling of every key.
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;   // Enter and Tab go to the control
constexpr LRESULT DLGC_HASSETSEL = 0x0008;     // an edit: select all when focused by the dialog
constexpr LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
constexpr LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;
constexpr LRESULT DLGC_STATIC = 0x0100;
constexpr LRESULT DLGC_BUTTON = 0x2000;
