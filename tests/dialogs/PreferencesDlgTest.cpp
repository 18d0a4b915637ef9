#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/DialogIds.h"
#include "dialogs/SlideShowPrefsDlg.h"
#include "dialogs/ViewPrefsDlg.h"
#include "handheld/CameraOrientationPreference.h"
#include "handheld/Preferences.h"
#include "handheld/RegistryKey.h"
#include "platform/controls/ComboBoxControl.h"
#include "tests/dialogs/DialogTestSupport.h"

namespace {

// The check boxes of View Preferences and the preference each one shows.
struct ColumnBox {
    int id;
    uint32_t column;
};
constexpr ColumnBox COLUMN_BOXES[] = {
    {IDC_SHOW_LOCATION, COLUMN_LOCATION}, {IDC_SHOW_CATEGORY, COLUMN_CATEGORY},
    {IDC_SHOW_SIZE, COLUMN_SIZE},         {IDC_SHOW_DIMENSIONS, COLUMN_DIMENSIONS},
    {IDC_SHOW_DATE, COLUMN_DATE},         {IDC_SHOW_NOTE, COLUMN_NOTE},
};

class PreferencesDlgTest : public DialogHostTest {
protected:
    ModalResponder responder;

    static bool Checked(Dialog& d, int id) { return d.GetControl<ButtonControl>(id)->GetCheck() == int(BST_CHECKED); }
    static void Check(Dialog& d, int id, bool on) {
        d.GetControl<ButtonControl>(id)->SetCheck(on ? int(BST_CHECKED) : int(BST_UNCHECKED));
    }
    static ComboBoxControl& Combo(Dialog& d, int id) { return *d.GetControl<ComboBoxControl>(id); }
    static std::vector<std::u16string> Entries(ComboBoxControl& combo) {
        std::vector<std::u16string> texts;
        for (int i = 0; i < combo.GetCount(); ++i)
            texts.push_back(combo.GetLBText(i));
        return texts;
    }
    std::vector<uint8_t> Hive() const { return ReadHostFile(RegCurrentHivePath()); }
    static uint32_t StoredDword(std::u16string_view name) {
        return ReadRegistryDWORD(HKEY_CURRENT_USER, PreferencesKeyPath(), name, 0xDEAD);
    }
    static void StoreDword(std::u16string_view name, uint32_t value) {
        ASSERT_TRUE(WriteRegistryDWORD(HKEY_CURRENT_USER, PreferencesKeyPath(), name, value));
    }
};

TEST_F(PreferencesDlgTest, ViewPreferencesOpensWithTheStoredValues) {
    StoreDword(u"Sort Column", COLUMN_DATE);
    StoreDword(u"Sort Ascending", 0);
    StoreDword(u"Show Columns", (1u << COLUMN_LOCATION) | (1u << COLUMN_NOTE));
    StoreDword(u"Auto-rotate", 0);
    StoreDword(u"Use as default viewer", 1);
    SetFollowCameraOrientation(true);
    ViewPrefsDlg dialog;
    responder.onDialog = [&](Window&) {
        EXPECT_EQ(dialog.GetWindowText(), u"View Preferences");
        ComboBoxControl& sortBy = Combo(dialog, IDC_SORT_BY);
        EXPECT_EQ(Entries(sortBy), (std::vector<std::u16string>{u"Location", u"Name", u"Category", u"Size",
                                                                u"Dimensions", u"Date", u"Note"}));
        EXPECT_EQ(sortBy.GetCurSel(), int(COLUMN_DATE));
        EXPECT_FALSE(Checked(dialog, IDC_SORT_ASCENDING));
        for (const ColumnBox& box : COLUMN_BOXES)
            EXPECT_EQ(Checked(dialog, box.id), box.column == COLUMN_LOCATION || box.column == COLUMN_NOTE)
                << box.id;
        EXPECT_FALSE(Checked(dialog, IDC_AUTO_ROTATE));
        EXPECT_TRUE(Checked(dialog, IDC_DEFAULT_VIEWER));
        EXPECT_TRUE(Checked(dialog, IDC_FOLLOW_CAMERA));
        ExpectLaidOut(dialog);
        Shoot("View Preferences");
        return IDCANCEL;
    };
    EXPECT_EQ(dialog.DoModal(&host), IDCANCEL);
}

TEST_F(PreferencesDlgTest, CancelWritesNothingInEitherDialog) {
    StoreDword(u"Slide Show Auto-Run", 1);
    const std::vector<uint8_t> before = Hive();
    const size_t writes = RegHiveWriteCount();
    ViewPrefsDlg view;
    SlideShowPrefsDlg slides;
    for (Dialog* dialog : {static_cast<Dialog*>(&view), static_cast<Dialog*>(&slides)}) {
        responder.onDialog = [&](Window&) {
            // Every control changed, then thrown away.
            for (Window* child : dialog->Children()) {
                if (auto* box = dynamic_cast<ButtonControl*>(child))
                    box->SetCheck(box->GetCheck() == int(BST_CHECKED) ? int(BST_UNCHECKED) : int(BST_CHECKED));
                if (auto* combo = dynamic_cast<ComboBoxControl*>(child))
                    combo->SetCurSel(combo->GetCount() - 1);
            }
            return IDCANCEL;
        };
        EXPECT_EQ(dialog->DoModal(&host), IDCANCEL) << Utf16ToUtf8(dialog->GetWindowText());
    }
    EXPECT_EQ(RegHiveWriteCount(), writes);
    EXPECT_EQ(Hive(), before);
}

TEST_F(PreferencesDlgTest, OkWritesEveryValueInOneSave) {
    StoreDword(u"Show Columns", 0x100 | 14);  // a bit no box shows stays
    ViewPrefsDlg dialog;
    responder.onDialog = [&](Window&) {
        Combo(dialog, IDC_SORT_BY).SetCurSel(int(COLUMN_SIZE));
        Check(dialog, IDC_SORT_ASCENDING, false);
        Check(dialog, IDC_SHOW_LOCATION, true);
        Check(dialog, IDC_SHOW_SIZE, false);
        Check(dialog, IDC_AUTO_ROTATE, false);
        Check(dialog, IDC_FOLLOW_CAMERA, true);
        Check(dialog, IDC_DEFAULT_VIEWER, true);
        return IDOK;
    };
    const size_t writes = RegHiveWriteCount();
    EXPECT_EQ(dialog.DoModal(&host), IDOK);
    EXPECT_EQ(RegHiveWriteCount(), writes + 1);
    EXPECT_EQ(GetSortColumn(), COLUMN_SIZE);
    EXPECT_FALSE(GetSortAscending());
    EXPECT_EQ(StoredDword(u"Show Columns"), 0x100u | 1 | 2 | 4);
    EXPECT_FALSE(GetAutoRotate());
    EXPECT_TRUE(GetFollowCameraOrientation());
    EXPECT_TRUE(GetUseAsDefaultViewer());
}

TEST_F(PreferencesDlgTest, UncheckingEveryColumnLeavesTheNameColumnOnly) {
    ViewPrefsDlg dialog;
    responder.onDialog = [&](Window&) {
        for (const ColumnBox& box : COLUMN_BOXES)
            Check(dialog, box.id, false);
        return IDOK;
    };
    EXPECT_EQ(dialog.DoModal(&host), IDOK);
    for (uint32_t column = 0; column < COLUMN_COUNT; ++column)
        EXPECT_EQ(GetShowColumn(column), column == COLUMN_NAME) << column;
}

TEST_F(PreferencesDlgTest, OkDoesNothingUntilASortEntryIsChosen) {
    const std::vector<uint8_t> before = Hive();
    ViewPrefsDlg dialog;
    int round = 0;
    responder.onDialog = [&](Window&) {
        ComboBoxControl& sortBy = Combo(dialog, IDC_SORT_BY);
        if (round++ == 0) {
            sortBy.SetCurSel(-1);
            return IDOK;
        }
        // Still open, nothing stored, the list waiting for a choice.
        EXPECT_EQ(Hive(), before);
        EXPECT_EQ(GetFocus(), HWND(&sortBy));
        sortBy.SetCurSel(int(COLUMN_NOTE));
        return IDOK;
    };
    EXPECT_EQ(dialog.DoModal(&host), IDOK);
    EXPECT_EQ(round, 2);
    EXPECT_EQ(StoredDword(u"Sort Column"), COLUMN_NOTE);
}

TEST_F(PreferencesDlgTest, TappedBoxesAreWhatOkStores) {
    // With the stylus, as the user does it: the boxes' own hit areas.
    ViewPrefsDlg dialog;
    const auto tapOn = [&](const Rect& r) { screen.backend.Tap({r.left + 8, 26 + (r.top + r.bottom) / 2}); };
    tapOn({6, 52, 234, 70});     // Ascending Sort: off
    tapOn({122, 134, 232, 152}); // Note: on
    tapOn({6, 188, 234, 206});   // Follow camera orientation: on
    screen.backend.Tap({SCREEN_WIDTH - 18, 13});  // "ok"
    EXPECT_EQ(dialog.DoModal(&host), IDOK);
    EXPECT_FALSE(GetSortAscending());
    EXPECT_TRUE(GetShowColumn(COLUMN_NOTE));
    EXPECT_TRUE(GetFollowCameraOrientation());
    EXPECT_EQ(GetSortColumn(), COLUMN_NAME);
}

TEST_F(PreferencesDlgTest, SlideShowPreferencesStoreTheDurationAndKeepAutoRun) {
    StoreDword(u"Slide Duration", 4);
    StoreDword(u"Slide Show Auto-Run", 1);
    SlideShowPrefsDlg dialog;
    responder.onDialog = [&](Window&) -> int {
        EXPECT_EQ(dialog.GetWindowText(), u"Slide Show Preferences");
        ComboBoxControl& durations = Combo(dialog, IDC_SLIDE_DURATION);
        EXPECT_EQ(durations.GetCount(), int(SLIDE_DURATION_COUNT));
        for (size_t i = 0; i < SLIDE_DURATION_COUNT && i < size_t(durations.GetCount()); ++i)
            EXPECT_EQ(durations.GetLBText(int(i)), SlideDurationTable[i].text);
        EXPECT_EQ(durations.GetCurSel(), 4);
        EXPECT_FALSE(Checked(dialog, IDC_SLIDE_RANDOM));
        ExpectLaidOut(dialog);
        Shoot("Slide Show Preferences");
        durations.SetCurSel(durations.FindStringExact(-1, u"Manual"));
        Check(dialog, IDC_SLIDE_RANDOM, true);
        return IDOK;
    };
    const size_t writes = RegHiveWriteCount();
    EXPECT_EQ(dialog.DoModal(&host), IDOK);
    EXPECT_EQ(RegHiveWriteCount(), writes + 1);
    EXPECT_EQ(StoredDword(u"Slide Duration"), 12u);
    EXPECT_EQ(StoredDword(u"Slide Show Random Order"), 1u);
    EXPECT_EQ(StoredDword(u"Slide Show Auto-Run"), 1u);
}

}  // namespace
