#pragma once
#include <string>
#include <string_view>

#include "platform/controls/ControlMessages.h"
#include "platform/controls/ScrollBarControl.h"
#include "platform/controls/TextListControl.h"

// A list box: rows of text with one selected row, sorted with LBS_SORT, a
// frame with WS_BORDER and a vertical scroll bar of its own when the rows
// do not fit. A tap (and dragging over the rows) selects; the Up, Down,
// Home, End and page keys move the selection. User changes send
// LBN_SELCHANGE, and a double tap LBN_DBLCLK, to the parent with
// LBS_NOTIFY; changes made through the messages notify nothing. While
// redrawing is off (WM_SETREDRAW 0) nothing is painted; turning it on
// repaints the whole box.
class ListBoxControl : public TextListControl {
public:
    ListBoxControl() : TextListControl(LBS_SORT) {}

    // The framework's names for the item calls.
    std::u16string GetText(int index) const { return GetItemText(index); }
    int GetTextLen(int index) const { return GetItemTextLen(index); }
    int GetTopIndex() const { return m_top; }
    // The bar shown when the rows overflow.
    const ScrollBarControl& ScrollBar() const { return m_scrollBar; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    Rect InnerRect() const;  // inside the frame
    Rect RowsRect() const;  // the inner rect less the scroll bar when shown
    int VisibleRows() const;
    int MaxTop() const;
    int RowAt(Point client) const;
    void SetTop(int top);
    void EnsureVisible(int index);
    void UpdateScrollBar();
    void OnItemsChanged() override;
    void OnSelectionSet(int index) override { EnsureVisible(index); }
    void OnRedrawOn() override { UpdateScrollBar(); }
    bool SelectByUser(int index);
    void Notify(uint16_t code);

    void Paint();
    bool OnKey(UINT key);
    void OnStylusDown(Point p, bool doubleTap);
    void OnStylusMove(Point p);
    void OnStylusUp();
    void OnScroll(uint16_t code, int thumbPos);
    LRESULT OnListMessage(UINT message, WPARAM wParam, LPARAM lParam);

    ScrollBarControl m_scrollBar;
    int m_top = 0;
    bool m_tracking = false;
    int m_selectionAtPress = -1;
};

// Registers WC_LISTBOX (with double taps).
void RegisterListBoxClass();
