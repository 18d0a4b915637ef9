#pragma once
#include <string>
#include <string_view>

#include "platform/controls/ControlMessages.h"
#include "platform/fonts/SystemFont.h"
#include "platform/controls/TextListControl.h"

class DropListWindow;

// A drop-down list (CBS_DROPDOWNLIST, sorted with CBS_SORT): a framed box
// with the selected item's text and a down-arrow button at its right. A tap
// on it, or Enter or Down while it has the focus, drops the list of items
// below the box (above it when the screen has no room below) and tracks it
// modally; tapping a row selects it, tapping elsewhere closes the list
// unchanged. The parent hears CBN_DROPDOWN before the list opens,
// CBN_CLOSEUP after it closed and then CBN_SELCHANGE when the selection
// changed; changes made through the messages notify nothing.
class ComboBoxControl : public TextListControl {
public:
    // The box's height; a taller window (dialog templates give the height
    // with the list) is cut to it.
    static constexpr int32_t BOX_HEIGHT = UI_FONT_HEIGHT + 6;

    ComboBoxControl() : TextListControl(CBS_SORT) {}

    // The framework's names for the item calls.
    std::u16string GetLBText(int index) const { return GetItemText(index); }
    int GetLBTextLen(int index) const { return GetItemTextLen(index); }
    // Showing runs until the list closes again; hiding closes a dropped list
    // unchanged.
    void ShowDropDown(bool show);
    bool GetDroppedState() const { return m_drop != nullptr; }
    // Where the list appears (screen coordinates).
    Rect GetDroppedControlRect() const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    Rect ButtonRect() const;
    void DropDown();
    void Notify(uint16_t code);
    bool OnKey(UINT key);
    void Paint();
    void PaintButton(DeviceContext& dc);
    LRESULT OnComboMessage(UINT message, WPARAM wParam, LPARAM lParam);

    DropListWindow* m_drop = nullptr;  // while dropped
};

// Registers WC_COMBOBOX.
void RegisterComboBoxClass();
