#pragma once
#include <memory>
#include <vector>

#include "platform/shell/Menu.h"
#include "platform/window/ModalInput.h"
#include "platform/shell/PopupMenuWindow.h"

// Runs one popup menu modally: opens its window, follows the stylus and the
// keys through the menu and its submenus, and closes everything when an item
// is chosen or the menu is dismissed. The owner hears WM_INITMENUPOPUP before
// each level opens.
class MenuTracker {
public:
    MenuTracker(Menu& menu, UINT flags, Point anchor, HWND owner);
    ~MenuTracker();
    MenuTracker(const MenuTracker&) = delete;
    MenuTracker& operator=(const MenuTracker&) = delete;

    // Skips WM_INITMENUPOPUP for the top menu, already sent by the caller.
    void SetTopInitialised() { m_topInitialised = true; }
    // The chosen command; 0 when dismissed or when no window could open.
    UINT Run();

private:
    struct Level {
        std::unique_ptr<PopupMenuWindow> window;
        int fromItem = 0;  // the item of the level below that opened it
    };

    void InitPopup(Menu& menu, int indexInParent);
    bool OpenSubMenu(size_t parentLevel, int item, bool highlightFirst);
    void CloseLevelsAbove(size_t keep);
    void Finish(UINT chosen);
    // Index of the topmost open level under the point, -1 for none.
    int LevelAt(Point screen) const;
    void OnInput(const MSG& msg);
    void OnStylus(const MSG& msg);
    void OnStylusOver(size_t level, int item, bool press);
    void OnRelease(size_t level, int item);
    void OnKey(UINT key);
    void ActivateHighlight(bool openOnly);

    Menu& m_menu;
    UINT m_flags;
    Point m_anchor;
    HWND m_owner;
    bool m_topInitialised = false;
    std::vector<Level> m_levels;
    bool m_done = false;
    UINT m_chosen = 0;
    // The stylus has pressed or dragged on the menu. Until then a release
    // chooses nothing: it ends the press that opened the menu (a hold), which
    // may lie on an item once the menu has been moved to fit the screen.
    bool m_touched = false;
    ReleaseSwallower m_release;
};
