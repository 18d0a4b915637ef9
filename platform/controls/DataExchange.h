#pragma once
#include <string>

#include "platform/window/Window.h"

// Moves values between a dialog's members and its controls, in one
// direction per exchange: loading (members -> controls, at the start) or
// saving (controls -> members, at OK). Only messages reach the controls,
// so any control answering the protocol of its kind takes part. The first
// failure (a missing control, a text over its limit) stops the exchange:
// later calls do nothing and their members keep their values.
class DataExchange {
public:
    DataExchange(Window& dialog, bool save) : m_dialog(dialog), m_save(save) {}

    bool IsSaving() const { return m_save; }
    bool Failed() const { return m_failed; }
    // The id of the control the exchange failed on (0 when it did not fail).
    int FailedId() const { return m_failedId; }
    Window& GetDialog() const { return m_dialog; }

    // The control to exchange with, nullptr when the exchange has failed or
    // fails now because the dialog has no control with this id.
    Window* PrepareControl(int id);
    void Fail(int id);

private:
    Window& m_dialog;
    bool m_save;
    bool m_failed = false;
    int m_failedId = 0;
};

// The text of any window, through WM_GETTEXTLENGTH and WM_GETTEXT.
std::u16string GetControlText(HWND control);

// Text of an edit or static.
void DDX_Text(DataExchange& exchange, int id, std::u16string& value);
// The same with a limit in UTF-16 units: loading sets it as the control's
// EM_LIMITTEXT, saving refuses a longer text (the exchange fails).
void DDX_Text(DataExchange& exchange, int id, std::u16string& value, int maxChars);
// Selected index of a drop-down list (-1 = none), CB_GETCURSEL / CB_SETCURSEL.
void DDX_CBIndex(DataExchange& exchange, int id, int& index);
// Check state of a check box (BST_UNCHECKED / BST_CHECKED).
void DDX_Check(DataExchange& exchange, int id, int& state);
// Binds the control itself to a member, in either direction.
void DDX_Control(DataExchange& exchange, int id, Window*& control);
