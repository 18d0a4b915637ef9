#include "viewer/ZoomBar.h"

#include "platform/controls/ButtonControl.h"
#include "platform/controls/ControlMessages.h"
#include "platform/controls/StandardControls.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/window/WindowClass.h"
#include "platform/window/WindowManager.h"

namespace {

struct ZoomControl {
    int id;
    const char16_t* className;
    const char16_t* text;
    int32_t left, right;
};

constexpr ZoomControl kControls[] = {
    {ID_ZOOM_DONE, WC_BUTTON, u"Done", 3, 42},   {ID_ZOOM_FIT, WC_BUTTON, u"Fit", 45, 68},
    {ID_ZOOM_OUT, WC_BUTTON, u"-", 71, 87},      {ID_ZOOM_SLIDER, WC_SCROLLBAR, u"", 88, 173},
    {ID_ZOOM_IN, WC_BUTTON, u"+", 174, 190},     {ID_ZOOM_ACTUAL, WC_BUTTON, u"100%", 193, 238},
};
constexpr int32_t kControlTop = 3, kControlBottom = 25;

}  // namespace

bool CZoomBar::Create(Window& parent) {
    const Rect client = parent.GetClientRect();
    if (!Window::Create(&parent, {0, client.bottom - ZOOM_BAR_HEIGHT, client.right, client.bottom}, 0,
                        u"zoom bar", WS_CHILD))
        return false;
    CreateControls();
    return m_controls.size() == std::size(kControls);
}

void CZoomBar::CreateControls() {
    RegisterStandardControls();
    for (const ZoomControl& control : kControls) {
        const uint32_t style = WS_CHILD | WS_VISIBLE | (control.id == ID_ZOOM_SLIDER ? SBS_HORZ : BS_PUSHBUTTON);
        auto window = CreateWindowOfClass(control.className, this,
                                          {control.left, kControlTop, control.right, kControlBottom},
                                          control.id, control.text, style);
        if (!window) return;
        if (control.id == ID_ZOOM_SLIDER) m_slider = dynamic_cast<ScrollBarControl*>(window.get());
        m_controls.push_back(std::move(window));
    }
}

void CZoomBar::SetLevels(int count, int level) {
    if (!m_slider) return;
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = count > 0 ? count - 1 : 0;
    info.nPage = 1;
    info.nPos = level;
    m_slider->SetScrollInfo(info, true);
}

void CZoomBar::OnPaint(DeviceContext& dc, const Rect&) {
    const Rect client = GetClientRect();
    dc.Rectangle(client.left, client.top, client.right, client.bottom);
}

LRESULT CZoomBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND || message == WM_HSCROLL) return SendMessage(GetParent(), message, wParam, lParam);
    return DefWindowProc(message, wParam, lParam);
}
