#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls/ControlMessages.h"
#include "platform/controls/HeaderControl.h"
#include "platform/controls/ListViewTypes.h"
#include "platform/fonts/SystemFont.h"
#include "platform/window/Window.h"

class DeviceContext;

// A report-style list: a header at the top and below it rows of one fixed
// height, each drawn by its owner (WM_DRAWITEM, or the DrawItem hook of a
// derived class) over the whole width of the columns. Rows carry a state
// (selected, focused) and a parameter; their text is kept but never drawn.
//
// The row height is asked once, at creation (WM_MEASUREITEM to the parent,
// or the MeasureItem hook). Scrolling moves by whole rows vertically and by
// pixels horizontally, the header following the columns.
//
// The stylus selects the row under it (Ctrl toggles and Shift extends in a
// multiple-selection list); releasing it sends NM_CLICK, a double tap
// NM_DBLCLK, moving a few pixels from a row LVN_BEGINDRAG, and holding it
// still NM_RECOGNIZEGESTURE (NMRGINFO with the screen point) instead of the
// click. Up, Down, Page Up, Page Down, Home and End move the selection and
// the focus; Left and Right scroll sideways. Every row whose state changes
// is reported with LVN_ITEMCHANGED. The header's notifications are passed
// on to the parent.
class ListViewControl : public Window {
public:
    static constexpr int32_t DEFAULT_ROW_HEIGHT = UI_FONT_HEIGHT + 4;
    static constexpr int HEADER_ID = 0;
    // Stylus travel from the press that starts a drag.
    static constexpr int32_t DRAG_DISTANCE = 5;
    // Pixels scrolled sideways by Left and Right.
    static constexpr int32_t SIDE_STEP = 20;

    ListViewControl() = default;
    ~ListViewControl() override;

    // Columns (kept by the header). A width of -1 means 50 pixels.
    int InsertColumn(int index, std::u16string_view heading, int format = LVCFMT_LEFT,
                     int width = -1);
    bool DeleteColumn(int index);
    int GetColumnWidth(int index) const;
    bool SetColumnWidth(int index, int width);
    HeaderControl* GetHeaderCtrl() { return IsAlive() ? &m_header : nullptr; }

    // Rows. An index past the end (or negative) inserts at the end.
    int InsertItem(int index, std::u16string_view text = {});
    bool DeleteItem(int index);
    bool DeleteAllItems();
    int GetItemCount() const { return int(m_rows.size()); }
    UINT GetItemState(int index, UINT mask) const;
    // Index -1 changes every row (setting the focus on all of them is
    // ignored, and so is selecting all of them in a single-selection list).
    bool SetItemState(int index, UINT state, UINT mask);
    LPARAM GetItemData(int index) const;
    bool SetItemData(int index, LPARAM data);
    // The first row after `start` (-1 = from the top) with every state of
    // `flags` (LVNI_ALL: any row); -1 for none.
    int GetNextItem(int start, int flags) const;
    int GetSelectedCount() const;

    // View.
    bool EnsureVisible(int index, bool partialOk = false);
    int GetTopIndex() const { return m_top; }
    // Rows that fit whole below the header.
    int GetCountPerPage() const;
    // Client coordinates; rows above the top one lie above the header.
    bool GetItemRect(int index, Rect& rect, int code = LVIR_BOUNDS) const;
    bool GetItemPosition(int index, Point& point) const;
    // dx in pixels, dy in pixels rounded to whole rows.
    bool Scroll(int32_t dx, int32_t dy);
    // The row under a client point, or -1.
    int HitTest(Point point) const;
    int32_t GetRowHeight() const { return m_rowHeight; }
    int32_t GetHeaderHeight() const { return HeaderControl::HEIGHT; }
    int32_t GetScrollX() const { return m_scrollX; }
    bool IsSingleSelection() const { return (GetStyle() & LVS_SINGLESEL) != 0; }
    bool IsRedrawOn() const { return m_redraw; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Asks the row height; the default asks the parent. A height left at 0
    // means DEFAULT_ROW_HEIGHT.
    virtual void MeasureItem(MEASUREITEMSTRUCT& measure);
    // Draws one row; the default sends WM_DRAWITEM to the parent.
    virtual void DrawItem(const DRAWITEMSTRUCT& draw);
    // Sees each notification of the list before its parent does; returning
    // true keeps it from the parent, with `result` as the answer.
    virtual bool ReflectNotify(NMHDR& header, LRESULT& result);
    // Fills in the sender fields, offers the notification to ReflectNotify
    // and then sends it to the parent.
    LRESULT SendNotify(NMHDR& header);

    // The defaults for input, for derived classes that handle some keys or
    // characters first.
    LRESULT DefaultKeyDown(UINT key);
    // Makes `index` the only selected row and the focused one (-1: no row
    // stays selected).
    void SelectOnly(int index);

private:
    struct Row {
        UINT state = 0;
        LPARAM data = 0;
        std::u16string text;
    };
    struct StylusPress {
        bool active = false;
        int row = -1;
        Point point;
    };

    LRESULT OnCreate();
    void Paint();
    void PaintRow(DeviceContext& dc, int row, const Rect& rect, UINT action);
    bool HasKeyboardFocus() const;
    int32_t RowWidth() const;
    Rect RowsArea() const;
    void Relayout();
    void ClampTop();
    void SetTop(int top);
    void InvalidateRow(int index);
    void InvalidateRows();
    void ChangeState(int index, UINT state, UINT mask);
    void SelectRange(int from, int to);
    void FocusRow(int index);
    int KeyTarget(UINT key) const;
    void OnStylusDown(Point point, WPARAM keys, bool doubleTap);
    void OnStylusMove(Point point);
    void OnStylusUp(Point point);
    void TapSelect(int row, WPARAM keys);
    void SendActivate(int code, int row, Point point, WPARAM keys);
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam);

    HeaderControl m_header;
    std::vector<Row> m_rows;
    int32_t m_rowHeight = DEFAULT_ROW_HEIGHT;
    int m_top = 0;
    int32_t m_scrollX = 0;
    int m_anchor = -1;
    bool m_redraw = true;
    StylusPress m_press;
};

// Registers WC_LISTVIEW and WC_HEADER (both take double taps).
void RegisterListViewClasses();
