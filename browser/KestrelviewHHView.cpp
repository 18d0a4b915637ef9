#include "browser/KestrelviewHHView.h"

#include "handheld/FullScreen.h"
#include "handheld/ViewModes.h"
#include "catalogue/CatalogueStrings.h"
#include "catalogue/ImageScanner.h"
#include "handheld/Preferences.h"
#include "handheld/RegisteredMessages.h"
#include "browser/FlatComboBox.h"
#include "platform/shell/Menu.h"
#include "platform/window/WindowClass.h"
#include "platform/fonts/DrawText.h"
#include "platform/shell/MessageBoxWindow.h"
#include "platform/fonts/SystemFont.h"
#include "platform/window/WindowManager.h"

namespace {

constexpr int32_t TOP_BAR_HEIGHT = 23;

struct ModeCommand {
    UINT command;
    uint32_t mode;
    const char16_t* name;
};
constexpr ModeCommand MODE_COMMANDS[] = {
    {59410, VIEW_LIST, u"List View"},
    {32920, VIEW_DETAIL, u"Detail View"},
    {32921, VIEW_THUMBNAIL, u"Thumbnail View"},
    {32922, VIEW_GALLERY, u"Gallery View"},
};

struct PendingCommand {
    UINT first;
    UINT last;
    const char16_t* name;
};
// Commands whose screens are still to come.
constexpr PendingCommand PENDING_COMMANDS[] = {
    {32783, 32783, u"Preferences"},
    {32784, 32784, u"Slideshow Preferences"},
    {32907, 32907, u"Categorize All"},
    {32909, 32909, u"Move All"},
    {32910, 32910, u"Delete All"},
    {32929, 32929, u"Set Password"},
    {32902, 32902, u"Refresh"},
    {32926, 32926, u"Location filter"},
    {5000, 5256, u"Locations"},
    {32846, 32847, u"Category filter"},
    {32848, 32848, u"Edit Categories"},
    {4000, 4256, u"Categories"},
    {32774, 32774, u"Details"},
    {32776, 32776, u"Note"},
    {32787, 32787, u"Delete"},
    {7, 7, u"Beam"},
    {32901, 32901, u"Send via Email"},
    {32905, 32905, u"Set as Today Wallpaper"},
    {32898, 32899, u"Next and Previous"},
    {32931, 32931, u"Zoom"},
};

UINT ModeCommandOf(uint32_t mode) {
    for (const ModeCommand& m : MODE_COMMANDS)
        if (m.mode == mode)
            return m.command;
    return MODE_COMMANDS[0].command;
}

// The browsing mode stored last, the thumbnail grid when none is.
uint32_t StoredMode() {
    const uint32_t mode = GetBrowserView();
    return mode == VIEW_LIST || mode == VIEW_THUMBNAIL || mode == VIEW_GALLERY || mode == VIEW_DETAIL
               ? mode
               : VIEW_DETAIL;
}

}  // namespace

CKestrelviewHHView::CKestrelviewHHView() : m_mode(StoredMode()) {
    AddModeCommands();
    AddPendingCommands();
    // Slide shows need displayed images; this view displays none yet.
    OnCommand(32892, [this] { Unavailable(u"Slideshow"); });
    OnUpdateCommand(32892, [](CommandUi& ui) { ui.Enable(false); });
    OnCommand(32930, [this] {
        m_showPrivate = !m_showPrivate;
        InvalidateRect(this, nullptr, false);
    });
    OnUpdateCommand(32930, [this](CommandUi& ui) {
        ui.SetText(m_showPrivate ? u"Hide Private Images" : u"Show Private Images");
    });
}

CKestrelviewHHView::~CKestrelviewHHView() {
    // The selectors go first, while the view they belong to is still there.
    m_location.reset();
    m_category.reset();
}

void CKestrelviewHHView::AddModeCommands() {
    for (const ModeCommand& m : MODE_COMMANDS) {
        OnCommand(m.command, [this, m] { SetMode(m.mode, m.command); });
        OnUpdateCommand(m.command, [this, m](CommandUi& ui) { ui.SetCheck(m_mode == m.mode); });
    }
}

void CKestrelviewHHView::AddPendingCommands() {
    for (const PendingCommand& p : PENDING_COMMANDS)
        OnCommandRange(p.first, p.last, [this, p](UINT) { Unavailable(p.name); });
}

// The location and category selectors of the top bar. Their menus hold
// the entries that need no catalogue; the rest come with it.
void CKestrelviewHHView::CreateSelectors() {
    CFlatComboBox::RegisterClass();
    auto make = [this](const Rect& rect, int id, std::unique_ptr<Menu> popup, std::u16string_view prompt) {
        auto window = CreateWindowOfClass(FLAT_COMBO_BOX_CLASS, this, rect, id, u"", WS_CHILD | WS_VISIBLE);
        std::unique_ptr<CFlatComboBox> selector(dynamic_cast<CFlatComboBox*>(window.get()));
        if (!selector)
            return selector;
        window.release();
        auto menu = std::make_unique<Menu>();
        menu->AppendSubMenu(std::move(popup), u"");
        selector->SetMenu(std::move(menu));
        selector->SetText(u"All");
        selector->SetPromptText(prompt);
        selector->SetBackgroundColour(GetSysColor(COLOR_BTNFACE));
        return selector;
    };
    auto locations = std::make_unique<Menu>();
    locations->AppendItem(MF_STRING, 32926, u"All");
    m_location = make({3, 2, 115, 18}, 1007, std::move(locations), u"Select Location");
    auto categories = std::make_unique<Menu>();
    categories->AppendItem(MF_STRING, 32846, u"All");
    categories->AppendItem(MF_STRING, 32847, u"Unfiled");
    categories->AppendItem(MF_SEPARATOR, 0, u"");
    categories->AppendItem(MF_STRING, 32848, u"Edit Categories...");
    m_category = make({120, 2, 245, 18}, 1008, std::move(categories), u"Select Category");
}

void CKestrelviewHHView::OnInitialUpdate() {
    CreateSelectors();
    const Rect client = GetClientRect();
    CreateBrowserControls({0, TOP_BAR_HEIGHT + 1, client.right, client.bottom});
    InitialLoad();
    ShowMode();
    if (auto* host = dynamic_cast<ModeButtonHost*>(GetParent()))
        host->PressModeButton(ModeCommandOf(m_mode));
    View::OnInitialUpdate();
}

// The catalogue as the preferences left it: sort order, filters, and every
// photo of every location.
void CKestrelviewHHView::InitialLoad() {
    ReadSortPreferences();
    Categories().Load(CATEGORY_DB_PATH);
    RecordId category = GetLastViewedCategory();
    if (category != CATEGORY_ID_ALL && category != CATEGORY_ID_UNFILED && !Categories().Exists(category))
        category = CATEGORY_ID_ALL;
    const std::u16string location = GetLastViewedLocation();
    CImageScanner scanner(Catalogue(), Locations(), Categories(), std::u16string(CATEGORY_DB_PATH));
    scanner.ScanAll(false);
    FillList(location, category);
    Grid().SetLocationFilter(location);
    Grid().SetCategoryFilter(category);
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

// Leaving the list marks its current row for the grid; entering it selects
// the grid's first selected photo.
void CKestrelviewHHView::SetMode(uint32_t mode, UINT command) {
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
        SetBrowserView(uint16_t(mode));
        ShowMode();
        if (mode != VIEW_LIST)
            Grid().EnsureVisible(-1);
    }
    if (auto* host = dynamic_cast<ModeButtonHost*>(GetParent()))
        host->PressModeButton(command);
}

// Showing the photo alone comes with the single photo view; until then
// the view remembers which one was asked for.
void CKestrelviewHHView::ShowImage(CImageItem* record, bool) {
    m_shown = record;
    m_selectedPath = record ? record->GetPath() : std::u16string();
}

void CKestrelviewHHView::Unavailable(std::u16string_view what) {
    m_lastUnavailable = what;
    MessageBoxW(GetParent(), std::u16string(what) + u" is not available in this version.",
                u"Kestrelview", MB_OK);
}

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
        // Keys reaching the view belong to the list or the grid.
        return SendMessage(ModeControl(), message, wParam, lParam);
    case WM_DESTROY:
        SaveColumnWidths();
        break;
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
        if (lParam) {
            const std::u16string path = reinterpret_cast<const char16_t*>(lParam);
            ShowImage(Catalogue().FindByPath(path), false);
            m_selectedPath = path;
        }
        return 0;
    }
    return CKestrelviewView::WindowProc(message, wParam, lParam);
}
