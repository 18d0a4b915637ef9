#pragma once
#include <string>

#include "platform/gdi/Geometry.h"
#include "platform/shell/Dialog.h"

// The note of one photo in a multi-line field of up to 4096 characters,
// captioned "Note - <title>". The caret starts after the last character.
// While the input panel is up the field ends 5 pixels above it; when it
// goes down the field gets its first height back.
class NoteDlg : public Dialog {
public:
    NoteDlg(std::u16string title, std::u16string note);

    // After OK: the note as edited.
    const std::u16string& Note() const { return m_note; }
    // The field's rectangle as laid out at the start, in dialog coordinates.
    const Rect& InitialEditRect() const { return m_initialEditRect; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void DoDataExchange(DataExchange& exchange) override;

private:
    void FitEditToInputPanel();

    std::u16string m_title;
    std::u16string m_note;
    Rect m_initialEditRect;
};
