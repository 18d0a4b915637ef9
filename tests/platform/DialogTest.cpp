#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "platform/controls/ButtonControl.h"
#include "platform/controls/DataExchange.h"
#include "platform/shell/Dialog.h"
#include "platform/controls/EditControl.h"
#include "platform/shell/InputPanelWindow.h"
#include "platform/window/ModalResponder.h"
#include "platform/png/PngWriter.h"
#include "platform/shell/Shell.h"
#include "platform/controls/StandardControls.h"
#include "platform/controls/StaticControl.h"
#include "platform/window/WindowClass.h"
#include "tests/platform/GdiTestSupport.h"
#include "tests/platform/WindowTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kPassword = 1030;
constexpr int kPrivate = 1011;
constexpr int kDuration = 1009;
constexpr int kDelete = 1008;
constexpr char16_t kFakeCombo[] = u"TestDropDown";

// Screen points of the strips' buttons and of the dialog's controls.
constexpr Point kOk{SCREEN_WIDTH - 18, 13};
constexpr Point kCancel{30, SCREEN_HEIGHT - 13};
constexpr int32_t kClientTop = 26;
constexpr Point kCheckBox{40, kClientTop + 44};
constexpr Point kDeleteButton{40, kClientTop + 102};

// A drop-down stand-in that answers only the selection messages.
class FakeDropDown : public Window {
public:
    FakeDropDown() { SetBackgroundColour(RGB(224, 224, 224)); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == CB_SETCURSEL) {
            m_selection = int(intptr_t(wParam));
            return m_selection;
        }
        if (message == CB_GETCURSEL)
            return m_selection;
        return DefWindowProc(message, wParam, lParam);
    }

private:
    int m_selection = -1;
};

class SampleDialog : public Dialog {
public:
    SampleDialog() : Dialog(u"Get Password") {
        AddControl(WC_STATIC, -1, {4, 8, 80, 24}, u"Password:", SS_LEFT);
        AddControl(WC_EDIT, kPassword, {84, 6, 236, 26}, u"", WS_TABSTOP);
        AddControl(WC_BUTTON, kPrivate, {4, 34, 200, 54}, u"Private", BS_AUTOCHECKBOX | WS_TABSTOP);
        AddControl(kFakeCombo, kDuration, {4, 60, 120, 80}, u"", WS_TABSTOP);
        AddControl(WC_BUTTON, kDelete, {4, 90, 80, 114}, u"Delete...", WS_TABSTOP);
    }

    std::u16string password = u"secret";
    int privateFlag = 1;
    int duration = 2;
    Window* passwordControl = nullptr;
    // Answers a command before the dialog does; true = handled.
    std::function<bool(int id, int code)> commandHook;
    // Asked by OnOK; false keeps the dialog open.
    std::function<bool()> validate;
    int validations = 0;

protected:
    void DoDataExchange(DataExchange& dx) override {
        DDX_Text(dx, kPassword, password, 20);
        DDX_Check(dx, kPrivate, privateFlag);
        DDX_CBIndex(dx, kDuration, duration);
        DDX_Control(dx, kPassword, passwordControl);
    }
    bool OnCommand(int id, int code, HWND) override {
        if (commandHook && commandHook(id, code))
            return true;
        if (id == kDelete && code == BN_CLICKED) {
            EndDialog(kDelete);
            return true;
        }
        return false;
    }
    void OnOK() override {
        ++validations;
        if (validate && !validate())
            return;
        Dialog::OnOK();
    }
};

class DialogTest : public ::testing::Test {
protected:
    HeadlessScreen screen;
    std::vector<Seen> log;
    LoggingWindow owner{&log};
    LoggingWindow ownerChild{&log};
    SampleDialog dialog;

    void SetUp() override {
        RegisterStaticClass();
        RegisterButtonClass();
        RegisterEditClass();
        RegisterWindowClass(kFakeCombo, 0, [] { return std::make_unique<FakeDropDown>(); });
        owner.ignored = {WM_PAINT, WM_ERASEBKGND};
        ownerChild.ignored = owner.ignored;
        ASSERT_TRUE(owner.Create(nullptr, {0, 26, 240, 294}, 0, u"Kestrelview", WS_VISIBLE));
        ASSERT_TRUE(ownerChild.Create(&owner, {0, 0, 240, 268}, 1001, u"", WS_CHILD | WS_VISIBLE));
        SetFocus(&ownerChild);
        screen.manager.PumpMessages();
        log.clear();
    }
    std::vector<Seen> OwnerKeys() const { return Only(log, {WM_KEYDOWN, WM_KEYUP, WM_CHAR}); }
};

TEST_F(DialogTest, OkInTheTitleStripSavesTheControlsIntoTheMembers) {
    // The password edit has the focus with its text selected, so typing replaces it.
    screen.backend.Type(u"new");
    screen.backend.Tap(kCheckBox);
    screen.backend.Tap(kOk);
    EXPECT_EQ(dialog.DoModal(&ownerChild), IDOK);
    EXPECT_EQ(dialog.password, u"new");
    EXPECT_EQ(dialog.privateFlag, 0);
    EXPECT_EQ(dialog.duration, 2);
    EXPECT_FALSE(dialog.IsAlive());
    EXPECT_FALSE(dialog.IsRunning());
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_EQ(GetFocus(), &ownerChild);
}

TEST_F(DialogTest, CancelStripAndEscapeLeaveTheMembersAlone) {
    struct Case {
        const char* how;
        std::function<void(HeadlessBackend&)> end;
    };
    const Case cases[] = {
        {"Cancel strip", [](HeadlessBackend& b) { b.Tap(kCancel); }},
        {"Escape", [](HeadlessBackend& b) { b.Key(VK_ESCAPE); }},
    };
    for (const Case& c : cases) {
        SampleDialog d;
        screen.backend.Type(u"typed");
        screen.backend.Tap(kCheckBox);
        c.end(screen.backend);
        EXPECT_EQ(d.DoModal(&owner), IDCANCEL) << c.how;
        EXPECT_EQ(d.password, u"secret") << c.how;
        EXPECT_EQ(d.privateFlag, 1) << c.how;
        screen.Run();
        // The release of Escape stays with the dialog.
        EXPECT_TRUE(OwnerKeys().empty()) << c.how;
    }
}

TEST_F(DialogTest, EnterPressesOkOrTheFocusedButtonAndItsReleaseStaysWithTheDialog) {
    struct Case {
        const char* where;
        int tabs;
        int result;
    };
    const Case cases[] = {
        {"in the edit", 0, IDOK},
        {"on the check box", 1, IDOK},
        {"on Delete...", 3, kDelete},
    };
    for (const Case& c : cases) {
        SampleDialog d;
        for (int i = 0; i < c.tabs; ++i)
            screen.backend.Key(VK_TAB);
        screen.backend.Key(VK_RETURN);
        EXPECT_EQ(d.DoModal(&ownerChild), c.result) << c.where;
        screen.Run();
        EXPECT_TRUE(OwnerKeys().empty()) << c.where;
    }
}

TEST_F(DialogTest, TabMovesTheFocusBetweenTabStops) {
    screen.backend.Key(VK_TAB);    // to the check box
    screen.backend.Key(VK_SPACE);  // unchecks it
    screen.backend.Key(VK_TAB);
    screen.backend.Key(VK_TAB);    // to "Delete..."
    screen.backend.Key(VK_TAB, {VK_SHIFT});
    screen.backend.Key(VK_TAB, {VK_SHIFT});
    screen.backend.Key(VK_TAB, {VK_SHIFT});  // back to the edit
    screen.backend.Type(u"x");
    screen.backend.Tap(kOk);
    EXPECT_EQ(dialog.DoModal(&owner), IDOK);
    EXPECT_EQ(dialog.privateFlag, 0);
    EXPECT_EQ(dialog.password, u"x");
}

TEST_F(DialogTest, ButtonsWithIdsOneAndTwoEndTheDialogLikeOkAndCancel) {
    for (const int id : {IDOK, IDCANCEL}) {
        SampleDialog d;
        d.AddControl(WC_BUTTON, IDOK, {120, 90, 176, 114}, u"OK", BS_DEFPUSHBUTTON);
        d.AddControl(WC_BUTTON, IDCANCEL, {180, 90, 236, 114}, u"Cancel", BS_PUSHBUTTON);
        screen.backend.Type(u"typed");
        screen.backend.Tap({id == IDOK ? 150 : 210, kClientTop + 100});
        EXPECT_EQ(d.DoModal(&owner), id);
        EXPECT_EQ(d.password, id == IDOK ? u"typed" : u"secret");
    }
}

TEST_F(DialogTest, AnInputPanelAlreadyRaisedStaysAboveTheDialogAndTypesIntoIt) {
    Shell shell;
    ASSERT_TRUE(SipShowIM(true));
    InputPanelWindow& panel = shell.GetInputPanel();
    const InputPanelWindow::Key* q = nullptr;
    for (const InputPanelWindow::Key& key : panel.Keys())
        if (key.ch == u'q')
            q = &key;
    ASSERT_NE(q, nullptr);
    const Point tap = panel.ClientToScreen({(q->rect.left + q->rect.right) / 2,
                                            (q->rect.top + q->rect.bottom) / 2});
    screen.backend.Tap(tap);
    screen.backend.Wait(10);  // the panel's key comes after the tap
    screen.backend.Tap(kOk);
    EXPECT_EQ(dialog.DoModal(&owner), IDOK);
    EXPECT_EQ(dialog.password, u"q");
}

TEST_F(DialogTest, AButtonMayEndTheDialogWithItsOwnCode) {
    screen.backend.Tap(kDeleteButton);
    EXPECT_EQ(dialog.DoModal(&owner), kDelete);
    EXPECT_EQ(dialog.password, u"secret");
}

TEST_F(DialogTest, FailedValidationKeepsTheDialogOpen) {
    dialog.validate = [&] { return !dialog.GetDlgItemText(kPassword).empty(); };
    screen.backend.Key(VK_BACK);  // empties the selected text
    screen.backend.Tap(kOk);      // refused
    screen.backend.Type(u"x");
    screen.backend.Tap(kOk);
    EXPECT_EQ(dialog.DoModal(&owner), IDOK);
    EXPECT_EQ(dialog.validations, 2);
    EXPECT_EQ(dialog.password, u"x");
}

TEST_F(DialogTest, LoadingSetsControlsAndLimitAndTooLongTextFailsTheSave) {
    ModalResponder responder;
    std::vector<std::u16string> answers = {u"012345678901234567890", u"01234567890123456789"};
    size_t round = 0;
    responder.onDialog = [&](Window& shown) -> int {
        EXPECT_EQ(&shown, &dialog);
        if (round == 0) {
            // What loading put into the controls.
            EXPECT_EQ(dialog.GetDlgItemText(kPassword), u"secret");
            EXPECT_EQ(SendMessage(dialog.GetDlgItem(kPassword), EM_GETLIMITTEXT, 0, 0), 20);
            EXPECT_EQ(SendMessage(dialog.GetDlgItem(kPrivate), BM_GETCHECK, 0, 0), 1);
            EXPECT_EQ(SendMessage(dialog.GetDlgItem(kDuration), CB_GETCURSEL, 0, 0), 2);
            EXPECT_EQ(dialog.passwordControl, dialog.GetDlgItem(kPassword));
            EXPECT_EQ(GetFocus(), dialog.GetDlgItem(kPassword));
            EXPECT_FALSE(owner.IsWindowEnabled());
        } else {
            // The failed save left the focus on the control it failed on.
            EXPECT_EQ(GetFocus(), dialog.GetDlgItem(kPassword));
        }
        // SetWindowText is not cut by the limit.
        dialog.SetDlgItemText(kPassword, answers[round++]);
        SendMessage(dialog.GetDlgItem(kDuration), CB_SETCURSEL, 5, 0);
        return IDOK;
    };
    EXPECT_EQ(dialog.DoModal(&owner), IDOK);
    EXPECT_EQ(round, 2u);
    EXPECT_EQ(dialog.password, u"01234567890123456789");
    EXPECT_EQ(dialog.duration, 5);
    EXPECT_EQ(responder.dialogs, (std::vector<std::u16string>{u"Get Password"}));
    EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST_F(DialogTest, ResponderAnswersAreRunAsTheUserWouldPressThem) {
    struct Case {
        int answer;
        bool validates;
        int result;
        int asked;
    };
    const Case cases[] = {
        {IDOK, true, IDOK, 1},
        {IDCANCEL, true, IDCANCEL, 1},
        {1234, true, 1234, 1},
        // OK that never validates is asked again a few times, then cancelled.
        {IDOK, false, IDCANCEL, 3},
    };
    for (const Case& c : cases) {
        SampleDialog d;
        d.validate = [&] { return c.validates; };
        ModalResponder responder;
        int asked = 0;
        responder.onDialog = [&](Window&) {
            ++asked;
            return c.answer;
        };
        EXPECT_EQ(d.DoModal(&owner), c.result) << c.answer;
        EXPECT_EQ(asked, c.asked) << c.answer;
        EXPECT_FALSE(d.IsAlive());
    }
}

TEST_F(DialogTest, QuitDuringTheDialogEndsItAndReachesTheOuterLoop) {
    dialog.commandHook = [](int id, int) {
        if (id == kDelete)
            PostQuitMessage(7);
        return id == kDelete;
    };
    screen.backend.Tap(kDeleteButton);
    screen.backend.Wait(1000);  // the dialog keeps waiting for input no longer
    screen.backend.Tap(kOk);
    EXPECT_EQ(dialog.DoModal(&owner), -1);
    EXPECT_FALSE(dialog.IsAlive());
    MSG msg;
    int dispatched = 0;
    while (GetMessage(msg) && ++dispatched < 100)
        DispatchMessage(msg);  // the owner repaints where the dialog was
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(DialogTest, ADialogOpenedFromADialogTakesTheInputUntilItEnds) {
    SampleDialog inner;
    int innerResult = 0;
    dialog.commandHook = [&](int id, int) {
        if (id == kDelete)
            innerResult = inner.DoModal(&dialog);
        return id == kDelete;
    };
    screen.backend.Tap(kDeleteButton);
    screen.backend.Type(u"inner");
    screen.backend.Tap(kOk);  // ends the inner dialog
    screen.backend.Type(u"outer");
    screen.backend.Tap(kOk);
    EXPECT_EQ(dialog.DoModal(&owner), IDOK);
    EXPECT_EQ(innerResult, IDOK);
    EXPECT_EQ(inner.password, u"inner");
    // "Delete..." had the focus, so the outer typing went nowhere.
    EXPECT_EQ(dialog.password, u"secret");
}

TEST_F(DialogTest, DialogCoversTheScreenWithItsStrips) {
    SampleDialog d;
    d.AddControl(WC_BUTTON, -1, {4, 120, 236, 200}, u"List View Columns", BS_GROUPBOX);
    d.AddControl(WC_BUTTON, 1003, {12, 138, 120, 156}, u"Location", BS_AUTOCHECKBOX | WS_TABSTOP);
    d.AddControl(WC_BUTTON, 1002, {12, 158, 120, 176}, u"Category", BS_AUTOCHECKBOX | WS_TABSTOP);
    d.AddControl(WC_EDIT, 1007, {4, 206, 236, 262}, u"", ES_MULTILINE | WS_TABSTOP);
    d.AddControl(WC_BUTTON, 1, {120, 90, 236, 114}, u"OK", BS_DEFPUSHBUTTON | WS_TABSTOP);
    d.AddControl(WC_STATIC, 1028, {150, 138, 230, 190}, u"", SS_LEFT, false);
    d.AddControl(WC_COMBOBOX, 1000, {124, 60, 236, 80}, u"", CBS_DROPDOWNLIST | WS_TABSTOP);
    RegisterStandardControls();
    TempDir dir;
    const char* wanted = std::getenv("KV_DIALOG_SHOT");
    const std::string path = wanted ? wanted : dir / "dialog.png";
    ModalResponder responder;
    responder.onDialog = [&](Window&) {
        d.SetDlgItemText(1007, u"A note that is long enough to wrap over more than one line.");
        Window* combo = d.GetDlgItem(1000);
        for (const char16_t* item : {u"Location", u"Name", u"Category"})
            SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        SendMessage(combo, CB_SETCURSEL, 1, 0);
        // The exchange works with the real drop-down list as with any other.
        DataExchange save(d, true);
        int index = -1;
        DDX_CBIndex(save, 1000, index);
        EXPECT_EQ(index, 1);
        screen.manager.PumpMessages();
        Bitmap& s = screen.manager.Screen();
        EXPECT_EQ(s.Value(2, 2), PixelFromColour(GetSysColor(COLOR_HIGHLIGHT)));
        EXPECT_EQ(s.Value(kOk.x, 4), PixelFromColour(GetSysColor(COLOR_HIGHLIGHTTEXT)));  // ok frame
        EXPECT_EQ(s.Value(200, 300), PixelFromColour(GetSysColor(COLOR_BTNFACE)));
        EXPECT_EQ(s.Value(200, 30), WHITE_PIXEL);  // dialog client
        EXPECT_EQ(d.GetDlgItem(1028)->GetWindowRect(), (Rect{150, 164, 230, 216}));
        EXPECT_EQ(WritePng(path, s), 0u);
        return IDCANCEL;
    };
    EXPECT_EQ(d.DoModal(&owner), IDCANCEL);
}

}  // namespace
