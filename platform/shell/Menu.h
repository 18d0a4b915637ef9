#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window/WindowMessages.h"

// Item flags and states of a menu.
constexpr UINT MF_STRING = 0x0, MF_ENABLED = 0x0, MF_UNCHECKED = 0x0, MF_BYCOMMAND = 0x0;
constexpr UINT MF_GRAYED = 0x1, MF_DISABLED = 0x2, MF_CHECKED = 0x8, MF_POPUP = 0x10;
constexpr UINT MF_BYPOSITION = 0x400, MF_SEPARATOR = 0x800;
// TrackPopupMenu flags.
constexpr UINT TPM_LEFTALIGN = 0x0, TPM_TOPALIGN = 0x0, TPM_BOTTOMALIGN = 0x20, TPM_RETURNCMD = 0x100;

// A popup menu: a list of string items, separators and submenus. The menu
// owns its submenus.
class Menu {
public:
    Menu();
    ~Menu();
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    // MF_STRING or MF_SEPARATOR, plus MF_GRAYED/MF_CHECKED.
    bool AppendItem(UINT flags, UINT id, std::u16string_view text);
    bool AppendSubMenu(std::unique_ptr<Menu> sub, std::u16string_view text, UINT flags = 0);
    // Before `position`; past the end appends.
    bool InsertItem(UINT position, UINT flags, UINT id, std::u16string_view text);
    // MF_BYCOMMAND (searches submenus) or MF_BYPOSITION.
    bool DeleteItem(UINT item, UINT flags);
    void RemoveAll();
    int GetItemCount() const;
    // 0 for a separator, 0xFFFFFFFF for a submenu or no item.
    UINT GetItemId(int position) const;
    // nullptr when that item has none.
    Menu* GetSubMenu(int position) const;
    std::u16string GetItemText(UINT item, UINT flags) const;
    bool SetItemText(UINT item, UINT flags, std::u16string_view text);
    // flags: by command or by position | MF_GRAYED or MF_ENABLED. Returns
    // the previous state (MF_GRAYED or 0), -1 if there is no such item.
    int EnableMenuItem(UINT item, UINT flags);
    // MF_CHECKED / MF_UNCHECKED; the previous state, -1 if none.
    int CheckMenuItem(UINT item, UINT flags);
    // MF_GRAYED|MF_CHECKED|MF_POPUP|MF_SEPARATOR bits, 0xFFFFFFFF if none.
    UINT GetMenuState(UINT item, UINT flags) const;

    struct Item {
        UINT id = 0;
        UINT state = 0;  // MF_GRAYED, MF_CHECKED, MF_POPUP, MF_SEPARATOR
        std::u16string text;
        std::unique_ptr<Menu> sub;
    };
    const std::vector<Item>& Items() const { return m_items; }

private:
    // The item by command (this menu, then submenus) or by position, or nullptr.
    Item* Find(UINT item, UINT flags) const;

    std::vector<Item> m_items;
};

// Tracks the menu modally with its top-left (or bottom-left with
// TPM_BOTTOMALIGN) corner at the screen point, moved to stay on the screen.
// Sends WM_INITMENUPOPUP (wParam = Menu*, lParam = index of the item in its
// parent menu, 0 for the top) to `owner` before the menu and each submenu
// opens, so the owner can set item states.
// With TPM_RETURNCMD returns the chosen id (0 = dismissed) and sends
// nothing; without it, sends WM_COMMAND(MAKEWPARAM(id,0), 0) to owner after
// the menu has closed and returns non-zero when an item was chosen.
UINT TrackPopupMenu(Menu& menu, UINT flags, int32_t x, int32_t y, HWND owner);
