#include <gtest/gtest.h>

#include <string>

#include "dialogs/DialogIds.h"
#include "dialogs/GetPasswordDlg.h"
#include "dialogs/PasswordHash.h"
#include "dialogs/PrivateImages.h"
#include "dialogs/SetPasswordDlg.h"
#include "handheld/Preferences.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/platform/GdiTestSupport.h"

namespace {

TEST(PasswordHashTest, HashesAreSaltedAndMatchOnlyTheExactText) {
    std::u16string first, second;
    ASSERT_EQ(HashPassword(u"Secret", first), 0);
    ASSERT_EQ(HashPassword(u"Secret", second), 0);
    EXPECT_TRUE(first.starts_with(u"$argon2id$"));
    EXPECT_EQ(first.find(u"Secret"), std::u16string::npos);
    EXPECT_NE(first, second);  // salted
    EXPECT_TRUE(IsPasswordHash(first));
    struct Case {
        std::u16string_view typed;
        bool matches;
    };
    const Case cases[] = {{u"Secret", true}, {u"secret", false}, {u"Secret ", false}, {u"", false}};
    for (const Case& c : cases) {
        EXPECT_EQ(PasswordMatches(first, c.typed), c.matches) << Utf16ToUtf8(c.typed);
        // A plain value from an older store compares the same way.
        EXPECT_EQ(PasswordMatches(u"Secret", c.typed), c.matches) << Utf16ToUtf8(c.typed);
    }
}

TEST(PasswordHashTest, EmptyMeansNoPasswordAndShortTextsAreNeverTakenForHashes) {
    std::u16string stored = u"left over";
    ASSERT_EQ(HashPassword(u"", stored), 0);
    EXPECT_EQ(stored, u"");
    EXPECT_TRUE(PasswordMatches(u"", u""));
    EXPECT_FALSE(PasswordMatches(u"", u"x"));
    // Twenty characters is the longest password that can be typed.
    EXPECT_FALSE(IsPasswordHash(u"$argon2id$0123456789"));
    EXPECT_TRUE(PasswordMatches(u"$argon2id$0123456789", u"$argon2id$0123456789"));
}

class PasswordDialogTest : public DialogHostTest {
protected:
    ModalResponder responder;

    void SetUp() override {
        DialogHostTest::SetUp();
        responder.onMessageBox = [](const ShownMessageBox&) { return IDOK; };
    }
    void StorePlain(const std::u16string& password) { SetPrivatePassword(password); }
    std::vector<std::u16string> BoxTexts() const {
        std::vector<std::u16string> out;
        for (const ShownMessageBox& box : responder.boxes)
            out.push_back(box.text);
        return out;
    }
};

TEST_F(PasswordDialogTest, SetPasswordChecksTheCurrentPasswordAndTheConfirmation) {
    struct Case {
        const char* name;
        std::u16string stored;  // "#" + text = stored as a hash
        std::u16string current, fresh, confirm;
        int result;
        std::u16string box;
        std::u16string nowMatches;  // the password stored afterwards
    };
    const Case cases[] = {
        {"first password", u"", u"", u"Tide", u"Tide", IDOK, u"", u"Tide"},
        {"current left empty", u"#Secret", u"", u"Tide", u"Tide", IDCANCEL, u"Incorrect password.", u"Secret"},
        {"wrong case", u"#Secret", u"secret", u"Tide", u"Tide", IDCANCEL, u"Incorrect password.", u"Secret"},
        {"typed with no password set", u"", u"x", u"Tide", u"Tide", IDCANCEL, u"Incorrect password.", u""},
        {"mismatch", u"#Secret", u"Secret", u"Tide", u"tide", IDCANCEL,
         u"The confirm password doesn't match.", u"Secret"},
        {"change", u"#Secret", u"Secret", u"Tide", u"Tide", IDOK, u"", u"Tide"},
        {"clear", u"#Secret", u"Secret", u"", u"", IDOK, u"", u""},
        {"older plain store", u"Secret", u"Secret", u"Tide", u"Tide", IDOK, u"", u"Tide"},
    };
    for (const Case& c : cases) {
        if (c.stored.starts_with(u"#"))
            ASSERT_EQ(StorePrivatePassword(c.stored.substr(1)), 0);
        else
            StorePlain(c.stored);
        const std::u16string before = GetPrivatePassword();
        responder.boxes.clear();
        responder.onDialog = [&](Window& shown) {
            auto& d = static_cast<Dialog&>(shown);
            d.SetDlgItemText(IDC_CURRENT_PASSWORD, c.current);
            d.SetDlgItemText(IDC_NEW_PASSWORD, c.fresh);
            d.SetDlgItemText(IDC_CONFIRM_PASSWORD, c.confirm);
            return IDOK;
        };
        EXPECT_EQ(RunSetPasswordCommand(&host), c.result) << c.name;
        const std::u16string after = GetPrivatePassword();
        if (c.result == IDOK) {
            EXPECT_TRUE(BoxTexts().empty()) << c.name;
            EXPECT_TRUE(PasswordMatches(after, c.nowMatches)) << c.name;
            EXPECT_EQ(after.empty(), c.nowMatches.empty()) << c.name;
            if (!after.empty()) {
                EXPECT_TRUE(IsPasswordHash(after)) << c.name;  // never the text itself
            }
        } else {
            // Asked again while the dialog stayed open, then cancelled; nothing stored.
            ASSERT_FALSE(BoxTexts().empty()) << c.name;
            EXPECT_EQ(BoxTexts().front(), c.box) << c.name;
            EXPECT_EQ(after, before) << c.name;
        }
    }
}

TEST_F(PasswordDialogTest, ShowingPrivateImagesAsksForThePasswordHidingNever) {
    struct Case {
        const char* name;
        std::u16string stored;  // "#" + text = stored as a hash
        bool shown;
        int answer;
        std::u16string typed;
        bool flips;
        bool asked;
        std::u16string box;
    };
    const Case cases[] = {
        {"no password", u"", false, IDOK, u"", true, false, u""},
        {"hiding", u"#Secret", true, IDOK, u"", true, false, u""},
        {"right password", u"#Secret", false, IDOK, u"Secret", true, true, u""},
        {"wrong case", u"#Secret", false, IDOK, u"SECRET", false, true, u"Incorrect password."},
        {"cancel", u"#Secret", false, IDCANCEL, u"Secret", false, true, u""},
        {"older plain store", u"Secret", false, IDOK, u"Secret", true, true, u""},
    };
    for (const Case& c : cases) {
        if (c.stored.starts_with(u"#"))
            ASSERT_EQ(StorePrivatePassword(c.stored.substr(1)), 0);
        else
            StorePlain(c.stored);
        SetShowPrivate(c.shown);
        responder.boxes.clear();
        responder.dialogs.clear();
        responder.onDialog = [&](Window& shown) {
            static_cast<Dialog&>(shown).SetDlgItemText(IDC_PASSWORD, c.typed);
            return c.answer;
        };
        bool shown = c.shown;
        EXPECT_EQ(RunTogglePrivateCommand(&host, shown), c.flips) << c.name;
        EXPECT_EQ(shown, c.flips ? !c.shown : c.shown) << c.name;
        EXPECT_EQ(GetShowPrivate(), shown) << c.name;
        EXPECT_EQ(responder.dialogs,
                  c.asked ? std::vector<std::u16string>{u"Get Password"} : std::vector<std::u16string>{})
            << c.name;
        EXPECT_EQ(BoxTexts(), c.box.empty() ? std::vector<std::u16string>{}
                                            : std::vector<std::u16string>{c.box})
            << c.name;
        // A plain password that was entered right is stored as its hash from then on.
        if (!c.stored.empty() && c.flips && c.asked) {
            EXPECT_TRUE(IsPasswordHash(GetPrivatePassword())) << c.name;
        }
    }
}

TEST_F(PasswordDialogTest, ClearedPasswordIsNoLongerAskedFor) {
    ASSERT_EQ(StorePrivatePassword(u"Secret"), 0);
    responder.onDialog = [](Window& shown) {
        static_cast<Dialog&>(shown).SetDlgItemText(IDC_CURRENT_PASSWORD, u"Secret");
        return IDOK;
    };
    ASSERT_EQ(RunSetPasswordCommand(&host), IDOK);
    EXPECT_EQ(GetPrivatePassword(), u"");
    responder.dialogs.clear();
    bool shown = false;
    EXPECT_TRUE(RunTogglePrivateCommand(&host, shown));
    EXPECT_TRUE(responder.dialogs.empty());
}

// Typed through the input panel's keys: the 21st character never arrives.
TEST_F(DialogHostTest, ATwentyFirstCharacterCannotBeTyped) {
    const std::u16string typed = u"abcdefghijklmnopqrstuvwxy";  // 25
    {
        SetPasswordDlg set(u"");
        screen.backend.Key(VK_TAB);  // to "New:"
        screen.backend.Type(typed);
        screen.backend.Key(VK_TAB);  // to "Confirm:"
        screen.backend.Type(typed);
        screen.backend.Key(VK_RETURN);
        EXPECT_EQ(set.DoModal(&host), IDOK);
        EXPECT_EQ(set.NewPassword(), typed.substr(0, PASSWORD_MAX_CHARS));
    }
    {
        GetPasswordDlg get;
        screen.backend.Type(typed);
        screen.backend.Key(VK_RETURN);
        EXPECT_EQ(get.DoModal(&host), IDOK);
        EXPECT_EQ(get.Entered(), typed.substr(0, PASSWORD_MAX_CHARS));
    }
}

TEST_F(DialogHostTest, PasswordDialogsRaiseThePanelAndStayAboveIt) {
    ModalResponder responder;
    responder.onDialog = [&](Window& shown) {
        auto& d = static_cast<Dialog&>(shown);
        EXPECT_TRUE(shell.IsInputPanelOn());
        for (const int id : {IDC_CURRENT_PASSWORD, IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD, IDC_PASSWORD})
            if (Window* edit = d.GetDlgItem(id))
                SendMessage(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"Tide"));
        ExpectLaidOut(d);
        Shoot(Utf16ToUtf8(d.GetWindowText()));
        Bitmap& s = screen.manager.Screen();
        // Each field is drawn whole above the panel's top edge: a framed
        // white box, and the hidden fields show no letter of the text.
        for (Window* child : d.Children()) {
            auto* edit = dynamic_cast<EditControl*>(child);
            if (!edit)
                continue;
            const Rect r = edit->GetWindowRect();
            EXPECT_LT(r.bottom, kPanelTop);
            EXPECT_NE(s.Value(r.left, (r.top + r.bottom) / 2), WHITE_PIXEL);
            EXPECT_EQ(s.Value(r.right - 3, (r.top + r.bottom) / 2), WHITE_PIXEL);
        }
        // Below the panel's top edge lies the panel, not the dialog's white.
        EXPECT_NE(s.Value(120, kPanelTop + 1), WHITE_PIXEL);
        return IDCANCEL;
    };
    SetPasswordDlg set(u"");
    EXPECT_EQ(set.DoModal(&host), IDCANCEL);
    SipShowIM(false);
    GetPasswordDlg get;
    EXPECT_EQ(get.DoModal(&host), IDCANCEL);
    EXPECT_EQ(responder.dialogs, (std::vector<std::u16string>{u"Set Password", u"Get Password"}));
}

}  // namespace
