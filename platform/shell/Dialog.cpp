#include "platform/shell/Dialog.h"

#include <functional>

#include "platform/controls/ControlMessages.h"
#include "platform/controls/DataExchange.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/shell/DialogStrip.h"
#include "platform/shell/InputPanelWindow.h"
#include "platform/window/ModalInput.h"
#include "platform/window/ModalResponder.h"
#include "platform/shell/Shell.h"
#include "platform/window/WindowClass.h"
#include "platform/window/WindowManager.h"

namespace {

// How often a responder is asked again while OnOK keeps the dialog open.
constexpr int MAX_RESPONDER_ROUNDS = 3;

bool IsTabStop(const Window* w) {
    return (w->GetStyle() & WS_TABSTOP) && w->IsVisibleFlag() && w->IsWindowEnabled();
}

}  // namespace

Dialog::Dialog(std::u16string_view caption) { SetWindowText(caption); }

Dialog::~Dialog() { DestroyDialogWindows(); }

void Dialog::AddControl(std::u16string_view className, int id, const Rect& rect,
                        std::u16string_view text, uint32_t style, bool visible) {
    style |= WS_CHILD;
    style = visible ? style | WS_VISIBLE : style & ~WS_VISIBLE;
    m_template.push_back({std::u16string(className), id, rect, std::u16string(text), style});
}

int Dialog::DoModal(HWND owner) {
    if (!WindowManager::Current() || m_running || IsAlive())
        return -1;
    const ModalScreen screen;
    m_running = true;
    m_ended = false;
    m_result = IDCANCEL;
    m_keyUpToDrop = 0;
    int result = -1;
    if (CreateDialogWindows(owner)) {
        const bool focusFirst = SendMessage(this, WM_INITDIALOG, 0, 0) != 0;
        if (IsAlive())
            SetInitialFocus(focusFirst);
        ModalResponder* responder = ModalResponder::Current();
        if (responder)
            responder->dialogs.push_back(GetWindowText());
        if (m_ended || !IsAlive())
            result = m_result;
        else if (responder && responder->onDialog)
            result = AnswerFromResponder(*responder);
        else
            result = RunLoop();
    }
    DestroyDialogWindows();
    m_running = false;
    return result;
}

void Dialog::EndDialog(int code) {
    m_result = code;
    m_ended = true;
}

bool Dialog::CreateDialogWindows(HWND owner) {
    WindowManager& manager = *WindowManager::Current();
    m_previousFocus = manager.GetFocus();
    const std::u16string caption = GetWindowText();
    const Rect client{0, DIALOG_STRIP_HEIGHT, SCREEN_WIDTH, SCREEN_HEIGHT - DIALOG_STRIP_HEIGHT};
    if (!Window::Create(nullptr, client, 0, caption, WS_VISIBLE))
        return false;
    SetBackgroundColour(GetSysColor(COLOR_WINDOW));
    m_titleStrip = std::make_unique<DialogStrip>(*this, DialogStrip::Kind::Title);
    m_commandStrip = std::make_unique<DialogStrip>(*this, DialogStrip::Kind::Command);
    if (!m_titleStrip->Create() || !m_commandStrip->Create())
        return false;
    // A raised input panel stays above the dialog, so that it can type into it.
    if (Shell* shell = Shell::Current(); shell && shell->IsInputPanelOn())
        shell->GetInputPanel().BringToTop();
    // The owner's top-level window takes no input while the dialog runs.
    Window* top = manager.FromHandle(owner);
    while (top && top->GetParent())
        top = top->GetParent();
    if (top && top->IsWindowEnabled()) {
        top->EnableWindow(false);
        m_disabledOwner = top;
    }
    for (const Template& t : m_template) {
        std::unique_ptr<Window> control =
            CreateWindowOfClass(t.className, this, t.rect, t.id, t.text, t.style);
        if (!control)
            return false;
        m_controls.push_back(std::move(control));
    }
    return true;
}

void Dialog::DestroyDialogWindows() {
    WindowManager* manager = WindowManager::Current();
    if (Window* owner = manager ? manager->FromHandle(m_disabledOwner) : nullptr)
        owner->EnableWindow(true);
    m_disabledOwner = nullptr;
    if (manager && IsAlive()) {
        const HWND focus = manager->GetFocus();
        if (focus == this || IsChild(focus))
            manager->SetFocus(manager->IsWindow(m_previousFocus) ? m_previousFocus : nullptr);
    }
    m_previousFocus = nullptr;
    Destroy();
    m_controls.clear();
    m_titleStrip.reset();
    m_commandStrip.reset();
}

void Dialog::FocusControl(HWND control) {
    SetFocus(control);
    if (SendMessage(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessage(control, EM_SETSEL, 0, -1);
}

void Dialog::SetInitialFocus(bool toFirstTabStop) {
    const HWND focus = GetFocus();
    const bool inside = focus == this || IsChild(focus);
    if (!toFirstTabStop && inside)
        return;
    for (Window* child : Children()) {
        if (IsTabStop(child)) {
            FocusControl(child);
            return;
        }
    }
    if (!inside)
        SetFocus(this);
}

int Dialog::AnswerFromResponder(ModalResponder& responder) {
    const std::function<int(Window&)> answerer = responder.onDialog;
    for (int round = 0; round < MAX_RESPONDER_ROUNDS && !m_ended && IsAlive(); ++round) {
        const int answer = answerer(*this);
        if (m_ended)
            break;
        if (answer == IDOK)
            OnOK();
        else if (answer == IDCANCEL)
            OnCancel();
        else
            EndDialog(answer);
    }
    if (!m_ended)
        EndDialog(IDCANCEL);
    return m_result;
}

int Dialog::RunLoop() {
    WindowManager& manager = *WindowManager::Current();
    MSG msg;
    while (!m_ended && IsAlive()) {
        if (!manager.GetMessage(msg)) {
            manager.PostQuitMessage(int(msg.wParam));
            return -1;
        }
        if (msg.message == WM_KEYUP && m_keyUpToDrop != 0 && msg.wParam == m_keyUpToDrop) {
            m_keyUpToDrop = 0;
            continue;
        }
        if (PreTranslate(msg))
            continue;
        manager.TranslateMessage(msg);
        manager.DispatchMessage(msg);
    }
    if (m_keyUpToDrop != 0)
        DropKeyUp(m_keyUpToDrop);
    return m_result;
}

// The release of the key that ended the dialog must not reach the window
// below (views act on the release of Enter).
void Dialog::DropKeyUp(UINT key) {
    MSG msg;
    if (PeekMessage(msg, nullptr, WM_KEYUP, WM_KEYUP, PM_NOREMOVE) && msg.wParam == key)
        PeekMessage(msg, nullptr, WM_KEYUP, WM_KEYUP, PM_REMOVE);
    else if (WindowManager* manager = WindowManager::Current())
        manager->DropNextKeyUp(key);  // the release has not come in yet
    m_keyUpToDrop = 0;
}

// The dialog's own keys: Escape cancels, Enter presses the default button,
// Tab moves the focus, unless the focused control asks for the key.
bool Dialog::PreTranslate(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.hwnd != this && !IsChild(msg.hwnd)))
        return false;
    const UINT key = UINT(msg.wParam);
    if (key != VK_ESCAPE && key != VK_RETURN && key != VK_TAB)
        return false;
    const LRESULT code =
        SendMessage(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    if (key == VK_TAB) {
        if (code & DLGC_WANTTAB)
            return false;
        MoveFocus(GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    // The release of Enter or Escape stays with the dialog even when the
    // control acts on the key: a button that ends the dialog on Enter must
    // not leave the release to the window below.
    m_keyUpToDrop = key;
    if (key == VK_RETURN && (code & (DLGC_WANTALLKEYS | DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
        return false;
    const int id = key == VK_ESCAPE ? IDCANCEL : DefaultCommandId();
    Window* button = GetDlgItem(id);
    if (button && !button->IsWindowEnabled())
        return true;
    SendMessage(this, WM_COMMAND, MAKEWPARAM(uint16_t(id), BN_CLICKED),
                LPARAM(HWND(button)));
    return true;
}

int Dialog::DefaultCommandId() const {
    for (Window* child : Children())
        if (child->IsVisibleFlag() &&
            (SendMessage(child, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON))
            return child->GetId();
    return IDOK;
}

void Dialog::MoveFocus(bool backwards) {
    std::vector<Window*> stops;
    for (Window* child : Children())
        if (IsTabStop(child))
            stops.push_back(child);
    if (stops.empty())
        return;
    const HWND focus = GetFocus();
    size_t current = stops.size();
    for (size_t i = 0; i < stops.size(); ++i)
        if (stops[i] == focus || stops[i]->IsChild(focus))
            current = i;
    size_t next = 0;
    if (current == stops.size())
        next = backwards ? stops.size() - 1 : 0;
    else
        next = (current + (backwards ? stops.size() - 1 : 1)) % stops.size();
    FocusControl(stops[next]);
}

bool Dialog::UpdateData(bool save) {
    DataExchange exchange(*this, save);
    DoDataExchange(exchange);
    if (!exchange.Failed())
        return true;
    if (Window* control = GetDlgItem(exchange.FailedId()))
        FocusControl(control);
    return false;
}

std::u16string Dialog::GetDlgItemText(int id) const {
    Window* control = GetDlgItem(id);
    return control ? GetControlText(control) : std::u16string();
}

void Dialog::SetDlgItemText(int id, std::u16string_view text) {
    if (Window* control = GetDlgItem(id))
        control->SetWindowText(text);
}

void Dialog::OnCommandMessage(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (OnCommand(id, code, HWND::FromParam(lParam)) || code != BN_CLICKED)
        return;
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
}

LRESULT Dialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog() ? 1 : 0;
    case WM_COMMAND:
        OnCommandMessage(wParam, lParam);
        return 0;
    case WM_CLOSE:
        OnCancel();
        return 0;
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProc(message, wParam, lParam);
        if (m_titleStrip)
            InvalidateRect(m_titleStrip.get(), nullptr, true);
        return result;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (DeviceContext* dc = BeginPaint(this, ps))
            OnPaint(*dc, ps.rcPaint);
        EndPaint(this, ps);
        return 0;
    }
    default:
        return DefWindowProc(message, wParam, lParam);
    }
}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

bool Dialog::OnCommand(int, int, HWND) { return false; }

void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::OnPaint(DeviceContext&, const Rect&) {}
