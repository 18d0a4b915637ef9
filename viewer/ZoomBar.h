#pragma once
#include <memory>
#include <vector>

#include "platform/controls/ScrollBarControl.h"
#include "platform/window/Window.h"

// Controls of the zoom bar.
constexpr int ID_ZOOM_DONE = 2000;
constexpr int ID_ZOOM_FIT = 2001;
constexpr int ID_ZOOM_OUT = 2002;
constexpr int ID_ZOOM_SLIDER = 2003;
constexpr int ID_ZOOM_IN = 2004;
constexpr int ID_ZOOM_ACTUAL = 2005;
// The bar's height; the photo's view loses it while zoomed.
constexpr int32_t ZOOM_BAR_HEIGHT = 28;

// The bar across the bottom of the photo window while zoomed: "Done",
// "Fit", "-", the zoom level as a slider, "+" and "100%". Its buttons'
// commands and the slider's scroll codes go on to the photo window.
class CZoomBar : public Window {
public:
    // Creates the bar, hidden, at the bottom of the parent's client area.
    bool Create(Window& parent);
    // Levels 0 .. count - 1 on the slider.
    void SetLevels(int count, int level);
    ScrollBarControl* Slider() const { return m_slider; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void OnPaint(DeviceContext& dc, const Rect& paint) override;

private:
    void CreateControls();

    std::vector<std::unique_ptr<Window>> m_controls;
    ScrollBarControl* m_slider = nullptr;
};
