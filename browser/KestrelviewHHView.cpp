#include "browser/KestrelviewHHView.h"

#include "handheld/ViewModes.h"
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

const char16_t* ModeName(uint32_t mode) {
    for (const ModeCommand& m : MODE_COMMANDS)
        if (m.mode == mode)
            return m.name;
    return u"";
}

}  // namespace

CKestrelviewHHView::CKestrelviewHHView() : m_mode(VIEW_LIST) {
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
    SetMode(m_mode, MODE_COMMANDS[0].command);
    View::OnInitialUpdate();
}

void CKestrelviewHHView::SetMode(uint32_t mode, UINT command) {
    m_mode = mode;
    if (auto* host = dynamic_cast<ModeButtonHost*>(GetParent()))
        host->PressModeButton(command);
    InvalidateRect(this, nullptr, true);
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
    const Font* font = GetUiFont(UiFont::Normal);
    if (!font)
        return;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(COLOR_GRAYTEXT));
    Rect text{0, TOP_BAR_HEIGHT + 1, client.right, client.bottom};
    DrawText(dc, *font, ModeName(m_mode), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT CKestrelviewHHView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT imageSelected = RegisterWindowMessage(u"WM_Kestrelview_Image_Selected");
    if (message == imageSelected) {
        if (wParam == 1 && lParam)
            m_selectedPath = reinterpret_cast<const char16_t*>(lParam);
        InvalidateRect(this, nullptr, false);
        return 0;
    }
    return View::WindowProc(message, wParam, lParam);
}
