#include "platform/PaintedWindow.h"

#include "platform/WindowManager.h"

LRESULT PaintedWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (DeviceContext* dc = BeginPaint(this, ps)) {
            Paint(*dc);
            EndPaint(this, ps);
        }
        return 0;
    }
    default:
        return DefWindowProc(message, wParam, lParam);
    }
}
