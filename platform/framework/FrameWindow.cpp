#include "platform/framework/FrameWindow.h"

#include "platform/framework/Application.h"
#include "platform/framework/Document.h"
#include "platform/shell/Menu.h"
#include "platform/framework/View.h"
#include "platform/window/WindowManager.h"

namespace {

// Applies an update handler's state straight to a menu item.
class MenuItemUi : public CommandUi {
public:
    MenuItemUi(Menu& menu, UINT id) : CommandUi(id), m_menu(menu) {}
    void Enable(bool on) override {
        CommandUi::Enable(on);
        m_menu.EnableMenuItem(Id(), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    }
    void SetCheck(int check) override {
        CommandUi::SetCheck(check);
        m_menu.CheckMenuItem(Id(), MF_BYCOMMAND | (check ? MF_CHECKED : MF_UNCHECKED));
    }
    void SetText(std::u16string_view text) override {
        CommandUi::SetText(text);
        m_menu.SetItemText(Id(), MF_BYCOMMAND, text);
    }

private:
    Menu& m_menu;
};

}  // namespace

FrameWindow::FrameWindow() { OnCommand(ID_APP_EXIT, [this] { SendMessage(this, WM_CLOSE, 0, 0); }); }

FrameWindow::~FrameWindow() {
    // The view goes while the frame can still hear about it.
    if (m_view)
        m_view->Destroy();
    Destroy();
}

bool FrameWindow::Create(const Rect& rect, std::u16string_view title) {
    return Window::Create(nullptr, rect, 0, title, 0);
}

bool FrameWindow::LoadFrame(UINT) {
    return Create({0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, u"");
}

void FrameWindow::ActivateFrame() {
    ShowWindow(true);
    SetActiveWindow(this);
}

void FrameWindow::SetView(std::unique_ptr<View> view) {
    m_view = std::move(view);
}

bool FrameWindow::OnCmdMsg(UINT id, int code, CommandUi* ui) {
    if (m_view && m_view->OnCmdMsg(id, code, ui))
        return true;
    if (m_document && m_document->OnCmdMsg(id, code, ui))
        return true;
    if (DispatchOwn(id, code, ui))
        return true;
    Application* app = Application::Current();
    return app && app->OnCmdMsg(id, code, ui);
}

CommandUi FrameWindow::QueryCommand(UINT id) {
    CommandUi ui(id);
    OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui);
    return ui;
}

void FrameWindow::UpdateMenu(Menu& menu) {
    for (int i = 0; i < menu.GetItemCount(); ++i) {
        if (Menu* sub = menu.GetSubMenu(i)) {
            UpdateMenu(*sub);
            continue;
        }
        const UINT id = menu.GetItemId(i);
        if (id == 0 || id == 0xFFFFFFFFu)
            continue;
        MenuItemUi ui(menu, id);
        // A command nobody takes cannot be chosen.
        if (!OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui))
            menu.EnableMenuItem(id, MF_BYCOMMAND | MF_GRAYED);
    }
}

bool FrameWindow::PreTranslateMessage(const MSG& msg) {
    return TranslateAccelerator(this, m_accelerators, msg);
}

void FrameWindow::OnClose() {
    if (m_view)
        m_view->Destroy();
    Destroy();
    PostQuitMessage(0);
}

LRESULT FrameWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate();
    case WM_SIZE:
        if (m_view && m_view->IsAlive())
            m_view->MoveWindow(ViewRect());
        return 0;
    case WM_COMMAND:
        OnCmdMsg(LOWORD(wParam), CN_COMMAND, nullptr);
        return 0;
    case WM_SETFOCUS:
        // The frame holds the focus only to pass it on to its view.
        if (m_view && m_view->IsAlive() && m_view->IsWindowVisible())
            SetFocus(m_view.get());
        return 0;
    case WM_INITMENUPOPUP:
        if (wParam)
            UpdateMenu(*reinterpret_cast<Menu*>(wParam));
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    default:
        return DefWindowProc(message, wParam, lParam);
    }
}
