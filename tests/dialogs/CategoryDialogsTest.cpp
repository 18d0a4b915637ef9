#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryDB.h"
#include "dialogs/CategoryNameDlg.h"
#include "dialogs/DialogIds.h"
#include "dialogs/EditCategoriesDlg.h"
#include "platform/controls/ListBoxControl.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/dialogs/FakeBrowser.h"
#include "tests/platform/GdiTestSupport.h"

namespace {

constexpr char16_t kTaken[] = u"A category with that name already exists.";
constexpr char16_t kTooLong[] = u"The category name cannot be greater than 31 characters.";
constexpr char16_t kNotSaved[] = u"The categories could not be saved. Check that you have write access.";

class CategoryDialogTest : public DialogHostTest {
protected:
    FakeBrowser view;
    ModalResponder responder;

    void SetUp() override {
        DialogHostTest::SetUp();
        MakeHostDirs(device.Host("Program Files/Farrowdale/Kestrelview"));
        ASSERT_EQ(view.db.Load(CATEGORY_DB_PATH), 0);
        for (const char16_t* name : {u"Beach", u"Zoo", u"Harbour"}) {
            RecordId id{};
            ASSERT_EQ(view.db.Add(name, id), 0);
        }
        ASSERT_EQ(view.db.Save(), 0);
        responder.onMessageBox = [](const ShownMessageBox& box) {
            return box.type == MB_YESNO ? IDYES : IDOK;
        };
    }

    // The live names of the database file as stored, in file order.
    std::vector<std::u16string> StoredNames() {
        CCategoryDB file;
        EXPECT_EQ(file.Load(CATEGORY_DB_PATH), 0);
        return LiveNames(file);
    }
    static std::vector<std::u16string> LiveNames(const CCategoryDB& db) {
        std::vector<std::u16string> names;
        size_t cursor = 0;
        CategoryRecord record;
        std::u16string name;
        while (db.NextLive(cursor, record, name))
            names.push_back(name);
        return names;
    }
    static std::vector<std::u16string> ListNames(Dialog& d) {
        auto* list = d.GetControl<ListBoxControl>(IDC_CATEGORY_LIST);
        std::vector<std::u16string> names;
        for (int i = 0; i < list->GetCount(); ++i)
            names.push_back(list->GetText(i));
        return names;
    }
    std::vector<std::u16string> BoxTexts() const {
        std::vector<std::u16string> texts;
        for (const ShownMessageBox& box : responder.boxes)
            texts.push_back(box.text);
        return texts;
    }
    static void Press(Dialog& d, int id) { SendMessage(&d, WM_COMMAND, id, reinterpret_cast<LPARAM>(d.GetDlgItem(id))); }
    static void Select(Dialog& d, std::u16string_view name) {
        auto* list = d.GetControl<ListBoxControl>(IDC_CATEGORY_LIST);
        list->SetCurSel(list->FindStringExact(-1, name));
        SendMessage(&d, WM_COMMAND, MAKEWPARAM(IDC_CATEGORY_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
};

// Each round of the name dialog types the next text and presses OK; when
// the texts run out it is cancelled.
std::function<int(Window&)> TypeNames(std::vector<std::u16string> texts, std::vector<std::u16string>* seen = nullptr) {
    auto round = std::make_shared<size_t>(0);
    return [texts, round, seen](Window& shown) {
        auto& d = static_cast<Dialog&>(shown);
        if (seen)
            seen->push_back(d.GetDlgItemText(IDC_CATEGORY_NAME));
        if (*round >= texts.size())
            return IDCANCEL;
        d.SetDlgItemText(IDC_CATEGORY_NAME, texts[(*round)++]);
        return IDOK;
    };
}

TEST_F(CategoryDialogTest, NameRules) {
    const std::u16string thirtyOne(31, u'n');
    struct Case {
        const char* name;
        std::u16string oldName;
        std::vector<std::u16string> typed;
        int result;
        std::u16string newName;
        std::vector<std::u16string> boxes;
        std::vector<std::u16string> fieldSeen;  // the field as each round found it
    };
    const Case cases[] = {
        {"empty", u"", {u""}, IDCANCEL, u"", {}, {u""}},
        {"unchanged", u"Beach", {u"Beach"}, IDCANCEL, u"Beach", {}, {u"Beach"}},
        {"letter case only", u"Beach", {u"BEACH"}, IDOK, u"BEACH", {}, {u"Beach"}},
        {"duplicate, in another case", u"", {u"zoo", u"Sunset"}, IDOK, u"Sunset", {kTaken}, {u"", u""}},
        {"renamed onto another", u"Beach", {u"Harbour"}, IDCANCEL, u"", {kTaken}, {u"Beach", u""}},
        {"31 characters", u"", {thirtyOne}, IDOK, thirtyOne, {}, {u""}},
        {"32 characters", u"", {thirtyOne + u"n"}, IDCANCEL, thirtyOne + u"n", {kTooLong}, {u"", thirtyOne + u"n"}},
        {"the name of All", u"", {u"all"}, IDCANCEL, u"", {kTaken}, {u"", u""}},
        {"the name of Unfiled", u"", {u"Unfiled"}, IDCANCEL, u"", {kTaken}, {u"", u""}},
        // The refused character goes as it is typed; what is left is compared.
        {"a character with no stored form", u"", {u"Zoo\u6d77"}, IDCANCEL, u"", {kTaken}, {u"", u""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        responder.boxes.clear();
        std::vector<std::u16string> seen;
        responder.onDialog = TypeNames(c.typed, &seen);
        CategoryNameDlg ask(view.db, c.oldName);
        EXPECT_EQ(ask.DoModal(&host), c.result);
        if (c.result == IDOK) {
            EXPECT_EQ(ask.NewName(), c.newName);
        }
        EXPECT_EQ(BoxTexts(), c.boxes);
        EXPECT_EQ(seen, c.fieldSeen);
    }
    EXPECT_EQ(LiveNames(view.db), (std::vector<std::u16string>{u"Beach", u"Harbour", u"Zoo"}));
    EXPECT_TRUE(view.calls.empty());
}

TEST(CategoryNamesTest, NamesCompareByTheirStoredForm) {
    struct Case {
        std::u16string a, b;
        bool collide;
    };
    const Case cases[] = {
        {u"Beach", u"bEACH", true},
        {u"Caf\u00e9", u"Caf\u00e9", true},
        // _stricmp folds ASCII letters only, so these are two names.
        {u"Caf\u00e9", u"CAF\u00c9", false},
        // Both store 31 characters: the same name.
        {std::u16string(31, u'a') + u"b", std::u16string(31, u'a') + u"c", true},
        {u"Zoo", u"Zoo ", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CCategoryDB::CompareNames(c.a, c.b) == 0, c.collide) << Utf16ToUtf8(c.a) << " " << Utf16ToUtf8(c.b);
}

TEST_F(CategoryDialogTest, TheNameFieldStaysAboveTheRaisedPanel) {
    ASSERT_FALSE(shell.IsInputPanelOn());
    responder.onDialog = [&](Window& shown) {
        auto& d = static_cast<Dialog&>(shown);
        EXPECT_TRUE(shell.IsInputPanelOn());
        Window* field = d.GetDlgItem(IDC_CATEGORY_NAME);
        EXPECT_EQ(GetFocus(), HWND(field));
        ExpectLaidOut(d);
        SendMessage(field, WM_CHAR, u'\u6d77', 0);  // refused, with the hint
        EXPECT_TRUE(d.GetDlgItem(IDC_CATEGORY_HINT)->IsVisibleFlag());
        EXPECT_EQ(shell.BeepCount(), 1);
        screen.backend.Type(u"Sunset");
        screen.manager.PumpMessages();
        EXPECT_EQ(field->GetWindowText(), u"Sunset");
        ExpectLaidOut(d);
        Shoot("Category name");
        // Below the panel's top edge is the panel, never the field.
        const Rect r = field->GetWindowRect();
        EXPECT_LT(r.bottom, kPanelTop);
        Bitmap& s = screen.manager.Screen();
        EXPECT_NE(s.Value(r.left + 1, r.bottom - 1), WHITE_PIXEL);  // the field's frame
        EXPECT_EQ(s.Value(r.left + 1, r.bottom + 2), WHITE_PIXEL);  // dialog below the field
        EXPECT_EQ(shell.GetInputPanelInfo().rcSipRect.top, kPanelTop);
        return IDOK;
    };
    CategoryNameDlg ask(view.db, u"");
    EXPECT_EQ(ask.DoModal(&host), IDOK);
    EXPECT_EQ(ask.NewName(), u"Sunset");
    EXPECT_FALSE(shell.IsInputPanelOn()) << "put back down as it was found";
}

TEST_F(CategoryDialogTest, EditsReachTheDatabaseFileAndThePopupTogetherOnOk) {
    std::vector<std::u16string> inDialog;
    // The nested name dialog is answered by swapping the responder's answer.
    EditCategoriesDlg edit(view);
    responder.onDialog = [&](Window& shown) {
        auto& d = static_cast<Dialog&>(shown);
        ExpectLaidOut(d);
        EXPECT_FALSE(d.GetDlgItem(IDC_RENAME_CATEGORY)->IsWindowEnabled());
        EXPECT_FALSE(d.GetDlgItem(IDC_DELETE_CATEGORY)->IsWindowEnabled());
        responder.onDialog = TypeNames({u"Anchor"});
        Press(d, IDC_NEW_CATEGORY);
        Select(d, u"Beach");
        EXPECT_TRUE(d.GetDlgItem(IDC_RENAME_CATEGORY)->IsWindowEnabled());
        responder.onDialog = TypeNames({u"Zoo", u"Sand"});  // 137 first, then a free name
        Press(d, IDC_RENAME_CATEGORY);
        Select(d, u"Harbour");
        Press(d, IDC_DELETE_CATEGORY);
        EXPECT_FALSE(d.GetDlgItem(IDC_DELETE_CATEGORY)->IsWindowEnabled()) << "no selection after a deletion";
        inDialog = ListNames(d);
        // Nothing reached the view, its database or the file yet.
        EXPECT_TRUE(view.calls.empty());
        EXPECT_EQ(LiveNames(view.db), (std::vector<std::u16string>{u"Beach", u"Harbour", u"Zoo"}));
        EXPECT_EQ(StoredNames(), (std::vector<std::u16string>{u"Beach", u"Harbour", u"Zoo"}));
        Shoot("Edit Categories");
        EXPECT_FALSE(shell.IsPanelButtonVisible()) << "hidden while the dialog paints";
        return IDOK;
    };
    EXPECT_EQ(edit.DoModal(&host), IDOK);
    EXPECT_EQ(inDialog, (std::vector<std::u16string>{u"Anchor", u"Sand", u"Zoo"}));
    EXPECT_EQ(BoxTexts(), (std::vector<std::u16string>{kTaken, u"Are you sure you want to delete the selected category?"}));
    const std::vector<std::u16string> expected{u"Anchor", u"Sand", u"Zoo"};
    EXPECT_EQ(LiveNames(view.db), expected);
    EXPECT_EQ(StoredNames(), expected);
    EXPECT_FALSE(view.db.IsDirty());
    // The view heard each edit with the database as the edit found it.
    struct Expected {
        std::string what;
        std::u16string name;
        bool live;
    };
    const Expected calls[] = {
        {"created", u"Anchor", true},
        {"removed keeping images", u"Beach", true},
        {"created", u"Sand", true},
        {"removed", u"Harbour", true},
        {"repaint", u"", false},
    };
    ASSERT_EQ(view.calls.size(), std::size(calls));
    for (size_t i = 0; i < std::size(calls); ++i) {
        EXPECT_EQ(view.calls[i].what, calls[i].what) << i;
        EXPECT_EQ(view.calls[i].name, calls[i].name) << i;
        EXPECT_EQ(view.calls[i].live, calls[i].live) << i;
    }
    EXPECT_TRUE(shell.IsPanelButtonVisible()) << "the panel button comes back";
}

TEST_F(CategoryDialogTest, CancelDropsEveryEdit) {
    const std::vector<uint8_t> before = view.db.Image();
    responder.onDialog = [&](Window& shown) {
        auto& d = static_cast<Dialog&>(shown);
        responder.onDialog = TypeNames({u"Anchor"});
        Press(d, IDC_NEW_CATEGORY);
        Select(d, u"Zoo");
        responder.onDialog = TypeNames({u"Zebra"});
        Press(d, IDC_RENAME_CATEGORY);
        Select(d, u"Beach");
        Press(d, IDC_DELETE_CATEGORY);
        EXPECT_EQ(ListNames(d), (std::vector<std::u16string>{u"Anchor", u"Harbour", u"Zebra"}));
        return IDCANCEL;
    };
    EditCategoriesDlg edit(view);
    EXPECT_EQ(edit.DoModal(&host), IDCANCEL);
    EXPECT_EQ(view.db.Image(), before);
    EXPECT_FALSE(view.db.IsDirty());
    EXPECT_EQ(StoredNames(), (std::vector<std::u16string>{u"Beach", u"Harbour", u"Zoo"}));
    EXPECT_TRUE(view.calls.empty());
}

TEST_F(CategoryDialogTest, ASaveThatFailsLeavesTheDatabaseAndThePopupAsTheyWere) {
    const std::vector<uint8_t> before = view.db.Image();
    // The program's folder turns into a file: the database cannot be written.
    const std::string folder = device.Host("Program Files/Farrowdale/Kestrelview");
    std::filesystem::remove_all(folder);
    WriteHostFile(folder, {1});
    // The dialog's own rounds: New and OK, then (still open) Cancel.
    int round = 0;
    responder.onDialog = [&](Window& shown) {
        auto& d = static_cast<Dialog&>(shown);
        if (round++ > 0) {
            EXPECT_EQ(ListNames(d), (std::vector<std::u16string>{u"Anchor", u"Beach", u"Harbour", u"Zoo"}));
            return IDCANCEL;
        }
        responder.onDialog = TypeNames({u"Anchor"});
        Press(d, IDC_NEW_CATEGORY);
        return IDOK;
    };
    EditCategoriesDlg edit(view);
    EXPECT_EQ(edit.DoModal(&host), IDCANCEL);
    EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{kNotSaved});
    EXPECT_EQ(view.db.Image(), before);
    EXPECT_TRUE(view.calls.empty());
}

TEST_F(CategoryDialogTest, HundredsOfCategories) {
    for (int i = 0; i < 300; ++i) {
        RecordId id{};
        ASSERT_EQ(view.db.Add(u"Category " + Utf8ToUtf16(std::to_string(1000 + i)), id), 0);
    }
    ASSERT_EQ(view.db.Save(), 0);
    responder.onDialog = [&](Window& shown) {
        auto& d = static_cast<Dialog&>(shown);
        EXPECT_EQ(ListNames(d).size(), 303u);
        Select(d, u"Category 1290");
        responder.onDialog = TypeNames({u"Category 1299", u"Quay"});
        Press(d, IDC_RENAME_CATEGORY);
        auto* list = d.GetControl<ListBoxControl>(IDC_CATEGORY_LIST);
        EXPECT_EQ(list->GetText(list->GetCurSel()), u"Quay");
        responder.onDialog = TypeNames({u"Yard"});
        Press(d, IDC_NEW_CATEGORY);
        EXPECT_EQ(ListNames(d).size(), 304u);
        return IDOK;
    };
    EditCategoriesDlg edit(view);
    EXPECT_EQ(edit.DoModal(&host), IDOK);
    const std::vector<std::u16string> stored = StoredNames();
    EXPECT_EQ(stored.size(), 304u);
    EXPECT_EQ(std::count(stored.begin(), stored.end(), u"Quay"), 1);
    EXPECT_EQ(std::count(stored.begin(), stored.end(), u"Category 1290"), 0);
    EXPECT_EQ(view.db.FindByName(u"Yard") != CATEGORY_ID_UNFILED, true);
}

}  // namespace
