#include "dialogs/CategoryCommands.h"

#include "catalogue/FileOperations.h"
#include "catalogue/ImageItemList.h"
#include "dialogs/CategorizeAllDlg.h"
#include "dialogs/EditCategoriesDlg.h"
#include "dialogs/MoveAllDlg.h"
#include "platform/shell/MessageBoxWindow.h"
#include "platform/shell/Shell.h"

int RunEditCategoriesCommand(HWND owner, BrowserServices& view) {
    EditCategoriesDlg dialog(view);
    return dialog.DoModal(owner);
}

int RunCategorizeAllCommand(HWND owner, BrowserServices& view, CImageItemList& photos,
                            const ImageFilter& displayed) {
    CategorizeAllDlg dialog(view);
    const int result = dialog.DoModal(owner);
    if (result != IDOK)
        return result;
    WaitCursor wait;
    photos.CategorizeAll(displayed, dialog.Chosen());
    return result;
}

int RunMoveAllCommand(HWND owner, BrowserServices& view, CImageItemList& photos,
                      const ImageFilter& displayed) {
    MoveAllDlg dialog(view);
    const int result = dialog.DoModal(owner);
    if (result != IDOK || !dialog.Chosen())
        return result;
    uint32_t error = 0;
    {
        WaitCursor wait;
        error = MoveAllToLocation(photos, displayed, *dialog.Chosen());
    }
    if (error != 0)
        MessageBoxW(owner, MoveAllFailureText(error).text, u"Kestrelview", MB_OK);
    return result;
}
