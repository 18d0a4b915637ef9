#pragma once
#include <cstdint>

#include "platform/window/WindowMessages.h"

class BrowserServices;
class CImageItemList;
struct ImageFilter;

// The commands of the Tools menu and the category popup that act on
// categories and on every displayed photo. The caller refreshes its list
// and grid after a group command that returned IDOK.

// "Edit Categories...": the dialog saves its edits itself. Its result.
int RunEditCategoriesCommand(HWND owner, BrowserServices& view);

// "Categorize All...": on OK every displayed photo gets the chosen category
// (stopping at the first photo that cannot be written). The dialog's result.
int RunCategorizeAllCommand(HWND owner, BrowserServices& view, CImageItemList& photos,
                            const ImageFilter& displayed);

// "Move All...": on OK every displayed photo moves to the chosen location's
// photo folder, stopping at the first failure, which is told: a name taken
// there (string 148) or any other error (149). The dialog's result.
int RunMoveAllCommand(HWND owner, BrowserServices& view, CImageItemList& photos,
                      const ImageFilter& displayed);
