#include "platform/shell/MenuTracker.h"

#include "platform/controls/ControlMessages.h"
#include "platform/window/ModalResponder.h"
#include "platform/window/WindowManager.h"

MenuTracker::MenuTracker(Menu& menu, UINT flags, Point anchor, HWND owner)
    : m_menu(menu), m_flags(flags), m_anchor(anchor), m_owner(owner) {}

MenuTracker::~MenuTracker() { CloseLevelsAbove(0); }

void MenuTracker::InitPopup(Menu& menu, int indexInParent) {
    WindowManager* manager = WindowManager::Current();
    if (manager != nullptr && manager->IsWindow(m_owner))
        manager->SendMessage(m_owner, WM_INITMENUPOPUP, WPARAM(&menu), LPARAM(indexInParent));
}

UINT MenuTracker::Run() {
    WindowManager* manager = WindowManager::Current();
    if (manager == nullptr) return 0;
    if (!m_topInitialised) InitPopup(m_menu, 0);
    auto top = std::make_unique<PopupMenuWindow>(m_menu);
    if (!top->OpenAt(m_anchor, (m_flags & TPM_BOTTOMALIGN) != 0)) return 0;
    m_levels.push_back({std::move(top), 0});
    // The stylus belongs to the menu now: whoever held it hears that it lost it.
    manager->SetCapture(m_levels.front().window.get());
    RunModalInput([this](const MSG& msg) { OnInput(msg); },
                  [this] { return m_done && !m_release.Pending(); });
    CloseLevelsAbove(0);
    return m_chosen;
}

void MenuTracker::Finish(UINT chosen) {
    m_chosen = chosen;
    m_done = true;
    // Gone from the screen at once, even while a release is still awaited.
    CloseLevelsAbove(0);
}

void MenuTracker::CloseLevelsAbove(size_t keep) {
    while (m_levels.size() > keep) {
        m_levels.back().window->Destroy();
        m_levels.pop_back();
    }
}

bool MenuTracker::OpenSubMenu(size_t parentLevel, int item, bool highlightFirst) {
    CloseLevelsAbove(parentLevel + 1);
    PopupMenuWindow& parent = *m_levels[parentLevel].window;
    Menu* sub = parent.GetMenu().GetSubMenu(item);
    if (sub == nullptr || !parent.IsSelectable(item)) return false;
    InitPopup(*sub, item);
    auto window = std::make_unique<PopupMenuWindow>(*sub);
    if (!window->OpenBeside(parent.GetWindowRect(), parent.GetItemScreenRect(item))) return false;
    if (highlightFirst) window->SetHighlight(window->NextSelectable(PopupMenuWindow::NO_ITEM, 1));
    m_levels.push_back({std::move(window), item});
    return true;
}

int MenuTracker::LevelAt(Point screen) const {
    for (size_t i = m_levels.size(); i-- > 0;)
        if (m_levels[i].window->GetWindowRect().Contains(screen.x, screen.y)) return int(i);
    return -1;
}

void MenuTracker::OnInput(const MSG& msg) {
    if (m_release.Take(msg) || m_done) return;
    if (IsStylusMessage(msg.message))
        OnStylus(msg);
    else if (msg.message == WM_KEYDOWN)
        OnKey(UINT(msg.wParam));
}

void MenuTracker::OnStylus(const MSG& msg) {
    const bool press = msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONDBLCLK;
    const bool release = msg.message == WM_LBUTTONUP;
    const bool drag = msg.message == WM_MOUSEMOVE && (msg.wParam & MK_LBUTTON) != 0;
    if (!press && !release && !drag) return;
    const int level = LevelAt(msg.pt);
    if (level < 0) {
        if (press) {
            // A tap outside every open menu dismisses it; the release is ours too.
            m_release.ExpectStylusUp();
            Finish(0);
        } else if (drag) {
            m_levels.back().window->SetHighlight(PopupMenuWindow::NO_ITEM);
        }
        return;
    }
    const int item = m_levels[size_t(level)].window->ItemFromPoint(msg.pt);
    if (!release) {
        m_touched = true;
        OnStylusOver(size_t(level), item, press);
    } else if (m_touched) {
        OnRelease(size_t(level), item);
    }
}

void MenuTracker::OnStylusOver(size_t level, int item, bool press) {
    PopupMenuWindow& window = *m_levels[level].window;
    if (item == PopupMenuWindow::SCROLL_UP || item == PopupMenuWindow::SCROLL_DOWN) {
        if (press) window.ScrollPage(item == PopupMenuWindow::SCROLL_UP ? -1 : 1);
        return;
    }
    // A submenu stays open while the stylus is on the item that opened it.
    const bool onOpener = level + 1 < m_levels.size() && m_levels[level + 1].fromItem == item;
    if (!onOpener) CloseLevelsAbove(level + 1);
    window.SetHighlight(window.IsSelectable(item) ? item : PopupMenuWindow::NO_ITEM);
}

void MenuTracker::OnRelease(size_t level, int item) {
    PopupMenuWindow& window = *m_levels[level].window;
    if (!window.IsSelectable(item)) return;
    window.SetHighlight(item);
    if (window.GetMenu().GetSubMenu(item) != nullptr) {
        const bool alreadyOpen = level + 1 < m_levels.size() && m_levels[level + 1].fromItem == item;
        if (!alreadyOpen) OpenSubMenu(level, item, false);
        return;
    }
    Finish(window.GetMenu().GetItemId(item));
}

void MenuTracker::OnKey(UINT key) {
    PopupMenuWindow& window = *m_levels.back().window;
    switch (key) {
    case VK_DOWN:
    case VK_UP:
        window.SetHighlight(window.NextSelectable(window.GetHighlight(), key == VK_DOWN ? 1 : -1));
        break;
    case VK_RIGHT:
        ActivateHighlight(true);
        break;
    case VK_RETURN:
        ActivateHighlight(false);
        if (m_done) m_release.ExpectKeyUp(key);
        break;
    case VK_LEFT:
        if (m_levels.size() > 1) CloseLevelsAbove(m_levels.size() - 1);
        break;
    case VK_ESCAPE:
        if (m_levels.size() > 1) {
            CloseLevelsAbove(m_levels.size() - 1);
        } else {
            m_release.ExpectKeyUp(key);
            Finish(0);
        }
        break;
    default:
        break;
    }
}

// Opens the submenu of the highlighted item with its first item highlighted,
// or (unless `openOnly`) chooses the highlighted command.
void MenuTracker::ActivateHighlight(bool openOnly) {
    const size_t level = m_levels.size() - 1;
    PopupMenuWindow& window = *m_levels[level].window;
    const int item = window.GetHighlight();
    if (!window.IsSelectable(item)) return;
    if (window.GetMenu().GetSubMenu(item) != nullptr)
        OpenSubMenu(level, item, true);
    else if (!openOnly)
        Finish(window.GetMenu().GetItemId(item));
}

// ---- TrackPopupMenu ---------------------------------------------------------

namespace {

std::vector<ShownMenuItem> Snapshot(const Menu& menu) {
    std::vector<ShownMenuItem> shown;
    for (const Menu::Item& item : menu.Items()) {
        ShownMenuItem s;
        s.id = (item.state & MF_POPUP) != 0 ? 0xFFFFFFFF : item.id;
        s.text = item.text;
        s.state = item.state;
        if (item.sub) s.sub = Snapshot(*item.sub);
        shown.push_back(std::move(s));
    }
    return shown;
}

// What a user opening every submenu would make the owner do to it.
void InitSubMenus(Menu& menu, HWND owner) {
    for (int i = 0; i < menu.GetItemCount(); ++i) {
        Menu* sub = menu.GetSubMenu(i);
        if (sub == nullptr) continue;
        SendMessage(owner, WM_INITMENUPOPUP, WPARAM(sub), LPARAM(i));
        InitSubMenus(*sub, owner);
    }
}

// A command id that an enabled item of the menu or its submenus carries.
bool CanChoose(const Menu& menu, UINT id) {
    for (const Menu::Item& item : menu.Items()) {
        if ((item.state & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR)) != 0) continue;
        if (item.sub ? CanChoose(*item.sub, id) : item.id == id) return true;
    }
    return false;
}

UINT ChooseCommand(Menu& menu, UINT flags, Point anchor, HWND owner) {
    ModalResponder* responder = ModalResponder::Current();
    MenuTracker tracker(menu, flags, anchor, owner);
    if (responder == nullptr) return tracker.Run();
    WindowManager* manager = WindowManager::Current();
    const bool ownerAlive = manager != nullptr && manager->IsWindow(owner);
    if (ownerAlive) {
        SendMessage(owner, WM_INITMENUPOPUP, WPARAM(&menu), 0);
        InitSubMenus(menu, owner);
    }
    tracker.SetTopInitialised();
    ShownMenu shown{Snapshot(menu), anchor, flags, owner};
    responder->menus.push_back(shown);
    if (!responder->onMenu) return tracker.Run();
    const UINT id = responder->onMenu(shown);
    return id != 0 && CanChoose(menu, id) ? id : 0;
}

}  // namespace

UINT TrackPopupMenu(Menu& menu, UINT flags, int32_t x, int32_t y, HWND owner) {
    const UINT chosen = ChooseCommand(menu, flags, {x, y}, owner);
    if ((flags & TPM_RETURNCMD) != 0) return chosen;
    WindowManager* manager = WindowManager::Current();
    if (chosen != 0 && manager != nullptr && manager->IsWindow(owner))
        manager->SendMessage(owner, WM_COMMAND, MAKEWPARAM(uint16_t(chosen), 0), 0);
    return chosen != 0 ? 1 : 0;
}
