#pragma once
#include <memory>
#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/framework/View.h"

// The view of a program started with a photo's path: the photo fitted to
// the screen on white. Paging, zooming and the zoom bar come later.
class CSinglePhotoView : public View {
public:
    // Opens a handheld path, or a host path outside the device folder.
    // Returns 0 or the error of opening or decoding; on an error the view
    // says what went wrong instead of showing a picture.
    int OpenFile(std::u16string_view path);
    const std::u16string& Path() const { return m_path; }
    int LastError() const { return m_error; }

protected:
    void OnDraw(DeviceContext& dc, const Rect& paint) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int Render();

    std::u16string m_path;
    std::unique_ptr<Bitmap> m_picture;
    Rect m_placed;
    int m_error = 0;
};
