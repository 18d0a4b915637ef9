#pragma once
#include <string>
#include <string_view>

#include "platform/ControlMessages.h"
#include "platform/ListItems.h"
#include "platform/ScrollBarControl.h"
#include "platform/Window.h"

// A list box: rows of text with one selected row, sorted with LBS_SORT, a
// frame with WS_BORDER and a vertical scroll bar of its own when the rows
// do not fit. A tap (and dragging over the rows) selects; the Up, Down,
// Home, End and page keys move the selection. User changes send
// LBN_SELCHANGE, and a double tap LBN_DBLCLK, to the parent with
// LBS_NOTIFY; changes made through the messages notify nothing. While
// redrawing is off (WM_SETREDRAW 0) nothing is painted; turning it on
// repaints the whole box.
class ListBoxControl : public Window {
public:
    int AddString(std::u16string_view text);
    // -1 appends; LB_ERR for an index past the end.
    int InsertString(int index, std::u16string_view text);
    // The count left, or LB_ERR.
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const { return m_items.Count(); }
    int GetCurSel() const { return m_items.Selection(); }
    // Selects and scrolls it into view; -1 clears. The index, or LB_ERR
    // when nothing is selected afterwards.
    int SetCurSel(int index);
    // Empty for a bad index.
    std::u16string GetText(int index) const { return std::u16string(m_items.Text(index)); }
    int GetTextLen(int index) const;
    // LB_ERR for a bad index.
    LPARAM GetItemData(int index) const;
    int SetItemData(int index, LPARAM data);
    int FindStringExact(int startAfter, std::u16string_view text) const;
    int GetTopIndex() const { return m_top; }
    void SetRedraw(bool on);
    bool IsRedrawOn() const { return m_redraw; }
    // The bar shown when the rows overflow.
    const ScrollBarControl& ScrollBar() const { return m_scrollBar; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool IsSorted() const { return (GetStyle() & LBS_SORT) != 0; }
    Rect InnerRect() const;  // inside the frame
    Rect RowsRect() const;  // the inner rect less the scroll bar when shown
    int VisibleRows() const;
    int MaxTop() const;
    int RowAt(Point client) const;
    void SetTop(int top);
    void EnsureVisible(int index);
    void UpdateScrollBar();
    void Invalidate();
    void Changed();
    bool SelectByUser(int index);
    void Notify(uint16_t code);

    void Paint();
    bool OnKey(UINT key);
    void OnStylusDown(Point p, bool doubleTap);
    void OnStylusMove(Point p);
    void OnStylusUp();
    void OnScroll(uint16_t code, int thumbPos);
    LRESULT OnListMessage(UINT message, WPARAM wParam, LPARAM lParam);

    ListItems m_items;
    ScrollBarControl m_scrollBar;
    int m_top = 0;
    bool m_redraw = true;
    bool m_tracking = false;
    int m_selectionAtPress = -1;
};

// Registers WC_LISTBOX (with double taps).
void RegisterListBoxClass();
