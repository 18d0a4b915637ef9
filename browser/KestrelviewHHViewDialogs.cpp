// The preference dialogs of the Tools menu and the photo popup's Image
// Details, and what the view does with what they return.
#include "browser/KestrelviewHHView.h"

#include "browser/ImageDetailsChanges.h"
#include "catalogue/HeldRecord.h"
#include "catalogue/ImageItem.h"
#include "catalogue/StringTable.h"
#include "dialogs/DialogIds.h"
#include "dialogs/ImageDetailsDlg.h"
#include "dialogs/SlideShowPrefsDlg.h"
#include "dialogs/ViewPrefsDlg.h"
#include "handheld/CameraOrientationPreference.h"
#include "handheld/FullScreen.h"
#include "handheld/Preferences.h"
#include "platform/base/FileSystem.h"
#include "platform/shell/MessageBoxWindow.h"
#include "platform/shell/Shell.h"
#include "platform/window/WindowManager.h"
#include "sharing/FileAssociation.h"

namespace {

// The preferences the view acts on when they change.
struct ViewSettings {
    bool defaultViewer = GetUseAsDefaultViewer();
    bool autoRotate = GetAutoRotate();
    bool followCamera = GetFollowCameraOrientation();
};

constexpr uint32_t STRING_IMAGE_GONE = 136;

}  // namespace

// The list's columns, the order and the pictures follow what was stored.
void CKestrelviewHHView::OnPreferences() {
    SaveColumnWidths();
    const ViewSettings before;
    ViewPrefsDlg dialog;
    if (dialog.DoModal(GetParent()) != IDOK)
        return;  // nothing was stored
    const ViewSettings after;
    if (after.defaultViewer != before.defaultViewer)
        SetDefaultViewer(after.defaultViewer);
    // Pictures and thumbnails are made again, turned the new way.
    if (after.autoRotate != before.autoRotate || after.followCamera != before.followCamera)
        Catalogue().FreeAllPictures();
    if (after.followCamera != before.followCamera) {
        Grid().Thumbnails().Worker().SetFollowCameraOrientation(after.followCamera);
        Grid().Thumbnails().Clear();
    }
    ReadSortPreferences();
    SendMessage(&List(), WM_SETREDRAW, 0, 0);
    BuildColumns();
    FillList(Filter().location, Filter().category);
    SendMessage(&List(), WM_SETREDRAW, 1, 0);
    Grid().Refresh();
}

void CKestrelviewHHView::OnSlideshowPreferences() {
    SlideShowPrefsDlg dialog;
    dialog.DoModal(GetParent());
}

// Over a normal screen; full screen comes back afterwards unless the photo
// was deleted. The changes are carried out only while the photo is still
// there, as one: a rename that fails leaves the other changes undone.
void CKestrelviewHHView::OnDetails(CImageItem& record) {
    CHeldRecord own(Catalogue(), &record);
    CHeldRecord& held = m_actedOn ? *m_actedOn : own;
    ImageDetailsDlg dialog(*this, record, ImageDetails::Of(record));
    int result = IDCANCEL;
    {
        CFullScreenScope normal(false);
        result = dialog.DoModal(GetParent());
        if (result == IDD_DETAILS_DELETE)
            normal.Keep();
    }
    // A file deleted from outside is told by a notification held while the
    // dialog was open: its record is still here for now, its file is not.
    const bool gone = !held.Get() || !PathExists(held.Get()->GetPath());
    if (gone) {
        MessageBoxW(GetParent(), LoadString(STRING_IMAGE_GONE), u"Kestrelview", MB_OK);
        return;
    }
    if (result == IDD_DETAILS_DELETE) {
        RemoveImage(record);
        return;
    }
    if (result == IDOK)
        ApplyDetails(record, dialog);
    UpdateRow(held.Get());  // the note may have changed
    Grid().Refresh();
}

void CKestrelviewHHView::ApplyDetails(CImageItem& record, const ImageDetailsDlg& dialog) {
    CImageDetailsChanges changes(record, dialog.Details(), dialog.ChosenCategory(), dialog.ChosenLocationPath());
    if (!changes.Any())
        return;
    uint32_t result = 0;
    {
        WaitCursor wait;
        result = changes.Apply(Catalogue(), Locations());
    }
    if (result != 0) {
        MessageBoxW(GetParent(), changes.FailureText(), u"Kestrelview", MB_OK);
        return;
    }
    if (changes.CategoryChanged())
        OnRecordCategoryChanged(changes.OldCategory(), &record);
    // A photo made private leaves the list and the grid while private
    // photos are hidden.
    if (changes.PrivateChanged() && !ShowsPrivate())
        RefreshFully();
}
