// One photo alone in the photo window: opening it, paging with Up and
// Down, coming back to the same photo in the list or the grid, and the
// slide show that runs over it.
#include "browser/KestrelviewHHView.h"

#include "catalogue/ImageItem.h"
#include "handheld/FullScreen.h"
#include "handheld/ViewModes.h"
#include "platform/shell/Shell.h"
#include "platform/window/WindowManager.h"

void CKestrelviewHHView::CreatePhotoWindow() {
    if (!m_photo.IsAlive())
        m_photo.Create(this, ID_PHOTO_WINDOW);
    m_photo.SetHost(this);
}

// The view keeps the focus, so that Up and Down reach it and the photo
// window's own keys are passed on; taking it in the single mode makes the
// screen full.
void CKestrelviewHHView::ShowImage(CImageItem* record, bool hideList) {
    if (!record)
        return;
    CreatePhotoWindow();
    if (m_mode != VIEW_SINGLE)
        m_previousMode = m_mode;
    Catalogue().TrimPictureCache(record);
    m_mode = VIEW_SINGLE;
    if (hideList)
        List().ShowWindow(false);
    m_photo.BringToTop();
    m_photo.Open(record);
    SetFocus(this);
}

// Back to the browsing mode, with the photo that was shown selected and in
// view.
void CKestrelviewHHView::LeaveSingle() {
    m_slideShow.Stop();
    if (m_mode != VIEW_SINGLE) {
        m_photo.ShowWindow(false);
        return;
    }
    CImageItem* shown = m_photo.GetImage();
    const int position = shown ? DisplayedIndexOf(shown) : -1;
    Catalogue().ClearSelection();
    m_mode = m_previousMode;
    if (position >= 0) {
        List().SetItemState(position, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        shown->SetSelected(true);
        if (m_mode == VIEW_LIST) {
            List().EnsureVisible(position);
        } else {
            Grid().SetAnchor(position);
            Grid().ItemChanged(shown, true);
            Grid().EnsureVisible(position);
        }
    }
    if (CFullScreenSwitch* fullScreen = GetFullScreenSwitch())
        fullScreen->SetFullScreen(false, false);
    m_photo.ShowWindow(false);
    m_photo.SetImage(nullptr);
    ShowMode();
    Grid().Refresh();
}

// The displayed photos wrap round; with no other photo there is nowhere
// to go.
void CKestrelviewHHView::StepImage(bool forward) {
    CImageItem* shown = m_photo.GetImage();
    CImageItem* next = !shown ? nullptr
                       : forward ? Catalogue().Next(Filter(), shown)
                                 : Catalogue().Previous(Filter(), shown);
    if (!next) {
        MessageBeep();
        return;
    }
    Catalogue().TrimPictureCache(next);
    m_photo.SetImage(next);
}

LRESULT CKestrelviewHHView::OnSingleKey(UINT message, WPARAM key, LPARAM lParam) {
    if (message == WM_KEYDOWN && (key == VK_DOWN || key == VK_UP)) {
        StepImage(key == VK_DOWN);
        return 0;
    }
    return SendMessage(&m_photo, message, key, lParam);
}

// ---- the slide show ---------------------------------------------------------

// The list's current row in the list; elsewhere the first selected photo
// (the grid marks its current one so); the first photo otherwise.
CImageItem* CKestrelviewHHView::SlideStart() {
    const uint32_t mode = m_mode == VIEW_SINGLE ? m_previousMode : m_mode;
    int position = -1;
    if (mode == VIEW_LIST) {
        position = List().GetNextItem(-1, LVNI_SELECTED);
        if (position < 0)
            position = List().GetNextItem(-1, LVNI_FOCUSED);
    } else {
        position = Catalogue().FirstSelectedIndex(Filter());
    }
    if (position < 0 || position >= DisplayedCount())
        position = 0;
    return Catalogue().Nth(Filter(), position);
}

// Photos the catalogue is giving up along with this one are passed over.
CImageItem* CKestrelviewHHView::SlideAfter(CImageItem* record, bool random) {
    const int count = DisplayedCount();
    CImageItem* next = record;
    for (int tries = 0; tries <= count; ++tries) {
        next = random ? Catalogue().RandomNext(Filter()) : Catalogue().Next(Filter(), next);
        if (!next || !Catalogue().IsLeaving(next))
            return next;
    }
    return nullptr;
}

int CKestrelviewHHView::DisplayedCount() { return Catalogue().Count(Filter()); }

void CKestrelviewHHView::ShowSlide(CImageItem& record) {
    if (m_mode != VIEW_SINGLE) {
        ShowImage(&record, false);
    } else {
        Catalogue().TrimPictureCache(&record);
        m_photo.SetImage(&record);
    }
    UpdateWindow(&m_photo);
}

void CKestrelviewHHView::SlideShowEnded() { LeaveSingle(); }

void CKestrelviewHHView::OnSlideshow() {
    if (DisplayedCount() > 0)
        m_slideShow.Start();
}
