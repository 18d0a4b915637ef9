#include "viewer/SinglePhotoView.h"

#include <string>

#include "imaging/ImageRenderer.h"
#include "imaging/RenderGeometry.h"
#include "platform/fonts/DrawText.h"
#include "platform/base/File.h"
#include "platform/fonts/SystemFont.h"
#include "platform/base/Text.h"
#include "platform/window/WindowManager.h"

int CSinglePhotoView::OpenFile(std::u16string_view path) {
    m_path = path;
    m_error = Render();
    InvalidateRect(this, nullptr, true);
    return m_error;
}

int CSinglePhotoView::Render() {
    m_picture.reset();
    File file;
    uint32_t opened = file.Open(m_path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (opened != 0 && !m_path.empty() && m_path[0] == u'/')
        opened = file.OpenHost(Utf16ToUtf8(m_path), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (opened != 0)
        return int(opened);
    const Rect client = GetClientRect();
    if (client.IsEmpty())
        return 0;
    ImageRenderer renderer;
    Rect target = client;
    const int result = renderer.RenderToBitmap(nullptr, file, target, RENDER_TO_BITMAP, m_picture);
    m_placed = target;
    return result;
}

void CSinglePhotoView::OnDraw(DeviceContext& dc, const Rect&) {
    const Rect client = GetClientRect();
    dc.FillSolidRect(client, RGB(255, 255, 255));
    if (m_picture) {
        DeviceContext source;
        source.SelectObject(m_picture.get());
        dc.BitBlt(m_placed.left, m_placed.top, m_placed.Width(), m_placed.Height(), &source, 0, 0,
                  SRCCOPY);
        return;
    }
    const Font* font = GetUiFont(UiFont::Normal);
    if (!font || m_path.empty())
        return;
    const std::u16string text = m_error ? u"There was an error reading the image (" +
                                               Utf8ToUtf16(std::to_string(m_error)) + u")."
                                         : u"";
    Rect box{8, client.Height() / 2 - 20, client.right - 8, client.Height() / 2 + 20};
    DrawText(dc, *font, text, box, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
}

LRESULT CSinglePhotoView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // A new size needs a new picture.
    if (message == WM_SIZE && !m_path.empty()) {
        m_error = Render();
        InvalidateRect(this, nullptr, true);
        return 0;
    }
    return View::WindowProc(message, wParam, lParam);
}
