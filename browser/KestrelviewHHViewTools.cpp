// The Tools menu: rescanning, deleting what is displayed, private photos
// and their password, the slide show; the commands whose dialogs are their
// own screens say so until they are there.
#include "browser/KestrelviewHHView.h"

#include <memory>
#include <vector>

#include "catalogue/ImageItem.h"
#include "catalogue/StringTable.h"
#include "dialogs/CategoryCommands.h"
#include "dialogs/PrivateImages.h"
#include "handheld/Strings.h"
#include "platform/shell/MessageBoxWindow.h"
#include "platform/shell/Shell.h"

namespace {

constexpr uint32_t STRING_CONFIRM_DELETE_ALL = 134;
constexpr uint32_t STRING_SHOW_PRIVATE = 509;
constexpr uint32_t STRING_HIDE_PRIVATE = 510;

}  // namespace

void CKestrelviewHHView::AddToolsCommands() {
    OnCommand(ID_VIEW_PREFERENCES, [this] { OnPreferences(); });
    OnCommand(ID_SLIDESHOW_PREFERENCES, [this] { OnSlideshowPreferences(); });
    OnCommand(ID_CATEGORIZE_ALL, [this] { OnCategorizeAll(); });
    OnCommand(ID_MOVE_ALL, [this] { OnMoveAll(); });
    OnCommand(ID_DELETE_ALL, [this] { OnDeleteAll(); });
    OnCommand(ID_SET_PASSWORD, [this] { OnSetPassword(); });
    OnCommand(ID_TOGGLE_PRIVATE, [this] { OnTogglePrivate(); });
    OnUpdateCommand(ID_TOGGLE_PRIVATE, [this](CommandUi& ui) {
        ui.SetText(LoadString(ShowsPrivate() ? STRING_HIDE_PRIVATE : STRING_SHOW_PRIVATE));
    });
    OnCommand(ID_REFRESH, [this] { OnRefresh(); });
    OnCommand(ID_SLIDESHOW, [this] { OnSlideshow(); });
    OnUpdateCommand(ID_SLIDESHOW, [this](CommandUi& ui) { ui.Enable(DisplayedCount() > 0); });
}

// The old records are let go only after the new scan, and every holder
// of one has been told by then.
void CKestrelviewHHView::OnRefresh() {
    std::vector<std::unique_ptr<CImageItem>> old = Catalogue().TakeAll();
    Rescan(true);
    RefreshFully();
    old.clear();
}

void CKestrelviewHHView::OnDeleteAll() {
    if (MessageBoxW(GetParent(), LoadString(STRING_CONFIRM_DELETE_ALL), u"Kestrelview", MB_YESNO) != IDYES)
        return;
    {
        WaitCursor wait;
        Catalogue().DeleteAll(Filter());
    }
    RefreshFully();
}

void CKestrelviewHHView::OnTogglePrivate() {
    bool shown = ShowsPrivate();
    if (!RunTogglePrivateCommand(GetParent(), shown))
        return;
    Catalogue().SetShowPrivate(shown);
    RefreshFully();
}

void CKestrelviewHHView::OnSetPassword() { RunSetPasswordCommand(GetParent()); }

// The dialog saves its edits and tells the view of each through the
// category callbacks.
void CKestrelviewHHView::OnEditCategories() { RunEditCategoriesCommand(GetParent(), *this); }

void CKestrelviewHHView::OnCategorizeAll() {
    if (RunCategorizeAllCommand(GetParent(), *this, Catalogue(), Filter()) == IDOK)
        RefreshFully();
}

// Photos moved before a failure stay moved, so the view is refreshed either way.
void CKestrelviewHHView::OnMoveAll() {
    if (RunMoveAllCommand(GetParent(), *this, Catalogue(), Filter()) == IDOK)
        RefreshFully();
}
