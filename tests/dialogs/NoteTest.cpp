#include <gtest/gtest.h>

#include <string>

#include "dialogs/AnsiTextGuard.h"
#include "dialogs/DialogIds.h"
#include "dialogs/NoteDlg.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/platform/GdiTestSupport.h"

namespace {

class NoteDlgTest : public DialogHostTest {
protected:
    static EditControl& Field(Dialog& d) { return *d.GetControl<EditControl>(IDC_NOTE); }
};

TEST_F(NoteDlgTest, OpensCaptionedWithTheTitleAndTheCaretAfterTheNote) {
    NoteDlg note(u"Beach", u"Low tide\r\nat dawn");
    ModalResponder responder;
    responder.onDialog = [&](Window&) {
        EXPECT_EQ(note.GetWindowText(), u"Note - Beach");
        EditControl& field = Field(note);
        size_t start = 0, end = 0;
        field.GetSel(start, end);
        EXPECT_EQ(start, 17u);
        EXPECT_EQ(end, 17u);
        EXPECT_EQ(GetFocus(), HWND(&field));
        EXPECT_EQ(SendMessage(&field, EM_GETLIMITTEXT, 0, 0), 4096);
        ExpectLaidOut(note);
        return IDCANCEL;
    };
    EXPECT_EQ(note.DoModal(&host), IDCANCEL);
    EXPECT_EQ(note.Note(), u"Low tide\r\nat dawn");
}

TEST_F(NoteDlgTest, TypedTextIsTheNoteOnOkOnly) {
    for (const int end : {IDOK, IDCANCEL}) {
        NoteDlg note(u"Beach", u"Low");
        screen.backend.Type(u" tide");
        screen.backend.Key(VK_RETURN);  // a new line, not OK
        screen.backend.Type(u"x");
        if (end == IDOK)
            screen.backend.Tap({SCREEN_WIDTH - 18, 13});  // "ok" of the title strip
        else
            screen.backend.Key(VK_ESCAPE);
        EXPECT_EQ(note.DoModal(&host), end);
        EXPECT_EQ(note.Note(), end == IDOK ? u"Low tide\r\nx" : u"Low");
    }
}

TEST_F(NoteDlgTest, TheFieldEndsFivePixelsAboveTheRaisedPanel) {
    NoteDlg note(u"Beach", u"");
    ModalResponder responder;
    responder.onDialog = [&](Window&) {
        Window& field = Field(note);
        const Rect initial = field.GetWindowRect();
        EXPECT_EQ(initial.bottom, 26 + note.InitialEditRect().bottom);
        SipShowIM(true);
        screen.manager.PumpMessages();
        Rect raised = field.GetWindowRect();
        EXPECT_EQ(raised.bottom, kPanelTop - 5);
        EXPECT_EQ(raised.top, initial.top);
        EXPECT_EQ(raised.Width(), initial.Width());
        ExpectLaidOut(note);
        SendMessage(&field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"A note long enough to wrap onto a second line of the field."));
        Shoot("Note");
        Bitmap& s = screen.manager.Screen();
        // The field's bottom frame line is drawn above the panel; white between.
        EXPECT_NE(s.Value(120, raised.bottom - 1), WHITE_PIXEL);
        EXPECT_EQ(s.Value(120, raised.bottom + 2), WHITE_PIXEL);
        SipShowIM(false);
        screen.manager.PumpMessages();
        EXPECT_EQ(field.GetWindowRect(), initial);
        return IDCANCEL;
    };
    EXPECT_EQ(note.DoModal(&host), IDCANCEL);
}

TEST_F(NoteDlgTest, ACharacterThatCannotBeStoredIsRefusedAsItIsTyped) {
    NoteDlg note(u"Beach", u"");
    ModalResponder responder;
    responder.onDialog = [&](Window&) {
        Window& field = Field(note);
        // The euro sign and accented letters are kept; a CJK letter is not.
        for (const char16_t c : std::u16string_view(u"Caf\u00e9 \u20ac5\u6d77!"))
            SendMessage(&field, WM_CHAR, c, 0);
        EXPECT_EQ(field.GetWindowText(), u"Caf\u00e9 \u20ac5!");
        EXPECT_EQ(shell.BeepCount(), 1);
        EXPECT_TRUE(note.GetDlgItem(IDC_NOTE_HINT)->IsVisibleFlag());
        EXPECT_FALSE(note.GetDlgItem(IDC_NOTE_HEADING)->IsVisibleFlag());
        ExpectLaidOut(note);
        Shoot("Note refusing a character");
        return IDOK;
    };
    EXPECT_EQ(note.DoModal(&host), IDOK);
    EXPECT_EQ(note.Note(), u"Caf\u00e9 \u20ac5!");
}

TEST(AnsiTextTest, OnlyCharactersWithAWindows1252FormPass) {
    struct Case {
        std::u16string_view text;
        bool ansi;
    };
    const Case cases[] = {
        {u"Beach", true},       {u"\u00e9\u00fc\u00df", true}, {u"\u20ac\u2026\u0152", true},
        {u"?", true},           {u"\u0141\u00f3d\u017a", false}, {u"\u6d77", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsAnsiText(c.text), c.ansi) << Utf16ToUtf8(c.text);
}

}  // namespace
