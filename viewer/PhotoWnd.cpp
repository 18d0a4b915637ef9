#include "viewer/PhotoWnd.h"

#include "catalogue/ImageItem.h"
#include "handheld/FullScreen.h"
#include "handheld/RegisteredMessages.h"
#include "handheld/Strings.h"
#include "platform/base/File.h"
#include "platform/controls/ControlMessages.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/shell/Shell.h"
#include "platform/window/WindowManager.h"
#include "viewer/ImagePicture.h"
#include "viewer/PictureErrorText.h"
#include "imaging/PictureOrientation.h"
#include "viewer/ZoomRenderer.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

Point PointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

bool Covers(const Rect& outer, const Rect& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

}  // namespace

CPhotoWnd::CPhotoWnd() = default;

CPhotoWnd::~CPhotoWnd() { Destroy(); }

bool CPhotoWnd::Create(HWND parent, int id) {
    const Rect screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (!Window::Create(parent, screen, id, u"photo", WS_CHILD)) return false;
    SetBackgroundColour(kWhite);
    m_view = GetClientRect();
    return m_zoomBar.Create(*this);
}

void CPhotoWnd::SetImage(CImageItem* record) {
    LeaveZoom();
    m_record = record;
    m_error = 0;
    InvalidateRect(this, nullptr, true);
}

void CPhotoWnd::Open(CImageItem* record) {
    SetImage(record);
    if (CFullScreenSwitch* fullScreen = GetFullScreenSwitch()) fullScreen->SetFullScreen(true, false);
    ShowWindow(true);
}

void CPhotoWnd::Forget(const CImageItem* record) {
    if (record && record == m_record) SetImage(nullptr);
}

// ---- Zoom mode ---------------------------------------------------------------

void CPhotoWnd::EnterZoom() {
    if (m_zoomed) return;
    m_zoomed = true;
    m_view.bottom -= ZOOM_BAR_HEIGHT;
    int32_t width = 0, height = 0;
    if (m_record) {
        const auto orientation = PictureOrientation::Unpack(m_record->GetPictureOrientation());
        width = orientation.ShownWidth(m_record->GetWidth(), m_record->GetHeight());
        height = orientation.ShownHeight(m_record->GetWidth(), m_record->GetHeight());
    }
    m_zoom.Reset(width, height, {m_view.Width(), m_view.Height()});
    m_zoomBar.ShowWindow(true);
    ZoomChanged();
}

void CPhotoWnd::LeaveZoom() {
    if (!m_zoomed) return;
    m_zoomed = false;
    m_view.bottom += ZOOM_BAR_HEIGHT;
    m_dragReference = {};
    m_dragging = false;
    m_zoom = ZoomState{};
    m_zoomPicture.reset();
    m_zoomFactor = 0;
    m_zoomBar.ShowWindow(false);
    InvalidateRect(this, nullptr, true);
}

void CPhotoWnd::ZoomIn() {
    EnterZoom();
    if (m_zoom.ZoomIn()) ZoomChanged();
}

void CPhotoWnd::ZoomOut() {
    EnterZoom();
    if (m_zoom.ZoomOut()) ZoomChanged();
}

void CPhotoWnd::ZoomToFit() {
    EnterZoom();
    if (m_zoom.ZoomToFit()) ZoomChanged();
}

void CPhotoWnd::ZoomToActual() {
    EnterZoom();
    if (m_zoom.ZoomToActual()) ZoomChanged();
}

void CPhotoWnd::SetZoomLevel(int level) {
    EnterZoom();
    if (m_zoom.SetLevel(level)) ZoomChanged();
}

void CPhotoWnd::ZoomChanged() {
    m_zoomBar.SetLevels(int(m_zoom.Levels().size()), m_zoom.Level());
    InvalidateRect(this, &m_view, false);
}

// ---- Painting ----------------------------------------------------------------

void CPhotoWnd::OnPaint(DeviceContext& dc, const Rect&) {
    if (!m_record) {
        dc.FillSolidRect(m_view, kWhite);
        return;
    }
    if (m_zoomed && m_zoom.IsSet()) {
        PaintZoomed(dc);
        return;
    }
    m_error = DrawImagePicture(*m_record, dc, m_view, &m_cancel);
    if (m_error) DrawPictureError(dc, m_view, m_error);
}

// The part on screen, with half a view around it so that short pans need
// no new decode.
int CPhotoWnd::RenderZoom() {
    const Size zoomed = m_zoom.Zoomed();
    const Rect visible = m_zoom.Visible();
    const int32_t marginX = m_view.Width() / 2, marginY = m_view.Height() / 2;
    const Rect region = Rect{visible.left - marginX, visible.top - marginY, visible.right + marginX,
                             visible.bottom + marginY}
                            .Intersect({0, 0, zoomed.cx, zoomed.cy});
    m_zoomPicture.reset();
    File file;
    if (const uint32_t opened = OpenPictureFile(file, *m_record)) return int(opened);
    WaitCursor wait;
    const ZoomRequest request{PictureOrientation::Unpack(m_record->GetPictureOrientation()),
                              m_zoom.Factor(), region, &m_cancel};
    const int result = RenderZoomed(file, request, m_zoomPicture);
    if (result == 0) {
        m_zoomRegion = region;
        m_zoomFactor = m_zoom.Factor();
    }
    return result;
}

void CPhotoWnd::PaintZoomed(DeviceContext& dc) {
    const bool current = m_zoomPicture && m_zoomFactor == m_zoom.Factor() &&
                         Covers(m_zoomRegion, m_zoom.Visible());
    if (!current) m_error = RenderZoom();
    if (!m_zoomPicture) {
        DrawPictureError(dc, m_view, m_error);
        return;
    }
    m_error = 0;
    dc.FillSolidRect(m_view, kWhite);
    const Point origin = m_zoom.PhotoOrigin(), pan = m_zoom.Pan();
    DeviceContext source;
    source.SelectObject(m_zoomPicture.get());
    dc.IntersectClipRect(m_view.left, m_view.top, m_view.right, m_view.bottom);
    dc.BitBlt(m_view.left + origin.x - pan.x + m_zoomRegion.left,
              m_view.top + origin.y - pan.y + m_zoomRegion.top, m_zoomPicture->Width(),
              m_zoomPicture->Height(), &source, 0, 0, SRCCOPY);
}

// ---- Input -------------------------------------------------------------------

void CPhotoWnd::LeavePicture() {
    if (CFullScreenSwitch* fullScreen = GetFullScreenSwitch()) fullScreen->SetFullScreen(false, false);
    SendMessage(GetParent(), ImageExitMessage(), 0, 0);
}

void CPhotoWnd::OnStylusDown(Point point) {
    m_dragReference = point;
    if (m_zoomed) {
        m_dragging = true;
        SetCapture(this);
        return;
    }
    m_menuShown = false;
    if (!m_record || m_record->IsTemporary() || !m_host) return;
    if (RecognizeHold(this, point) != GN_CONTEXTMENU) return;
    const UINT command = m_host->ShowImagePopup(*m_record, ClientToScreen(point));
    if (command == ID_IMAGE_ZOOM) EnterZoom();
    m_menuShown = true;
}

// The drag moves the photo under the stylus, kept inside its edges.
void CPhotoWnd::OnStylusMove(Point point) {
    if (!m_zoomed || !m_dragging || point == m_dragReference) return;
    const Point before = m_zoom.Pan();
    m_zoom.SetPan({before.x + m_dragReference.x - point.x, before.y + m_dragReference.y - point.y});
    m_dragReference = point;
    if (m_zoom.Pan() != before) InvalidateRect(this, &m_view, false);
}

void CPhotoWnd::OnStylusUp() {
    if (m_dragging) {
        m_dragging = false;
        ReleaseCapture();
    }
    if (m_zoomed) return;
    if (m_menuShown) {
        m_menuShown = false;
        return;
    }
    LeavePicture();
}

void CPhotoWnd::OnChar(char16_t ch) {
    switch (ch) {
    case u'+':
    case u'=': ZoomIn(); break;
    case u'-': ZoomOut(); break;
    case u'1': ZoomToActual(); break;
    case u'0': ZoomToFit(); break;
    default: break;
    }
}

// A zoom bar button takes the focus when pressed; the keys go back to the
// view that passes them on, so that Up and Down still change the photo.
void CPhotoWnd::ReturnFocus() {
    const HWND focus = GetFocus();
    if (focus && m_zoomBar.IsChild(focus)) SetFocus(GetParent());
}

void CPhotoWnd::OnCommand(int id) {
    ReturnFocus();
    switch (id) {
    case ID_ZOOM_DONE: LeaveZoom(); break;
    case ID_ZOOM_FIT: ZoomToFit(); break;
    case ID_ZOOM_OUT: ZoomOut(); break;
    case ID_ZOOM_IN: ZoomIn(); break;
    case ID_ZOOM_ACTUAL: ZoomToActual(); break;
    default: break;
    }
}

void CPhotoWnd::OnSlider(uint16_t code, int position) {
    switch (code) {
    case SB_LINEUP:
    case SB_PAGEUP: ZoomOut(); break;
    case SB_LINEDOWN:
    case SB_PAGEDOWN: ZoomIn(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: SetZoomLevel(position); break;
    case SB_TOP: SetZoomLevel(0); break;
    case SB_BOTTOM: SetZoomLevel(int(m_zoom.Levels().size()) - 1); break;
    default: break;
    }
}

LRESULT CPhotoWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN: OnStylusDown(PointOf(lParam)); return 0;
    case WM_MOUSEMOVE:
        if (wParam & MK_LBUTTON) OnStylusMove(PointOf(lParam));
        return 0;
    case WM_LBUTTONUP: OnStylusUp(); return 0;
    case WM_KEYUP:
        if (wParam == VK_RETURN && !m_zoomed) LeavePicture();
        return 0;
    case WM_CHAR: OnChar(char16_t(wParam)); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
    case WM_HSCROLL: OnSlider(LOWORD(wParam), int16_t(HIWORD(wParam))); return 0;
    default: return DefWindowProc(message, wParam, lParam);
    }
}
