#include "browser/KestrelviewHHView.h"

#include "browser/FlatComboBox.h"
#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryListImport.h"
#include "catalogue/FileOperations.h"
#include "catalogue/HeldRecord.h"
#include "handheld/FullScreen.h"
#include "handheld/Preferences.h"
#include "handheld/RegisteredMessages.h"
#include "handheld/Strings.h"
#include "handheld/ViewModes.h"
#include "platform/shell/MessageBoxWindow.h"
#include "platform/shell/Shell.h"
#include "platform/shell/ShellChangeNotifier.h"
#include "platform/window/WindowClass.h"
#include "platform/window/WindowManager.h"
#include "resources/ResourceMenus.h"

namespace {

constexpr int32_t TOP_BAR_HEIGHT = 23;
constexpr int32_t CONTROLS_TOP = 24;
// The two selectors share the top bar; the category selector ends at the
// screen's edge, so that all of its text is seen. A prompt wider than its
// selector is drawn in a smaller font (the selector fits its text).
constexpr Rect LOCATION_SELECTOR_RECT{3, 2, 115, 18};
constexpr Rect CATEGORY_SELECTOR_RECT{120, 2, 240, 18};

struct ModeCommand {
    UINT command;
    uint32_t mode;
};
constexpr ModeCommand MODE_COMMANDS[] = {
    {ID_MODE_LIST, VIEW_LIST},
    {ID_MODE_DETAIL, VIEW_DETAIL},
    {ID_MODE_THUMBNAIL, VIEW_THUMBNAIL},
    {ID_MODE_GALLERY, VIEW_GALLERY},
};

UINT ModeCommandOf(uint32_t mode) {
    for (const ModeCommand& m : MODE_COMMANDS)
        if (m.mode == mode)
            return m.command;
    return ID_MODE_DETAIL;
}

bool IsBrowsingMode(uint32_t mode) {
    return mode == VIEW_LIST || mode == VIEW_THUMBNAIL || mode == VIEW_GALLERY || mode == VIEW_DETAIL;
}

// The browsing mode stored last; any other value shows the detail grid.
uint32_t StoredMode() {
    const uint32_t mode = GetBrowserView();
    return IsBrowsingMode(mode) ? mode : VIEW_DETAIL;
}

}  // namespace

CKestrelviewHHView::CKestrelviewHHView()
    : m_mode(StoredMode()), m_previousMode(m_mode), m_slideShow(*this, *this) {
    Catalogue().AddRemovalListener(this);
    AddModeCommands();
    AddFilterCommands();
    AddToolsCommands();
}

CKestrelviewHHView::~CKestrelviewHHView() {
    m_slideShow.Stop();
    if (m_loaded)
        SaveOnExit();
    DeregisterForChanges();
    Catalogue().RemoveRemovalListener(this);
    // The children go first, while the view they belong to is still there.
    m_photo.Destroy();
    m_location.reset();
    m_category.reset();
}

const CImageItem* CKestrelviewHHView::ActedOnRecord() const { return m_actedOn ? m_actedOn->Get() : nullptr; }

void CKestrelviewHHView::AddModeCommands() {
    for (const ModeCommand& m : MODE_COMMANDS) {
        OnCommand(m.command, [this, m] { SetMode(m.mode, m.command); });
        OnUpdateCommand(m.command, [this, m](CommandUi& ui) { ui.SetCheck(m_mode == m.mode); });
    }
}

// ---- creation ---------------------------------------------------------------

// The location and category selectors of the top bar; their popups are
// filled from the locations and categories by BuildFilterMenus.
void CKestrelviewHHView::CreateSelectors() {
    CFlatComboBox::RegisterClass();
    auto make = [this](const Rect& rect, int id, UINT menuId, std::u16string_view prompt) {
        auto window = CreateWindowOfClass(FLAT_COMBO_BOX_CLASS, this, rect, id, u"", WS_CHILD | WS_VISIBLE);
        std::unique_ptr<CFlatComboBox> selector(dynamic_cast<CFlatComboBox*>(window.get()));
        if (!selector)
            return selector;
        window.release();
        selector->SetMenu(LoadMenuResource(menuId));
        selector->SetText(STRING_ALL);
        selector->SetPromptText(prompt);
        selector->SetBackgroundColour(GetSysColor(COLOR_BTNFACE));
        return selector;
    };
    m_location = make(LOCATION_SELECTOR_RECT, 1007, IDM_LOCATION, u"Select Location");
    m_category = make(CATEGORY_SELECTOR_RECT, 1008, IDM_CATEGORY, u"Select Category");
}

void CKestrelviewHHView::OnInitialUpdate() {
    CreatePhotoWindow();
    SipShowIM(false);
    ReadSortPreferences();
    CreateSelectors();
    const Rect client = GetClientRect();
    CreateBrowserControls({0, CONTROLS_TOP, client.right, client.bottom});
    Grid().onContextMenu = [this](CImageItem* record, Point screen) { ShowImageMenu(record, screen); };
    Grid().onCategoryChanged = [this](const RecordId& old, CImageItem* record) {
        OnRecordCategoryChanged(old, record);
    };
    InitialLoad();
    RegisterForChanges();
    View::OnInitialUpdate();
}

// The categories (with the old list beside the program taken in once), the
// filters the user left, every photo of every location, then the mode.
void CKestrelviewHHView::InitialLoad() {
    CreateFolderTree(PROGRAM_FOLDER);
    Categories().Load(CATEGORY_DB_PATH);
    ImportOldCategoryList(Categories());
    Catalogue().InvalidateDisplay();
    RecordId category = GetLastViewedCategory();
    if (category != CATEGORY_ID_ALL && category != CATEGORY_ID_UNFILED && !Categories().Exists(category))
        category = CATEGORY_ID_ALL;
    SetFilter(GetLastViewedLocation(), category);
    BuildFilterMenus();
    Rescan(false);
    FillList(Filter().location, Filter().category);
    Grid().SetLocationFilter(Filter().location);
    Grid().SetCategoryFilter(Filter().category);
    ShowMode();
    PressModeButton(m_mode);
    // Only a catalogue that was filled may be written back as the caches.
    m_loaded = true;
}

// The list in the list mode, the grid in its layout otherwise; the shown
// one takes the keys.
void CKestrelviewHHView::ShowMode() {
    const bool list = m_mode == VIEW_LIST;
    if (!list) {
        Grid().SetLayout(m_mode == VIEW_THUMBNAIL ? GRID_THUMBNAIL
                         : m_mode == VIEW_GALLERY ? GRID_GALLERY
                                                  : GRID_DETAIL);
    }
    Grid().Show(!list);
    List().ShowWindow(list);
    if (list)
        InvalidateRect(&List(), nullptr, true);
    SetFocus(ModeControl());
}

HWND CKestrelviewHHView::ModeControl() {
    if (m_mode == VIEW_LIST)
        return &List();
    return &Grid();
}

void CKestrelviewHHView::PressModeButton(uint32_t mode) {
    if (auto* host = dynamic_cast<ModeButtonHost*>(GetParent()))
        host->PressModeButton(ModeCommandOf(mode));
}

// Leaving the list marks its current row for the grid; entering it selects
// the grid's first selected photo.
void CKestrelviewHHView::SetMode(uint32_t mode, UINT command) {
    if (m_mode == VIEW_SINGLE)
        LeaveSingle();
    if (mode != m_mode) {
        if (m_mode == VIEW_LIST) {
            Catalogue().ClearSelection();
            const int row = List().GetNextItem(-1, LVNI_SELECTED);
            if (CImageItem* record = row >= 0 ? Catalogue().Nth(Filter(), row) : nullptr)
                record->SetSelected(true);
            Grid().SetAnchor(row);
        } else if (mode == VIEW_LIST) {
            const int first = Catalogue().FirstSelectedIndex(Filter());
            if (first >= 0) {
                List().SetItemState(first, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
                List().EnsureVisible(first);
            }
        }
        m_mode = mode;
        m_previousMode = mode;
        SetBrowserView(uint16_t(mode));
        ShowMode();
        if (mode != VIEW_LIST)
            Grid().EnsureVisible(-1);
    }
    if (auto* host = dynamic_cast<ModeButtonHost*>(GetParent()))
        host->PressModeButton(command);
}

void CKestrelviewHHView::Rescan(bool force) {
    WaitCursor wait;
    CImageScanner scanner(Catalogue(), Locations(), Categories(), std::u16string(CATEGORY_DB_PATH));
    scanner.ScanAll(force);
    BuildLocationMenu();
    UpdateSelectorTexts();
}

void CKestrelviewHHView::RefreshFully(bool refillList) {
    if (refillList)
        FillList(Filter().location, Filter().category);
    Grid().Refresh();
}

void CKestrelviewHHView::Unavailable(std::u16string_view what) {
    m_lastUnavailable = what;
    MessageBoxW(GetParent(), std::u16string(what) + u" is not available in this version.", u"Kestrelview", MB_OK);
}

// ---- removal ------------------------------------------------------------------

// The catalogue is about to give the record up: nothing here may keep it.
void CKestrelviewHHView::OnRecordRemoving(const CImageItem& record) {
    m_slideShow.Forget(&record);
    m_photo.Forget(&record);
    ForgetRecord(&record);
}

bool CKestrelviewHHView::HoldsRecord(const CImageItem* record) const { return Catalogue().Contains(record); }

// ---- painting and messages ------------------------------------------------------

void CKestrelviewHHView::OnDraw(DeviceContext& dc, const Rect&) {
    const Rect client = GetClientRect();
    dc.FillSolidRect(client, GetSysColor(COLOR_WINDOW));
    // The top bar: window-frame outline on the button face.
    Pen frame(PS_SOLID, 1, GetSysColor(COLOR_WINDOWFRAME));
    Brush face(GetSysColor(COLOR_BTNFACE));
    const Pen* oldPen = dc.SelectObject(&frame);
    const Brush* oldBrush = dc.SelectObject(&face);
    dc.Rectangle(-1, -1, client.right + 1, TOP_BAR_HEIGHT + 1);
    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);
}

LRESULT CKestrelviewHHView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        if (m_mode == VIEW_SINGLE)
            return OnSingleKey(message, wParam, lParam);
        // Keys reaching the view belong to the list or the grid.
        return SendMessage(ModeControl(), message, wParam, lParam);
    case WM_TIMER:
        if (m_slideShow.OnTimer(uintptr_t(wParam)))
            return 0;
        break;
    case WM_DESTROY:
        m_slideShow.Stop();
        if (m_loaded)
            SaveOnExit();
        DeregisterForChanges();
        break;
    case WM_FILECHANGEINFO:
        return OnFileChange(lParam);
    case WM_SETFOCUS:
        // One photo alone covers the whole screen. The view gets the focus
        // when the list or grid that held it is hidden for that photo.
        if (m_mode == VIEW_SINGLE)
            if (CFullScreenSwitch* fullScreen = GetFullScreenSwitch())
                fullScreen->SetFullScreen(true, true);
        break;
    default:
        break;
    }
    if (message == ImageSelectedMessage() && wParam == 1) {
        // The path lives in the sender's memory: only a sent message may
        // carry it.
        if (lParam && !WindowManager::Current()->InPostedMessage())
            ShowImage(Catalogue().FindByPath(reinterpret_cast<const char16_t*>(lParam)), false);
        return 0;
    }
    if (message == ImageExitMessage()) {
        LeaveSingle();
        return 0;
    }
    return CKestrelviewView::WindowProc(message, wParam, lParam);
}
