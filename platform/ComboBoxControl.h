#pragma once
#include <string>
#include <string_view>

#include "platform/ControlMessages.h"
#include "platform/ListItems.h"
#include "platform/SystemFont.h"
#include "platform/Window.h"

class DropListWindow;

// A drop-down list (CBS_DROPDOWNLIST, sorted with CBS_SORT): a framed box
// with the selected item's text and a down-arrow button at its right. A tap
// on it, or Enter or Down while it has the focus, drops the list of items
// below the box (above it when the screen has no room below) and tracks it
// modally; tapping a row selects it, tapping elsewhere closes the list
// unchanged. The parent hears CBN_DROPDOWN before the list opens,
// CBN_CLOSEUP after it closed and then CBN_SELCHANGE when the selection
// changed; changes made through the messages notify nothing.
class ComboBoxControl : public Window {
public:
    // The box's height; a taller window (dialog templates give the height
    // with the list) is cut to it.
    static constexpr int32_t BOX_HEIGHT = UI_FONT_HEIGHT + 6;

    int AddString(std::u16string_view text);
    // -1 appends; CB_ERR for an index past the end.
    int InsertString(int index, std::u16string_view text);
    // The count left, or CB_ERR.
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const { return m_items.Count(); }
    int GetCurSel() const { return m_items.Selection(); }
    // -1 clears; the index, or CB_ERR when nothing is selected afterwards.
    int SetCurSel(int index);
    // Empty for a bad index.
    std::u16string GetLBText(int index) const { return std::u16string(m_items.Text(index)); }
    int GetLBTextLen(int index) const;
    // CB_ERR for a bad index.
    LPARAM GetItemData(int index) const;
    int SetItemData(int index, LPARAM data);
    int FindStringExact(int startAfter, std::u16string_view text) const;
    // Showing runs until the list closes again; hiding closes a dropped list
    // unchanged.
    void ShowDropDown(bool show);
    bool GetDroppedState() const { return m_drop != nullptr; }
    // Where the list appears (screen coordinates).
    Rect GetDroppedControlRect() const;
    void SetRedraw(bool on);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool IsSorted() const { return (GetStyle() & CBS_SORT) != 0; }
    Rect ButtonRect() const;
    void Invalidate();
    void DropDown();
    void Notify(uint16_t code);
    bool OnKey(UINT key);
    void Paint();
    void PaintButton(DeviceContext& dc);
    LRESULT OnComboMessage(UINT message, WPARAM wParam, LPARAM lParam);

    ListItems m_items;
    DropListWindow* m_drop = nullptr;  // while dropped
    bool m_redraw = true;
};

// Registers WC_COMBOBOX.
void RegisterComboBoxClass();
