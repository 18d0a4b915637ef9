#pragma once
#include "platform/window/WindowManager.h"

// The program's registered messages. Every unit that uses one registers
// it when first used; the same name gives the same number everywhere,
// also in the desktop library.
inline UINT ImageSelectedMessage() {
    static const UINT id = RegisterWindowMessage(u"WM_Kestrelview_Image_Selected");
    return id;
}
inline UINT ImageExitMessage() {
    static const UINT id = RegisterWindowMessage(u"WM_Kestrelview_Image_Exit");
    return id;
}
inline UINT ConduitNotificationMessage() {
    static const UINT id = RegisterWindowMessage(u"WM_Kestrelview40_ConduitNotification");
    return id;
}
