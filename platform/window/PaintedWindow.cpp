#include "platform/window/PaintedWindow.h"

LRESULT PaintedWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND)
        return 1;
    return DefWindowProc(message, wParam, lParam);
}
