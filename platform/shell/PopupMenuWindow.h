#pragma once
#include <vector>

#include "platform/shell/Menu.h"
#include "platform/window/PaintedWindow.h"

// One open level of a popup menu: a top-level window above everything that
// draws the items of a Menu and maps stylus points to them. A menu taller
// than the screen shows a scroll strip at its top and bottom. The tracker
// decides what input does; this window only shows and hit-tests.
class PopupMenuWindow : public PaintedWindow {
public:
    static constexpr int32_t ITEM_HEIGHT = 18;
    static constexpr int32_t SEPARATOR_HEIGHT = 7;
    static constexpr int32_t SCROLL_STRIP = 12;
    static constexpr int32_t CHECK_AREA = 16;  // left of the text
    static constexpr int32_t ARROW_AREA = 16;  // right of the text
    static constexpr int32_t MIN_WIDTH = 60;
    // ItemFromPoint results besides item indexes.
    static constexpr int NO_ITEM = -1;
    static constexpr int SCROLL_UP = -2;
    static constexpr int SCROLL_DOWN = -3;

    explicit PopupMenuWindow(Menu& menu) : m_menu(menu) {}

    // Shows the menu with its top-left corner (bottom-left when
    // `bottomAlign`) at the screen point, moved to stay on the screen.
    bool OpenAt(Point anchor, bool bottomAlign);
    // Shows a submenu beside the item of its parent at `item` (screen
    // coordinates): to the right, or to the left when the right has no room.
    bool OpenBeside(const Rect& parentWindow, const Rect& item);

    Menu& GetMenu() const { return m_menu; }
    // An item index, NO_ITEM, SCROLL_UP or SCROLL_DOWN.
    int ItemFromPoint(Point screen) const;
    Rect GetItemScreenRect(int index) const;
    int GetHighlight() const { return m_highlight; }
    // Highlights the item (NO_ITEM for none), scrolled into view, repainted now.
    void SetHighlight(int index);
    // Enabled and not a separator: can be chosen or opened.
    bool IsSelectable(int index) const;
    // The next selectable item after `from` going by `step` (+1/-1), wrapping
    // round; NO_ITEM when there is none.
    int NextSelectable(int from, int step) const;
    // By whole pages of items; the highlight stays where it is.
    void ScrollPage(int direction);
    bool IsScrollable() const { return m_scrollable; }


private:
    Size Measure();
    int32_t ItemHeight(int index) const;
    int32_t ListTop() const { return 1 + (m_scrollable ? SCROLL_STRIP : 0); }
    int32_t ListBottom() const;
    // Client rectangle of an item; empty when scrolled out of view.
    Rect ItemRect(int index) const;
    int LastVisible() const;
    void ScrollIntoView(int index);
    void Repaint();
    void Paint(DeviceContext& dc) override;
    void PaintItem(DeviceContext& dc, int index, const Rect& rect);
    void PaintScrollStrips(DeviceContext& dc);

    Menu& m_menu;
    int m_highlight = NO_ITEM;
    int m_first = 0;  // first item shown
    bool m_scrollable = false;
};
