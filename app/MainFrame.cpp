#include "app/MainFrame.h"

#include "app/Icons.h"
#include "resources/ResourceMenus.h"
#include "handheld/RegisteredMessages.h"
#include "handheld/Strings.h"
#include "platform/framework/Application.h"
#include "platform/shell/Menu.h"
#include "platform/shell/MenuBar.h"
#include "platform/shell/Shell.h"
#include "platform/shell/TaskBar.h"
#include "platform/controls/ToolBar.h"
#include "platform/framework/View.h"
#include "platform/window/WindowManager.h"

namespace {

// One full-screen state per process: the frame's normal rectangle, taken
// on the first request, and the rectangle that covers the task bar too.
struct FullScreenState {
    Rect normal;
    Rect full;
};
FullScreenState g_fullScreen;

constexpr UINT TOOLTIP_IDS[CMainFrame::TOOLTIP_COUNT] = {
    IDS_NEW, 32878, 32879, 32880, 32881, ID_SLIDESHOW, ID_SLIDESHOW_PREFERENCES, ID_VIEW_PREFERENCES};

// The tool bar: bitmap images in order, a separator before the slide show.
struct ToolButtonEntry {
    UINT command;
    int image;
};
constexpr ToolButtonEntry TOOL_BUTTONS[] = {
    {ID_MODE_LIST, 0}, {ID_MODE_DETAIL, 1}, {ID_MODE_THUMBNAIL, 2}, {ID_MODE_GALLERY, 3},
    {0, -1},           {ID_SLIDESHOW, 4},   {ID_SLIDESHOW_PREFERENCES, 5}, {ID_VIEW_PREFERENCES, 6},
};

}  // namespace

CMainFrame* GetMainFrame() {
    Application* app = Application::Current();
    return app ? dynamic_cast<CMainFrame*>(app->m_pMainWnd) : nullptr;
}

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame() {
    if (GetFullScreenSwitch() == this)
        SetFullScreenSwitch(nullptr);
    m_menuBar.reset();
}

bool CMainFrame::LoadFrame(UINT) { return Create(NORMAL_RECT, u"Kestrelview"); }

ToolBar* CMainFrame::GetToolBar() const {
    return m_menuBar ? static_cast<ToolBar*>(m_menuBar->GetToolBar()) : nullptr;
}

// Accelerator table 128. The handheld has no keyboard to speak of; on a
// desktop, Ctrl+Q ends the program as the menu's "Exit" does.
static const std::vector<Accelerator>& MainAccelerators() {
    static const std::vector<Accelerator> table = {{'Q', true, false, ID_APP_EXIT}};
    return table;
}

int CMainFrame::OnCreate() {
    SetFullScreenSwitch(this);
    SetAccelerators(MainAccelerators());
    for (int i = 0; i < TOOLTIP_COUNT; ++i) {
        std::u16string text = LoadString(TOOLTIP_IDS[i]);
        if (text.size() > 255)
            text.resize(255);
        m_toolTips[i + 1] = text;
    }
    return CreateBars() ? 0 : -1;
}

bool CMainFrame::CreateBars() {
    m_menuBar = std::make_unique<MenuBar>();
    if (!m_menuBar->Create(this, SHCMBF_HIDESIPBUTTON))
        return false;
    if (!m_menuBar->InsertMenuBar(LoadMenuResource(IDM_TOOLS), LoadString(IDS_TOOLS)))
        return false;
    auto toolBar = std::make_unique<ToolBar>();
    if (!toolBar->Create(m_menuBar.get(), {0, 0, 1, 1}, 0, u"", WS_CHILD | WS_VISIBLE))
        return false;
    std::vector<ToolButton> buttons;
    for (const ToolButtonEntry& b : TOOL_BUTTONS)
        buttons.push_back({b.command, b.image});
    if (!toolBar->AddButtons(MakeToolbarImages(), TOOLBAR_IMAGE_SIZE, TOOLBAR_IMAGE_SIZE, buttons))
        return false;
    // The bar's texts are for its buttons in order; entry 1 ("New") has
    // no button, so the seven buttons take entries 2..8.
    toolBar->SetToolTips({m_toolTips.begin() + 2, m_toolTips.end()});
    toolBar->SetOwner(this);
    m_menuBar->AttachToolBar(std::move(toolBar));
    return true;
}

bool CMainFrame::IsFullScreen() const {
    return !g_fullScreen.full.IsEmpty() && GetWindowRect() == g_fullScreen.full;
}

int CMainFrame::SetFullScreen(bool on, bool force) {
    if (g_fullScreen.normal.IsEmpty()) {
        g_fullScreen.normal = GetWindowRect();
        const Rect& n = g_fullScreen.normal;
        g_fullScreen.full = {0, 0, n.right, n.bottom + 26};
    }
    const Rect& target = on ? g_fullScreen.full : g_fullScreen.normal;
    if (!force && GetWindowRect() == target) {
        SHFullScreen(this, SHFS_HIDESIPBUTTON);
        return 0;
    }
    if (on) {
        SipShowIM(false);
        SHFullScreen(this, SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON);
        if (m_menuBar)
            m_menuBar->ShowWindow(false);
    } else {
        SHFullScreen(this, SHFS_SHOWTASKBAR);
        if (m_menuBar)
            m_menuBar->ShowWindow(true);
    }
    MoveWindow(target, true);
    return 1;
}

void CMainFrame::PressModeButton(UINT command) {
    ToolBar* bar = GetToolBar();
    if (bar && m_pressedButton != UINT(-1))
        bar->PressButton(m_pressedButton, false);
    if (bar)
        bar->PressButton(command, true);
    m_pressedButton = command;
}

void CMainFrame::BringToFront() {
    BringToTop();
    if (m_menuBar && m_menuBar->IsVisibleFlag())
        m_menuBar->BringToTop();
    if (Shell* shell = Shell::Current(); shell && shell->IsTaskBarVisible())
        InvalidateRect(&shell->GetTaskBar(), nullptr, false);
}

void CMainFrame::OnIdle() {
    ToolBar* bar = GetToolBar();
    if (!bar)
        return;
    for (const ToolButtonEntry& b : TOOL_BUTTONS)
        if (b.command)
            bar->EnableButton(b.command, QueryCommand(b.command).IsEnabled());
}

// A second start hands its command line over; a path in it is shown by
// the active view, as if chosen there.
void CMainFrame::OnCopyData(const COPYDATASTRUCT* data) {
    if (!data || !data->lpData || data->cbData < sizeof(char16_t))
        return;
    std::u16string text(static_cast<const char16_t*>(data->lpData), data->cbData / sizeof(char16_t));
    if (const size_t end = text.find(u'\0'); end != std::u16string::npos)
        text.resize(end);
    if (text.empty() || !GetActiveView())
        return;
    SendMessage(GetActiveView(), ImageSelectedMessage(), 1, reinterpret_cast<LPARAM>(text.c_str()));
}

void CMainFrame::OnClose() {
    if (m_menuBar)
        m_menuBar->Destroy();
    FrameWindow::OnClose();
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && GetFullScreenSwitch() == this)
        SetFullScreenSwitch(nullptr);
    if (message == WM_COPYDATA) {
        OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return 1;
    }
    return FrameWindow::WindowProc(message, wParam, lParam);
}
