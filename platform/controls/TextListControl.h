#pragma once
#include <string>
#include <string_view>

#include "platform/controls/ControlMessages.h"
#include "platform/controls/ListItems.h"
#include "platform/window/Window.h"

// What a list box and a drop-down list share: rows of text with item data
// and one selected row, sorted when the control's sort style is set, and a
// redraw switch. The control shows a change its own way (OnItemsChanged).
class TextListControl : public Window {
public:
    // LB_ERR and CB_ERR.
    static constexpr int ERR = -1;

    int AddString(std::u16string_view text);
    // -1 appends; ERR for an index past the end.
    int InsertString(int index, std::u16string_view text);
    // The count left, or ERR.
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const { return m_items.Count(); }
    int GetCurSel() const { return m_items.Selection(); }
    // -1 clears; the index, or ERR when nothing is selected afterwards.
    int SetCurSel(int index);
    // Empty for a bad index.
    std::u16string GetItemText(int index) const { return std::u16string(m_items.Text(index)); }
    int GetItemTextLen(int index) const;
    // ERR for a bad index.
    LPARAM GetItemData(int index) const;
    int SetItemData(int index, LPARAM data);
    int FindStringExact(int startAfter, std::u16string_view text) const;
    // While off nothing is painted; turning it on repaints the whole control.
    void SetRedraw(bool on);
    bool IsRedrawOn() const { return m_redraw; }

protected:
    explicit TextListControl(uint32_t sortStyle) : m_sortStyle(sortStyle) {}

    // Items came, went or changed order.
    virtual void OnItemsChanged() { Invalidate(); }
    // A row was selected through SetCurSel.
    virtual void OnSelectionSet(int index) { (void)index; }
    // Redrawing was turned back on, before the repaint.
    virtual void OnRedrawOn() {}
    void Invalidate();

    ListItems m_items;

private:
    bool IsSorted() const { return (GetStyle() & m_sortStyle) != 0; }

    uint32_t m_sortStyle;
    bool m_redraw = true;
};
