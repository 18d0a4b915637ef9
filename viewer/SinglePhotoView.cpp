#include "viewer/SinglePhotoView.h"

#include "catalogue/ImageItem.h"
#include "handheld/FullScreen.h"
#include "handheld/RegisteredMessages.h"
#include "platform/window/WindowManager.h"

CSinglePhotoView::CSinglePhotoView() = default;

CSinglePhotoView::~CSinglePhotoView() {
    m_photo.Destroy();
    Destroy();
}

void CSinglePhotoView::OnInitialUpdate() {
    View::OnInitialUpdate();
    EnsurePhotoWindow();
}

void CSinglePhotoView::EnsurePhotoWindow() {
    if (!m_photo.IsAlive()) m_photo.Create(this, ID_PHOTO_WINDOW);
}

int CSinglePhotoView::OpenFile(std::u16string_view path) {
    EnsurePhotoWindow();
    m_path = path;
    auto record = std::make_unique<CImageItem>();
    record->InitFromFile(path, CImageItem::IsRemovablePath(path));
    record->SetTemporary(true);
    m_photo.Open(record.get());
    m_record = std::move(record);
    UpdateWindow(&m_photo);
    return m_photo.LastError();
}

LRESULT CSinglePhotoView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ImageSelectedMessage()) {
        if (wParam == 1 && lParam) OpenFile(reinterpret_cast<const char16_t*>(lParam));
        return 0;
    }
    if (message == ImageExitMessage()) {
        PostQuitMessage(0);
        return 0;
    }
    switch (message) {
    case WM_SETFOCUS:
        if (CFullScreenSwitch* fullScreen = GetFullScreenSwitch()) fullScreen->SetFullScreen(true, false);
        break;
    // Keys reach the photo window through the view, which keeps the focus.
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        if (m_photo.IsAlive()) return SendMessage(&m_photo, message, wParam, lParam);
        break;
    default: break;
    }
    return View::WindowProc(message, wParam, lParam);
}
