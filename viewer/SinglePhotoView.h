#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "platform/framework/View.h"
#include "viewer/PhotoWnd.h"

class CImageItem;

// The view of a program started only to show one file: a photo window over
// the screen holding a temporary record made for the file. Leaving the
// picture quits the program.
class CSinglePhotoView : public View {
public:
    CSinglePhotoView();
    ~CSinglePhotoView() override;

    void OnInitialUpdate() override;
    // Makes a temporary record for the path (a handheld path, or a host
    // path outside the device folder) and opens it in the photo window;
    // the record held before is freed. Returns the result of drawing it:
    // 0, or the error the window then shows.
    int OpenFile(std::u16string_view path);

    const std::u16string& Path() const { return m_path; }
    int LastError() const { return m_photo.LastError(); }
    CPhotoWnd& Photo() { return m_photo; }
    CImageItem* Record() const { return m_record.get(); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void EnsurePhotoWindow();

    CPhotoWnd m_photo;
    std::unique_ptr<CImageItem> m_record;
    std::u16string m_path;
};
