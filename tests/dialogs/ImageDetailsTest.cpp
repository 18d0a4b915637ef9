#include <gtest/gtest.h>

#include <string>

#include "catalogue/FileOperations.h"
#include "platform/base/WinError.h"
#include "platform/shell/InputPanelWindow.h"
#include "dialogs/AnsiTextGuard.h"
#include "dialogs/DialogIds.h"
#include "dialogs/ImageDetailsDlg.h"
#include "dialogs/NoteDlg.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/dialogs/FakeBrowserServices.h"
#include "tests/platform/GdiTestSupport.h"

namespace {

constexpr char16_t PHOTO[] = u"\\My Documents\\Kestrelview\\Beach.jpg";

class ImageDetailsTest : public DialogHostTest {
protected:
    FakeBrowserServices services;
    CImageItem record;
    ModalResponder responder;

    void SetUp() override {
        DialogHostTest::SetUp();
        MakeHostDirs(device.Host("My Documents/Kestrelview"));
        WriteHostFile(device.Host("My Documents/Kestrelview/Beach.jpg"),
                      ReadHostFile(FixturePath("viewer/landscape.jpg")));
        ASSERT_EQ(record.InitFromFile(PHOTO, false), 0u);
        services.held = &record;
        responder.onMessageBox = [](const ShownMessageBox&) { return IDOK; };
    }

    ImageDetails Shown() {
        ImageDetails details = ImageDetails::Of(record);
        details.date = u"12/10/2026 2:35 PM";  // the same on every machine
        return details;
    }
    static ComboBoxControl& Combo(Dialog& d, int id) { return *d.GetControl<ComboBoxControl>(id); }
    static std::u16string Selected(Dialog& d, int id) {
        ComboBoxControl& combo = Combo(d, id);
        return combo.GetLBText(combo.GetCurSel());
    }
    static void Select(Dialog& d, int id, std::u16string_view text) {
        ComboBoxControl& combo = Combo(d, id);
        combo.SetCurSel(combo.FindStringExact(-1, text));
    }
    static void Press(Dialog& d, int id) { d.GetControl<ButtonControl>(id)->Click(); }
};

TEST_F(ImageDetailsTest, ShowsThePhotoWithItsLocationCategoryAndThumbnail) {
    ASSERT_EQ(record.SetCategory(services.family), 0);
    ImageDetailsDlg dialog(services, record, Shown());
    responder.onDialog = [&](Window&) {
        EXPECT_EQ(dialog.GetWindowText(), u"Image Details");
        EXPECT_EQ(dialog.GetDlgItemText(IDC_DETAILS_NAME), u"Beach");
        EXPECT_EQ(Selected(dialog, IDC_DETAILS_LOCATION), u"Internal");
        EXPECT_EQ(Selected(dialog, IDC_DETAILS_CATEGORY), u"Family");
        EXPECT_EQ(Combo(dialog, IDC_DETAILS_CATEGORY).FindStringExact(-1, u"All"), -1);
        EXPECT_EQ(dialog.GetDlgItemText(IDC_DETAILS_RESOLUTION), record.DimensionsText());
        EXPECT_EQ(dialog.GetDlgItemText(IDC_DETAILS_SIZE), record.SizeText());
        EXPECT_EQ(dialog.GetDlgItemText(IDC_DETAILS_DATE), u"12/10/2026 2:35 PM");
        EXPECT_EQ(dialog.GetControl<ButtonControl>(IDC_DETAILS_PRIVATE)->GetCheck(), int(BST_UNCHECKED));
        EXPECT_FALSE(shell.IsInputPanelOn()) << "the panel waits for the name field";
        EXPECT_EQ(GetFocus(), HWND(&Combo(dialog, IDC_DETAILS_CATEGORY)));
        ExpectLaidOut(dialog);
        Shoot("Image Details");
        // The thumbnail is painted in the hidden area, not on white alone.
        const Rect area = dialog.GetDlgItem(IDC_DETAILS_THUMBNAIL)->GetWindowRect();
        Bitmap& s = screen.manager.Screen();
        int coloured = 0;
        for (int32_t y = area.top; y < area.bottom; y += 4)
            for (int32_t x = area.left; x < area.right; x += 4)
                coloured += s.Value(x, y) != WHITE_PIXEL;
        EXPECT_GT(coloured, 100);
        return IDCANCEL;
    };
    EXPECT_EQ(dialog.DoModal(&host), IDCANCEL);
}

TEST_F(ImageDetailsTest, OkGivesTheChoicesAndLocationsByPath) {
    struct Case {
        const char* what;
        RecordId category;            // the record's category at open
        std::u16string_view choose;   // category entry chosen, empty = left
        std::u16string_view location; // location entry chosen, empty = left
        RecordId expectCategory;
        std::u16string expectPath, expectFolder;
    };
    const RecordId deleted{1, 2, 3, 4, 5, 6, 7, 8};
    const Case cases[] = {
        {"unchanged", services.beach, u"", u"", services.beach, u"\\My Documents\\Kestrelview",
         u"\\My Documents\\Kestrelview"},
        {"a deleted category opens as Unfiled", deleted, u"", u"", CATEGORY_ID_UNFILED,
         u"\\My Documents\\Kestrelview", u"\\My Documents\\Kestrelview"},
        {"to Unfiled and the card", services.beach, u"Unfiled", u"Storage Card", CATEGORY_ID_UNFILED,
         u"\\Storage Card", u"\\Storage Card\\My Documents\\Kestrelview"},
        {"a category", CATEGORY_ID_UNFILED, u"Family", u"", services.family, u"\\My Documents\\Kestrelview",
         u"\\My Documents\\Kestrelview"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        record.SetCategoryInMemory(c.category);
        ImageDetailsDlg dialog(services, record, Shown());
        responder.onDialog = [&](Window&) {
            if (c.category == deleted) {
                EXPECT_EQ(Selected(dialog, IDC_DETAILS_CATEGORY), u"Unfiled");
            }
            if (!c.choose.empty())
                Select(dialog, IDC_DETAILS_CATEGORY, c.choose);
            if (!c.location.empty())
                Select(dialog, IDC_DETAILS_LOCATION, c.location);
            return IDOK;
        };
        EXPECT_EQ(dialog.DoModal(&host), IDOK);
        EXPECT_EQ(dialog.ChosenCategory(), c.expectCategory);
        EXPECT_EQ(dialog.ChosenLocationPath(), c.expectPath);
        EXPECT_EQ(dialog.Details().location, c.expectFolder);
    }
}

TEST_F(ImageDetailsTest, TheNameFieldRaisesThePanelAndStaysAboveIt) {
    ImageDetailsDlg dialog(services, record, Shown());
    responder.onDialog = [&](Window&) {
        auto& name = *dialog.GetControl<EditControl>(IDC_DETAILS_NAME);
        SetFocus(&name);
        screen.manager.PumpMessages();
        EXPECT_TRUE(shell.IsInputPanelOn());
        // Typed with the panel: a character with no Windows-1252 form is refused.
        name.SetSel(5, 5);
        for (const char16_t c : std::u16string_view(u" at dawn\u6d77"))
            SendMessage(&name, WM_CHAR, c, 0);
        EXPECT_EQ(name.GetWindowText(), u"Beach at dawn");
        EXPECT_EQ(shell.BeepCount(), 1);
        EXPECT_TRUE(dialog.GetDlgItem(IDC_DETAILS_HINT)->IsVisibleFlag());
        ExpectLaidOut(dialog);
        Shoot("Image Details with the input panel");
        const Rect field = name.GetWindowRect();
        EXPECT_LE(field.bottom, kPanelTop);
        Bitmap& s = screen.manager.Screen();
        EXPECT_NE(s.Value(field.left + 40, field.bottom - 1), WHITE_PIXEL) << "the field's frame shows";
        // The panel, not the field, is what lies below the panel's top edge.
        EXPECT_EQ(screen.manager.WindowFromPoint({field.left + 40, kPanelTop + 10}), HWND(&shell.GetInputPanel()));
        return IDOK;
    };
    EXPECT_EQ(dialog.DoModal(&host), IDOK);
    EXPECT_EQ(dialog.Details().name, u"Beach at dawn");
}

TEST_F(ImageDetailsTest, ANameNoFileCanHaveKeepsTheDialogOpen) {
    ImageDetailsDlg dialog(services, record, Shown());
    int round = 0;
    responder.onDialog = [&](Window&) {
        if (round++ == 0) {
            dialog.SetDlgItemText(IDC_DETAILS_NAME, u"Beach: low tide");
            return IDOK;
        }
        EXPECT_EQ(responder.boxes.size(), 1u);
        if (!responder.boxes.empty()) {
            EXPECT_EQ(responder.boxes[0].text, RenameFailureText(ERROR_INVALID_NAME).text);
        }
        EXPECT_EQ(GetFocus(), HWND(dialog.GetDlgItem(IDC_DETAILS_NAME)));
        dialog.SetDlgItemText(IDC_DETAILS_NAME, u"Beach, low tide");
        return IDOK;
    };
    EXPECT_EQ(dialog.DoModal(&host), IDOK);
    EXPECT_EQ(dialog.Details().name, u"Beach, low tide");
}

TEST_F(ImageDetailsTest, DeleteAsksFirst) {
    for (const int answer : {IDNO, IDYES}) {
        ImageDetailsDlg dialog(services, record, Shown());
        responder.boxes.clear();
        responder.onMessageBox = [&](const ShownMessageBox&) { return answer; };
        int rounds = 0;
        responder.onDialog = [&](Window&) {
            if (rounds++ > 0) {
                EXPECT_EQ(dialog.GetDlgItemText(IDC_DETAILS_NAME), u"Beach") << "unchanged after No";
                return IDCANCEL;
            }
            Press(dialog, IDC_DETAILS_DELETE);
            return IDOK + 100;  // not reached after Yes: the dialog has ended
        };
        const int result = dialog.DoModal(&host);
        ASSERT_EQ(responder.boxes.size(), 1u);
        EXPECT_EQ(responder.boxes[0].text, u"Are you sure you want to delete this image?");
        EXPECT_EQ(result, answer == IDYES ? IDD_DETAILS_DELETE : IDOK + 100);
    }
}

TEST_F(ImageDetailsTest, ANoteIsStoredAtOnceEvenWhenDetailsAreCancelled) {
    ImageDetailsDlg dialog(services, record, Shown());
    responder.onDialog = [&](Window& shown) {
        if (auto* note = dynamic_cast<NoteDlg*>(&shown)) {
            EXPECT_EQ(note->GetWindowText(), u"Note - Beach");
            note->SetDlgItemText(IDC_NOTE, u"Low tide");
            return IDOK;
        }
        Press(dialog, IDC_DETAILS_NOTE);
        return IDCANCEL;
    };
    EXPECT_EQ(dialog.DoModal(&host), IDCANCEL);
    CImageItem reread;
    ASSERT_EQ(reread.InitFromFile(PHOTO, false), 0u);
    EXPECT_EQ(reread.GetNote(), u"Low tide");
}

TEST_F(ImageDetailsTest, WhatWentAwayWhileOpenIsNeverUsed) {
    // The card's location goes while the dialog is open: its entry still
    // names its path, though the browser's object for it is gone.
    ImageDetailsDlg moving(services, record, Shown());
    responder.onDialog = [&](Window&) {
        services.RemoveCard();
        Select(moving, IDC_DETAILS_LOCATION, u"Storage Card");
        return IDOK;
    };
    EXPECT_EQ(moving.DoModal(&host), IDOK);
    EXPECT_EQ(moving.ChosenLocationPath(), u"\\Storage Card");
    // The photo goes while its note is typed: the note is not written and
    // the dialog ends as cancelled.
    ImageDetailsDlg noting(services, record, Shown());
    responder.onDialog = [&](Window& shown) {
        if (auto* note = dynamic_cast<NoteDlg*>(&shown)) {
            note->SetDlgItemText(IDC_NOTE, u"Lost");
            services.held = nullptr;
            return IDOK;
        }
        Press(noting, IDC_DETAILS_NOTE);
        return IDOK;
    };
    EXPECT_EQ(noting.DoModal(&host), IDCANCEL);
    CImageItem reread;
    ASSERT_EQ(reread.InitFromFile(PHOTO, false), 0u);
    EXPECT_EQ(reread.GetNote(), u"");
}

}  // namespace
