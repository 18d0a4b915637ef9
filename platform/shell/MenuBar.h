#pragma once
#include <memory>
#include <string>

#include "platform/window/PaintedWindow.h"

class Menu;

// Creation flag: no input-panel button on this bar.
constexpr uint32_t SHCMBF_HIDESIPBUTTON = 0x4;

// The band at the bottom of the screen under a program's frame: a menu
// button ("Tools") that opens a popup upwards, a tool bar beside it, and
// the input-panel button at the right end. Commands go to the owner.
class MenuBar : public PaintedWindow {
public:
    static constexpr int32_t PANEL_BUTTON_WIDTH = 24;

    MenuBar();
    ~MenuBar() override;

    bool Create(HWND owner, uint32_t flags);
    // One menu button with `caption` opening the first popup of `menu`.
    bool InsertMenuBar(std::unique_ptr<Menu> menu, std::u16string_view caption);
    // The bar takes the window and puts it between the menu button and the
    // panel button.
    Window* AttachToolBar(std::unique_ptr<Window> toolBar);
    Window* GetToolBar() const { return m_toolBar.get(); }
    Menu* GetMenu() const { return m_menu.get(); }
    Rect MenuButtonRect() const { return m_menuButton; }
    Rect PanelButtonRect() const;
    bool IsPanelButtonShown() const;
    bool IsMenuOpen() const { return m_menuOpen; }
    // Opens the menu as a tap on its button does; returns when it closed.
    void OpenMenu();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Layout();
    void Paint(DeviceContext& dc) override;
    void OnTap(Point client);

    HWND m_owner = nullptr;
    uint32_t m_flags = 0;
    std::unique_ptr<Menu> m_menu;
    std::u16string m_caption;
    Rect m_menuButton;
    std::unique_ptr<Window> m_toolBar;
    bool m_menuOpen = false;
};
