#pragma once
#include "platform/controls/ListItems.h"
#include "platform/controls/ScrollBarControl.h"
#include "platform/window/Window.h"

// The list a drop-down list shows while dropped: a framed top-level popup
// with the rows of the items (and a scroll bar when they do not all fit)
// that holds the stylus until a row is tapped or the stylus goes down
// outside it. The selected item starts highlighted; dragging over the rows
// moves the highlight. Keys are handed on by the drop-down list, which
// keeps the focus.
class DropListWindow : public Window {
public:
    static constexpr int MAX_VISIBLE_ROWS = 8;

    explicit DropListWindow(const ListItems& items) : m_items(items) {}

    // Where the list goes for a box at `anchor` (screen coordinates): below
    // it, or above it when the screen has no room below; on the side with
    // more room, with fewer rows, when neither fits.
    static Rect PlaceFor(const Rect& anchor, int itemCount);

    // Shows the list at `rect` (from PlaceFor), runs a modal loop until it
    // closes and takes it off the screen. The chosen index, or -1 when it
    // was dismissed (or the loop was ended by a quit).
    int Track(const Rect& rect);
    // Ends the loop with `choice`.
    void Close(int choice);
    // Up / Down move the highlight, Enter chooses it, Escape dismisses.
    bool OnKey(UINT key);
    int GetHotRow() const { return m_hot; }
    int GetTopIndex() const { return m_top; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    Rect RowsRect() const;
    int VisibleRows() const;
    int RowAt(Point client) const;
    void SetTop(int top);
    void SetHot(int index);
    void Paint();
    void OnStylusDown(WPARAM keys, Point p);
    void OnStylusMove(WPARAM keys, Point p);
    void OnStylusUp(Point p);
    void OnScroll(uint16_t code, int thumbPos);
    void UpdateScrollBar();

    const ListItems& m_items;
    ScrollBarControl m_scrollBar;
    int m_top = 0;
    int m_hot = -1;
    bool m_done = false;
    int m_choice = -1;
};
