#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/gdi/Geometry.h"
#include "platform/window/WindowMessages.h"

// What a menu looked like when it was shown. state: MF_* bits.
struct ShownMenuItem {
    UINT id = 0;
    std::u16string text;
    UINT state = 0;
    std::vector<ShownMenuItem> sub;
};
struct ShownMenu {
    std::vector<ShownMenuItem> items;
    Point anchor;
    UINT flags = 0;
    HWND owner = nullptr;
};
struct ShownMessageBox {
    std::u16string text;
    std::u16string caption;
    UINT type = 0;
};

// Answers and observes modal UI, for tests. Installing one (constructor)
// makes it current until its destructor; they nest, and the previous one
// comes back. Every menu, message box and dialog shown while it is current
// is recorded (menu states as they are after WM_INITMENUPOPUP). When the
// matching callback is set, it answers instead of interactive tracking;
// otherwise tracking runs as usual (scripted input).
class ModalResponder {
public:
    ModalResponder();
    ~ModalResponder();
    ModalResponder(const ModalResponder&) = delete;
    ModalResponder& operator=(const ModalResponder&) = delete;

    static ModalResponder* Current();

    // The command to choose, 0 = dismiss (a greyed or unknown id counts as dismissed).
    std::function<UINT(const ShownMenu&)> onMenu;
    // IDYES / IDNO / IDOK ...
    std::function<int(const ShownMessageBox&)> onMessageBox;
    // Used by the dialog class: fills controls, returns IDOK/IDCANCEL.
    std::function<int(Window& dialog)> onDialog;

    std::vector<ShownMenu> menus;
    std::vector<ShownMessageBox> boxes;
    std::vector<std::u16string> dialogs;  // captions of dialogs shown

private:
    ModalResponder* m_previous = nullptr;
};
