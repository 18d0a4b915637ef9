#pragma once
#include <memory>

#include "platform/gdi/Bitmap.h"
#include "platform/window/Window.h"
#include "viewer/InputCancelCheck.h"
#include "viewer/ZoomBar.h"
#include "viewer/ZoomState.h"

class CImageItem;

// Identifier of the single-image control in its parent.
constexpr int ID_PHOTO_WINDOW = 1000;

// What the photo window asks of the view that holds it.
class PhotoWndHost {
public:
    virtual ~PhotoWndHost() = default;
    // Opens the image popup menu for the record at the screen point, in its
    // single-image form; returns the chosen command, 0 when dismissed.
    virtual UINT ShowImagePopup(CImageItem& record, Point screen) = 0;
};

// One photo alone on the whole screen. A tap or the release of Enter leaves
// it (the parent is sent "WM_Kestrelview_Image_Exit"); tap-and-hold opens
// the image popup menu; zoom mode shows the zoom bar and lets the photo be
// zoomed from fit up to 400 % and panned by dragging. The record's picture
// is drawn as it is; zoomed views are decoded for the part on screen.
class CPhotoWnd : public Window {
public:
    CPhotoWnd();
    ~CPhotoWnd() override;

    // Over the whole of the parent's client area, hidden, with the zoom bar.
    bool Create(HWND parent, int id = ID_PHOTO_WINDOW);
    void SetHost(PhotoWndHost* host) { m_host = host; }

    // Leaves zoom mode and shows the record (nullptr: none).
    void SetImage(CImageItem* record);
    // The same, then full screen, and the window is shown.
    void Open(CImageItem* record);
    CImageItem* GetImage() const { return m_record; }
    // The record is about to be freed: it is dropped if shown.
    void Forget(const CImageItem* record);

    void EnterZoom();
    void LeaveZoom();
    bool IsZoomed() const { return m_zoomed; }
    // "+", "-", "Fit", "100%" and a slider position; each enters zoom mode.
    void ZoomIn();
    void ZoomOut();
    void ZoomToFit();
    void ZoomToActual();
    void SetZoomLevel(int level);

    const Rect& ViewRect() const { return m_view; }
    const ZoomState& Zoom() const { return m_zoom; }
    CZoomBar& ZoomBar() { return m_zoomBar; }
    // The result of the last drawing of the picture (0 when it was drawn).
    int LastError() const { return m_error; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void OnPaint(DeviceContext& dc, const Rect& paint) override;

private:
    void OnStylusDown(Point point);
    void OnStylusMove(Point point);
    void OnStylusUp();
    void OnChar(char16_t ch);
    void OnCommand(int id);
    void OnSlider(uint16_t code, int position);
    void LeavePicture();
    void ReturnFocus();
    void ZoomChanged();
    void PaintZoomed(DeviceContext& dc);
    int RenderZoom();

    PhotoWndHost* m_host = nullptr;
    CImageItem* m_record = nullptr;
    Rect m_view;
    bool m_zoomed = false;
    Point m_dragReference;
    bool m_dragging = false;
    bool m_menuShown = false;
    int m_error = 0;
    CZoomBar m_zoomBar;
    ZoomState m_zoom;
    std::unique_ptr<Bitmap> m_zoomPicture;
    Rect m_zoomRegion;
    double m_zoomFactor = 0;
    InputCancelCheck m_cancel;
};
