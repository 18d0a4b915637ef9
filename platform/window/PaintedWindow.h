#pragma once
#include "platform/window/Window.h"

class DeviceContext;

// A window that paints every pixel of itself in one go, so it needs no
// separate erase: the paint plumbing lives here, the picture in Paint.
class PaintedWindow : public Window {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    virtual void Paint(DeviceContext& dc) = 0;
    void OnPaint(DeviceContext& dc, const Rect&) final { Paint(dc); }
};
