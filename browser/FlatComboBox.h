#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fonts/Font.h"
#include "platform/shell/Menu.h"
#include "platform/window/Window.h"

inline constexpr char16_t FLAT_COMBO_BOX_CLASS[] = u"FlatComboBox";

// A flat drop-down selector: the current choice as a bold label followed by
// a small down-pointing triangle, on a background colour, opening the first
// submenu of its popup menu below itself when tapped. While the menu is open
// the label shows the prompt instead. The chosen command goes to the parent,
// which answers with SetText.
class CFlatComboBox : public Window {
public:
    static constexpr int32_t LEFT_MARGIN = 2;
    static constexpr int32_t GAP = 0;
    static constexpr int32_t TRIANGLE_AREA = 14;
    static constexpr int32_t FONT_HEIGHT = 16;
    // A text too wide for the selector at FONT_HEIGHT is drawn in the
    // largest smaller font, down to this one, in which it fits; past that
    // it is cut with "...".
    static constexpr int32_t MIN_FONT_HEIGHT = 12;

    CFlatComboBox();
    ~CFlatComboBox() override;

    // Registers the window class "FlatComboBox" (redraw on resize, double taps).
    static bool RegisterClass();

    // Shown while the menu is open; takes effect at once when it is.
    void SetPromptText(std::u16string_view text);
    // The current choice; shown at once unless the menu is open, then when it closes.
    void SetText(std::u16string_view text);
    // Takes the popup menu, dropping the previous one.
    void SetMenu(std::unique_ptr<Menu> menu);
    Menu* GetMenu() const { return m_menu.get(); }
    // Content at the left (default) or at the right of the client area.
    void SetLeftAligned(bool leftAligned);
    void SetBackgroundColour(COLORREF colour);

    const std::u16string& GetText() const { return m_text; }
    const std::u16string& GetPromptText() const { return m_prompt; }
    const std::u16string& GetDisplayedText() const { return m_displayed; }
    COLORREF GetBackgroundColour() const { return m_background; }
    bool IsLeftAligned() const { return m_leftAligned; }
    bool IsMenuOpen() const { return m_menuOpen; }
    bool IsPressed() const { return m_pressed; }
    // Width of the displayed text as drawn (never more than TextRoom()).
    int32_t GetTextWidth() const;
    // The height of the font the displayed text is drawn in.
    int32_t GetFontHeight() const;
    // The widest text that fits beside the triangle.
    int32_t TextRoom() const;
    // Where the content starts: 0 when left-aligned, else so that it ends
    // one pixel before the right edge.
    int32_t GetContentStart() const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    const Font* GetFont() const;
    const Font* FontOfHeight(int32_t height) const;
    bool IsOnText(Point client) const;
    void Repaint();
    void Paint(DeviceContext& dc);
    void OnPress(Point client);
    void OnRelease(Point client);
    void OpenMenu();

    bool m_leftAligned = true;
    std::unique_ptr<Menu> m_menu;
    // Menus replaced while one of them is being tracked; dropped afterwards.
    std::vector<std::unique_ptr<Menu>> m_retired;
    std::u16string m_text = u"Name";
    std::u16string m_prompt = u"Sort By";
    std::u16string m_displayed = u"Name";
    bool m_menuOpen = false;
    bool m_pressed = false;
    COLORREF m_background;
    // By height, from FONT_HEIGHT down to MIN_FONT_HEIGHT, made when first used.
    mutable std::vector<std::unique_ptr<Font>> m_fonts;
};
