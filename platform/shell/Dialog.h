#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls/DialogCodes.h"
#include "platform/window/Window.h"

class DataExchange;
class DeviceContext;
class DialogStrip;
class ModalResponder;

// A modal dialog, full screen as on the handheld: the caption stands in the
// top strip (screen y 0-26) with an "ok" button at its right end, which
// ends the dialog like OK; the bottom strip (y 294-320) holds "Cancel",
// which ends it like Cancel, and so does Escape. Enter presses the default
// push button (IDOK when there is none) unless the focused control uses it.
// Tab and Shift+Tab move the focus between WS_TABSTOP controls.
//
// The dialog window is the client between the strips: (0,26)-(240,294) on
// the screen. Control rectangles are in its client coordinates, so a
// control at y 0 stands right below the title strip, and y 268 is the top
// of the Cancel strip.
//
// Derive from it: describe the controls with AddControl (the template),
// then DoModal creates the window and the controls, sends WM_INITDIALOG
// (OnInitDialog), runs a nested loop and returns the code given to
// EndDialog. WM_COMMAND with ids 1 and 2 from the controls or the strips
// runs OnOK and OnCancel; other commands go to OnCommand. A quit posted
// while the dialog runs ends it with -1 and reaches the outer loop.
//
// When a ModalResponder is current, DoModal records the caption as shown
// after OnInitDialog; when it answers dialogs, it fills the controls
// instead of the user and its IDOK runs OnOK (asked again, a few times at
// most, while OnOK keeps the dialog open), IDCANCEL runs OnCancel and any
// other code ends the dialog with that code.
class Dialog : public Window {
public:
    explicit Dialog(std::u16string_view caption);
    ~Dialog() override;

    // One control of the template: a registered class name (WC_BUTTON ...),
    // its id, rectangle, text and style (WS_CHILD is added; WS_VISIBLE too
    // unless `visible` is false).
    void AddControl(std::u16string_view className, int id, const Rect& rect,
                    std::u16string_view text, uint32_t style, bool visible = true);

    // -1 when the dialog could not be made (already running, no window
    // manager, an unknown control class) or a quit ended it.
    int DoModal(HWND owner);
    // Ends the loop with `code` once the current message is handled.
    void EndDialog(int code);
    bool IsRunning() const { return m_running; }

    // Moves the members into the controls (false) or back (true); false
    // when the exchange failed (the failing control then has the focus).
    bool UpdateData(bool save);

    std::u16string GetDlgItemText(int id) const;
    void SetDlgItemText(int id, std::u16string_view text);
    // The control as its class, nullptr when absent or of another class.
    template <class Control>
    Control* GetControl(int id) const {
        return dynamic_cast<Control*>(GetDlgItem(id));
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Default: UpdateData(false). True = give the focus to the first
    // tab-stop control; false when the dialog placed the focus itself.
    virtual bool OnInitDialog();
    // Default: UpdateData(true) and, when it succeeds, EndDialog(IDOK).
    virtual void OnOK();
    // Default: EndDialog(IDCANCEL).
    virtual void OnCancel();
    // A command other than OK and Cancel; true when handled.
    virtual bool OnCommand(int id, int code, HWND control);
    // Default: nothing.
    virtual void DoDataExchange(DataExchange& exchange);
    // Called inside WM_PAINT after the background is erased.
    void OnPaint(DeviceContext& dc, const Rect& paintRect) override;

private:
    struct Template {
        std::u16string className;
        int id;
        Rect rect;
        std::u16string text;
        uint32_t style;
    };

    bool CreateDialogWindows(HWND owner);
    void DestroyDialogWindows();
    void SetInitialFocus(bool toFirstTabStop);
    int AnswerFromResponder(ModalResponder& responder);
    int RunLoop();
    bool PreTranslate(const MSG& msg);
    void MoveFocus(bool backwards);
    int DefaultCommandId() const;
    void DropKeyUp(UINT key);
    void OnCommandMessage(WPARAM wParam, LPARAM lParam);
    void FocusControl(HWND control);

    std::vector<Template> m_template;
    std::vector<std::unique_ptr<Window>> m_controls;
    std::unique_ptr<DialogStrip> m_titleStrip;
    std::unique_ptr<DialogStrip> m_commandStrip;
    HWND m_disabledOwner = nullptr;
    HWND m_previousFocus = nullptr;
    bool m_running = false;
    bool m_ended = false;
    int m_result = 0;
    UINT m_keyUpToDrop = 0;
};
