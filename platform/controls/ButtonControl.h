#pragma once
#include "platform/controls/ControlMessages.h"
#include "platform/window/Window.h"

class DeviceContext;
class Font;

// The button kinds of the dialogs, chosen by the style's low bits:
// - BS_PUSHBUTTON / BS_DEFPUSHBUTTON: a framed button (the default one with
//   a heavier frame and bold text) that looks pressed while the stylus is
//   down on it and clicks when the stylus is lifted inside it;
// - BS_CHECKBOX / BS_AUTOCHECKBOX: a box and its text; the automatic kind
//   toggles itself when clicked;
// - BS_GROUPBOX: a frame with a title, never clicked;
// - BS_OWNERDRAW: the parent draws it on WM_DRAWITEM (ODT_BUTTON, with
//   ODS_SELECTED while pressed).
// A click sends WM_COMMAND(MAKEWPARAM(id, BN_CLICKED), button) to the
// parent; a disabled button is greyed and never clicks. Space clicks the
// focused button or check box, Enter the focused push button (on a check
// box Enter is the dialog's). Answers BM_CLICK, BM_GETCHECK, BM_SETCHECK,
// BM_GETSTATE, BM_SETSTATE, WM_SETTEXT and WM_SETFONT.
class ButtonControl : public Window {
public:
    // BST_CHECKED or BST_UNCHECKED; only check boxes keep a state.
    int GetCheck() const { return m_checked ? int(BST_CHECKED) : int(BST_UNCHECKED); }
    void SetCheck(int state);
    // Sends the click as a tap would (nothing when disabled).
    void Click();
    bool IsPressed() const { return m_pressed; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    uint32_t Kind() const;
    bool IsCheckBox() const;
    bool IsPushButton() const;
    void SetPressed(bool pressed);
    void OnStylus(UINT message, LPARAM lParam);
    LRESULT OnKey(UINT message, WPARAM key);
    void OnPaint(DeviceContext& dc, const Rect& paint) override;
    void PaintPushButton(DeviceContext& dc, const Font& font);
    void PaintCheckBox(DeviceContext& dc, const Font& font);
    void PaintGroupBox(DeviceContext& dc, const Font& font);
    void PaintOwnerDraw(DeviceContext& dc);

    bool m_checked = false;
    bool m_pressed = false;
    bool m_tracking = false;  // the stylus went down on the button and is still down
    bool m_focused = false;
    bool m_spaceDown = false;
    const Font* m_font = nullptr;
};

// Registers WC_BUTTON.
void RegisterButtonClass();
