// The popup menu of one photo, from the list, the grid or the photo shown
// alone, and what its commands do to the photo.
#include "browser/KestrelviewHHView.h"

#include <utility>

#include "browser/ImagePopupMenu.h"
#include "catalogue/FileOperations.h"
#include "catalogue/FolderList.h"
#include "catalogue/HeldRecord.h"
#include "catalogue/ImageItem.h"
#include "catalogue/StringTable.h"
#include "dialogs/NoteDlg.h"
#include "handheld/FullScreen.h"
#include "handheld/Strings.h"
#include "handheld/ViewModes.h"
#include "platform/shell/MessageBoxWindow.h"
#include "platform/shell/Shell.h"
#include "platform/window/WindowManager.h"
#include "sharing/ImageSender.h"
#include "sharing/TodayWallpaper.h"

namespace {

constexpr uint32_t STRING_CONFIRM_DELETE = 130;
constexpr uint32_t STRING_IMAGE_DELETED = 136;
// No string of the table tells of a failed deletion.
constexpr char16_t DELETE_FAILED[] = u"The image could not be deleted. Check that you have write access.";

}  // namespace

void CKestrelviewHHView::ShowImageMenu(CImageItem* record, Point screen) {
    if (record)
        ShowImagePopup(*record, screen, false);
}

// The record is held while the menu is open and while its command runs:
// the catalogue may give it up meanwhile (a file deleted from outside),
// and then the command is not carried out.
UINT CKestrelviewHHView::ShowImagePopup(CImageItem& record, Point screen, bool single) {
    CImagePopupMenu menu(Locations(), Categories());
    if (!menu.Build(record, single))
        return 0;
    CHeldRecord held(Catalogue(), &record);
    CHeldRecord* outer = std::exchange(m_actedOn, &held);
    const UINT command = menu.Track(screen, this);
    if (command != 0)
        CarryOut(command, held, menu);
    m_actedOn = outer;
    return held.Get() ? command : 0;
}

bool CKestrelviewHHView::StillThere(const CHeldRecord& held) {
    if (held.Get())
        return true;
    MessageBoxW(GetParent(), LoadString(STRING_IMAGE_DELETED), u"Kestrelview", MB_OK);
    return false;
}

void CKestrelviewHHView::CarryOut(UINT command, CHeldRecord& held, const CImagePopupMenu& menu) {
    if (!StillThere(held))
        return;
    CImageItem& record = *held.Get();
    RecordId category;
    switch (command) {
    case ID_IMAGE_NEXT:
    case ID_IMAGE_PREVIOUS: StepImage(command == ID_IMAGE_NEXT); return;
    case ID_IMAGE_ZOOM: return;  // the photo window zooms
    case ID_IMAGE_DETAILS: OnDetails(record); return;
    case ID_IMAGE_NOTE: EditNote(held); return;
    case ID_IMAGE_DELETE: DeleteImage(held); return;
    case ID_IMAGE_BEAM:
    case ID_IMAGE_EMAIL:
    case ID_IMAGE_WALLPAPER: SendImage(command, record); return;
    case ID_CATEGORY_UNFILED: FileImage(record, CATEGORY_ID_UNFILED); return;
    default: break;
    }
    if (menu.Categories().IdOf(command, category))
        FileImage(record, category);
    else if (const std::u16string* path = menu.Locations().PathOf(command))
        MoveImage(record, *path);
}

// Asks first; the photo may go away while the question is open.
void CKestrelviewHHView::DeleteImage(CHeldRecord& held) {
    if (MessageBoxW(GetParent(), LoadString(STRING_CONFIRM_DELETE), u"Kestrelview", MB_YESNO) != IDYES)
        return;
    if (!StillThere(held))
        return;
    RemoveImage(*held.Get());
}

// Out of the single photo first when it is the one shown, then out of the
// list and the grid, then the file and the record.
void CKestrelviewHHView::RemoveImage(CImageItem& record) {
    const bool wasSingle = m_mode == VIEW_SINGLE;
    if (wasSingle)
        LeaveSingle();
    RemoveRow(&record);
    std::unique_ptr<CImageItem> removed;
    const uint32_t result = Catalogue().Remove(&record, true, removed);
    Grid().Refresh();
    if (result != 0) {
        // The file stays, and so does its record: its row comes back.
        RefreshFully();
        MessageBoxW(GetParent(), DELETE_FAILED, u"Kestrelview", MB_OK);
        return;
    }
    if (m_mode != VIEW_LIST)
        InvalidateRect(this, nullptr, true);
}

// The record's path stays as it is: the shell's notification of the move
// brings the record of the moved file.
void CKestrelviewHHView::MoveImage(CImageItem& record, const std::u16string& locationPath) {
    const CFolderItem* location = Locations().Find(locationPath);
    if (!location || record.IsUnder(location->GetPath()))
        return;
    const uint32_t result = MoveImageToLocation(record, *location);
    if (result != 0) {
        MessageBoxW(GetParent(), MoveImageFailureText(result).text, u"Kestrelview", MB_OK);
        return;
    }
    record.Touch();
}

void CKestrelviewHHView::FileImage(CImageItem& record, const RecordId& category) {
    const RecordId old = record.GetCategory();
    if (old == category || Catalogue().SetCategory(record, category) != 0)
        return;
    OnRecordCategoryChanged(old, &record);
}

// The rows are drawn from the displayed records, so a photo that joins or
// leaves the filtered ones is followed by filling the list again.
void CKestrelviewHHView::OnRecordCategoryChanged(const RecordId& oldCategory, CImageItem* record) {
    const RecordId& filter = Filter().category;
    if (filter == CATEGORY_ID_ALL || !record)
        return;
    if (filter != oldCategory && filter != record->GetCategory() && filter != CATEGORY_ID_UNFILED)
        return;
    SendMessage(&List(), WM_SETREDRAW, 0, 0);
    FillList(Filter().location, filter);
    SendMessage(&List(), WM_SETREDRAW, 1, 0);
    InvalidateRect(&List(), nullptr, true);
    Grid().Refresh();
}

// The note dialog over a normal screen; the note is written when confirmed
// and the photo is still there.
void CKestrelviewHHView::EditNote(CHeldRecord& held) {
    CImageItem& record = *held.Get();
    NoteDlg dialog(record.Title(), record.GetNote());
    int result = 0;
    {
        CFullScreenScope normal(false);
        result = dialog.DoModal(GetParent());
    }
    if (result != IDOK || !StillThere(held))
        return;
    held.Get()->SetNote(dialog.Note());
    UpdateRow(held.Get());
    Grid().Refresh();
}

void CKestrelviewHHView::SendImage(UINT command, CImageItem& record) {
    switch (command) {
    case ID_IMAGE_BEAM: BeamImage(record); break;
    case ID_IMAGE_EMAIL: EmailImage(record); break;
    default: SetTodayWallpaper(record); break;
    }
}

