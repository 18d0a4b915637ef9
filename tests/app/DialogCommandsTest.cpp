#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "browser/KestrelviewHHView.h"
#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/FileOperations.h"
#include "catalogue/ImageItem.h"
#include "dialogs/DialogIds.h"
#include "dialogs/ImageDetailsDlg.h"
#include "handheld/CameraOrientationPreference.h"
#include "handheld/FullScreen.h"
#include "handheld/Preferences.h"
#include "handheld/RegisteredMessages.h"
#include "handheld/RegistryKey.h"
#include "handheld/ViewModes.h"
#include "handheld/Strings.h"
#include "platform/base/Text.h"
#include "platform/controls/ButtonControl.h"
#include "platform/controls/ComboBoxControl.h"
#include "platform/controls/EditControl.h"
#include "platform/controls/HeaderControl.h"
#include "platform/controls/ToolBar.h"
#include "platform/shell/InputPanelWindow.h"
#include "platform/shell/MessageBoxWindow.h"
#include "platform/window/ModalResponder.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/ScreenShot.h"

#if defined(KV_KESTRELVIEW_PROGRAM) && defined(KV_KVTOOL_PROGRAM)

namespace {

namespace fs = std::filesystem;

constexpr int32_t DIALOG_TOP = 26;  // the dialog's client starts below the title strip
constexpr int32_t PANEL_TOP = 214;
const Point OK_STRIP{240 - 18, 13};

size_t DarkPixels(const Shot& shot, const Rect& r) {
    size_t dark = 0;
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x)
            dark += (shot.At(x, y) & 0xFF) < 0x80;
    return dark;
}

// Sixteen lower-case hex digits, as kvtool writes an id.
std::string Hex(const RecordId& id) {
    std::string text;
    char digits[3];
    for (const uint8_t b : id) {
        std::snprintf(digits, sizeof digits, "%02x", b);
        text += digits;
    }
    return text;
}

// What kvtool says of a photo of the device folder.
std::string KvtoolInfo(const std::string& root, const std::string& hostPath) {
    const std::string command = std::string("'") + KV_KVTOOL_PROGRAM + "' --root '" + root + "' info --json '" +
                                hostPath + "' 2>&1";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

// The program on three photos, photo0.jpg .. photo2.jpg, with the
// categories "Beach" and "Family".
class DialogCommandsTest : public ::testing::Test {
protected:
    StartedProgram program;
    TempDir shots;
    std::string folder;
    RecordId beach{}, family{};

    void SetUp() override {
        const std::string corpus = CorpusDir();
        ASSERT_FALSE(corpus.empty()) << "the JPEG corpus is missing";
        folder = program.device.Host("My Documents/Kestrelview");
        fs::create_directories(folder);
        const char* names[] = {"ian_Canon_40D.jpg", "ian_Nikon_D70.jpg", "ian_Pentax_K10D.jpg"};
        int i = 0;
        for (const char* name : names) {
            const std::string to = folder + "/photo" + std::to_string(i++) + ".jpg";
            fs::copy_file(corpus + "/camera/" + name, to);
            fs::permissions(to, fs::perms::owner_write, fs::perm_options::add);
        }
        CreateFolderTree(PROGRAM_FOLDER);
        CCategoryDB db;
        db.Load(CATEGORY_DB_PATH);
        ASSERT_EQ(db.Add(u"Beach", beach), 0);
        ASSERT_EQ(db.Add(u"Family", family), 0);
        ASSERT_EQ(db.Save(), 0);
        ASSERT_TRUE(program.Start());
        // The thumbnails are made first, so that no reading of a photo
        // meets the dialogs' changes; the wait ends when they are done.
        Input().Wait(60000);
        program.Run();
    }

    CKestrelviewHHView& View() { return *dynamic_cast<CKestrelviewHHView*>(program.Frame().GetActiveView()); }
    HeadlessBackend& Input() { return program.screen.backend; }
    void TapToolButton(UINT command) {
        const ToolBar& bar = *program.Frame().GetToolBar();
        const Rect r = bar.ButtonRect(command);
        Input().Tap(bar.ClientToScreen({(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
    }
    // A point of a dialog control given in the dialog's client coordinates.
    static Point At(int32_t x, int32_t y) { return {x, DIALOG_TOP + y}; }
    void Keys(UINT key, int times) {
        for (int i = 0; i < times; ++i)
            Input().Key(key);
    }
    // Taps the input panel's keys for each character.
    void TypeOnPanel(std::u16string_view text) {
        InputPanelWindow& panel = program.shell.GetInputPanel();
        for (const char16_t c : text) {
            for (const InputPanelWindow::Key& key : panel.Keys()) {
                if (key.ch == c) {
                    const Rect r = key.rect;
                    Input().Tap({(r.left + r.right) / 2, PANEL_TOP + (r.top + r.bottom) / 2});
                    // The panel's character follows the tap, as it does for a
                    // user, before the next key is pressed.
                    Input().Wait(50);
                    break;
                }
            }
        }
    }
    CImageItem* Displayed(int n) { return View().Catalogue().Nth(View().Filter(), n); }
    void Run() { program.Run(); }
    // The photo popup over a record, the responder choosing Details.
    void Details(CImageItem* record, bool single) {
        View().ShowImagePopup(*record, {60, 100}, single);
        Run();
    }
    std::string Info(const std::string& name) { return KvtoolInfo(program.device.Root(), folder + "/" + name); }
    static void Select(Dialog& d, int id, std::u16string_view text) {
        ComboBoxControl& combo = *d.GetControl<ComboBoxControl>(id);
        combo.SetCurSel(combo.FindStringExact(-1, text));
    }
    static void Check(Dialog& d, int id) { d.GetControl<ButtonControl>(id)->SetCheck(int(BST_CHECKED)); }
    std::string ShotPath(const std::string& name) { return shots / (name + ".png"); }
    void KeepShots() {
        if (const char* keep = std::getenv("KV_KEEP_SHOTS"))
            fs::copy(shots.Path(), keep, fs::copy_options::overwrite_existing | fs::copy_options::recursive);
    }
};

TEST_F(DialogCommandsTest, ViewPreferencesFromTheToolBarAreStoredAndFollowed) {
    TapToolButton(ID_VIEW_PREFERENCES);
    Input().Tap(At(150, 35));  // Sort By: Name, dropped
    Keys(VK_DOWN, 4);          // ... Date
    Input().Key(VK_RETURN);
    Input().Tap(At(14, 61));   // Ascending Sort: off
    Input().Tap(At(20, 123));  // Size: off
    Input().Tap(At(130, 143)); // Note: on
    Input().Tap(At(14, 197));  // Follow camera orientation: on
    Input().Shot(ShotPath("View Preferences"));
    Input().Tap(OK_STRIP);
    program.Run();
    KeepShots();
    EXPECT_EQ(GetSortColumn(), COLUMN_DATE);
    EXPECT_FALSE(GetSortAscending());
    EXPECT_FALSE(GetShowColumn(COLUMN_SIZE));
    EXPECT_TRUE(GetShowColumn(COLUMN_NOTE));
    EXPECT_TRUE(GetShowColumn(COLUMN_CATEGORY));
    EXPECT_TRUE(GetFollowCameraOrientation());
    EXPECT_EQ(View().Catalogue().GetSortKey(), COLUMN_DATE) << "the catalogue is sorted again";
    EXPECT_FALSE(View().Catalogue().IsAscending());
    // The list's columns were built again: Name, Category and Note (whose
    // header shows the note symbol, no text).
    std::vector<std::u16string> columns;
    HeaderControl& header = *View().List().GetHeaderCtrl();
    for (int i = 0; i < header.GetItemCount(); ++i) {
        HDITEM item;
        item.mask = HDI_TEXT;
        if (header.GetItem(i, item))
            columns.push_back(item.text);
    }
    EXPECT_EQ(columns, (std::vector<std::u16string>{u"Name", u"Category", u""}));
    const Shot shot = ReadShot(ShotPath("View Preferences"));
    ASSERT_EQ(shot.width, 240);
    EXPECT_EQ(shot.At(10, 5), shot.At(100, 5)) << "the title strip";
    // The checked box holds its mark; the one below it is empty.
    EXPECT_GT(DarkPixels(shot, {6, DIALOG_TOP + 188, 22, DIALOG_TOP + 206}),
              DarkPixels(shot, {6, DIALOG_TOP + 210, 22, DIALOG_TOP + 228}) + 10);
}

TEST_F(DialogCommandsTest, SlideShowPreferencesFromTheToolBar) {
    TapToolButton(ID_SLIDESHOW_PREFERENCES);
    Input().Tap(At(150, 35));  // Duration: 5 Seconds, dropped
    Keys(VK_DOWN, 10);         // ... Manual
    Input().Key(VK_RETURN);
    Input().Tap(At(14, 63));   // random order
    Input().Shot(ShotPath("Slide Show Preferences"));
    Input().Tap(OK_STRIP);
    program.Run();
    KeepShots();
    EXPECT_EQ(GetSlideDuration(), 12);
    EXPECT_EQ(SlideDurationTable[GetSlideDuration()].milliseconds, 65535u);
    EXPECT_TRUE(GetSlideShowRandomOrder());
    EXPECT_EQ(ReadShot(ShotPath("Slide Show Preferences")).width, 240);
}

TEST_F(DialogCommandsTest, DetailsTypedWithThePanelReachTheFile) {
    ModalResponder responder;
    responder.onMenu = [](const ShownMenu&) { return ID_IMAGE_DETAILS; };
    responder.onMessageBox = [](const ShownMessageBox&) { return IDOK; };
    Input().Hold({38, 90});  // the first photo of the grid
    Input().Shot(ShotPath("Image Details"));
    Input().Tap(At(200, 36));  // the name field: the panel comes up
    Input().Key(VK_END);
    TypeOnPanel(u" sea");
    Input().Tap(At(150, 87));  // Category: Unfiled, dropped
    Input().Key(VK_UP);        // ... Family
    Input().Key(VK_RETURN);
    Input().Tap(At(98, 157));  // Private
    Input().Shot(ShotPath("Image Details with the input panel"));
    Input().Tap(OK_STRIP);
    program.Run();
    KeepShots();
    ASSERT_EQ(responder.menus.size(), 1u);
    EXPECT_TRUE(responder.boxes.empty()) << Utf16ToUtf8(responder.boxes[0].text);
    EXPECT_FALSE(fs::exists(folder + "/photo0.jpg")) << KvtoolInfo(program.device.Root(), folder + "/photo0.jpg");
    const std::string info = KvtoolInfo(program.device.Root(), folder + "/photo0 sea.jpg");
    EXPECT_NE(info.find("\"category\": \"" + Hex(family) + "\""), std::string::npos) << info;
    EXPECT_NE(info.find("\"private\": true"), std::string::npos) << info;

    const Shot down = ReadShot(ShotPath("Image Details"));
    const Shot up = ReadShot(ShotPath("Image Details with the input panel"));
    ASSERT_EQ(down.width, 240);
    ASSERT_EQ(up.width, 240);
    // The name field, the one typed into, ends above the panel's top edge;
    // below the edge lies the panel, drawn over what the dialog has there.
    EXPECT_NE(up.At(120, DIALOG_TOP + 45), 0xFFFFFFu) << "the field's bottom frame";
    EXPECT_NE(up.At(2, PANEL_TOP + 2), down.At(2, PANEL_TOP + 2));
    EXPECT_NE(down.At(40, DIALOG_TOP + 140), 0xFFFFFFu) << "the thumbnail";
}

// A rename that fails shows its message, and the category and private mark
// chosen with it are not kept either.
TEST_F(DialogCommandsTest, AFailedRenameLeavesEveryOtherChangeUndone) {
    ModalResponder responder;
    responder.onMenu = [](const ShownMenu&) { return ID_IMAGE_DETAILS; };
    responder.onMessageBox = [](const ShownMessageBox&) { return IDOK; };
    responder.onDialog = [&](Window& shown) {
        auto& dialog = dynamic_cast<Dialog&>(shown);
        dialog.SetDlgItemText(IDC_DETAILS_NAME, u"photo1");
        Select(dialog, IDC_DETAILS_CATEGORY, u"Beach");
        Check(dialog, IDC_DETAILS_PRIVATE);
        return IDOK;
    };
    Details(View().Catalogue().Find(u"\\My Documents\\Kestrelview\\photo0.jpg"), false);
    ASSERT_EQ(responder.boxes.size(), 1u);
    EXPECT_EQ(responder.boxes[0].text, u"A file with that name already exists.");
    const std::string info = Info("photo0.jpg");
    EXPECT_NE(info.find("\"category\": \"0000000000000000\""), std::string::npos) << info;
    EXPECT_NE(info.find("\"private\": false"), std::string::npos) << info;
}

// Over the photo alone the dialog is shown on a normal screen; full screen
// comes back after it, unless the photo was deleted from it.
TEST_F(DialogCommandsTest, DetailsOverThePhotoAloneLeaveFullScreenMeanwhile) {
    SendMessage(&View(), ImageSelectedMessage(), 0, 1);
    Run();
    ASSERT_EQ(View().Mode(), VIEW_SINGLE);
    ASSERT_TRUE(GetFullScreenSwitch()->IsFullScreen());
    ModalResponder responder;
    responder.onMenu = [](const ShownMenu&) { return ID_IMAGE_DETAILS; };
    responder.onMessageBox = [](const ShownMessageBox&) { return IDYES; };
    bool fullScreenMeanwhile = true;
    responder.onDialog = [&](Window&) {
        fullScreenMeanwhile = GetFullScreenSwitch()->IsFullScreen();
        return IDCANCEL;
    };
    CImageItem* shown = Displayed(1);
    Details(shown, true);
    EXPECT_FALSE(fullScreenMeanwhile);
    EXPECT_TRUE(GetFullScreenSwitch()->IsFullScreen());
    EXPECT_EQ(View().Mode(), VIEW_SINGLE);

    const std::u16string path = shown->GetPath();
    responder.onDialog = [&](Window& shown) {
        dynamic_cast<Dialog&>(shown).GetControl<ButtonControl>(IDC_DETAILS_DELETE)->Click();
        return IDCANCEL;  // not reached: Delete ended the dialog
    };
    Details(shown, true);
    ASSERT_FALSE(responder.boxes.empty());
    EXPECT_EQ(responder.boxes.back().text, u"Are you sure you want to delete this image?");
    EXPECT_FALSE(fs::exists(folder + "/" + Utf16ToUtf8(path.substr(path.rfind(u'\\') + 1))));
    EXPECT_EQ(View().Catalogue().Find(path), nullptr);
    EXPECT_NE(View().Mode(), VIEW_SINGLE);
    EXPECT_FALSE(GetFullScreenSwitch()->IsFullScreen());
    EXPECT_EQ(View().Grid().Count(), 2);
}

// A photo whose file went while its details were open: the choices are not
// carried out, and the user is told.
TEST_F(DialogCommandsTest, APhotoDeletedWhileItsDetailsAreOpenIsLeftAlone) {
    ModalResponder responder;
    responder.onMenu = [](const ShownMenu&) { return ID_IMAGE_DETAILS; };
    responder.onMessageBox = [](const ShownMessageBox&) { return IDOK; };
    responder.onDialog = [&](Window& shown) {
        auto& dialog = dynamic_cast<Dialog&>(shown);
        fs::remove(folder + "/photo2.jpg");
        dialog.SetDlgItemText(IDC_DETAILS_NAME, u"photo2 renamed");
        return IDOK;
    };
    Details(View().Catalogue().Find(u"\\My Documents\\Kestrelview\\photo2.jpg"), false);
    ASSERT_EQ(responder.boxes.size(), 1u);
    EXPECT_EQ(responder.boxes[0].text, u"The selected image has been deleted.");
    EXPECT_FALSE(fs::exists(folder + "/photo2 renamed.jpg"));
    // Gone while its note was typed, and the details then cancelled: the
    // user is told the same.
    responder.boxes.clear();
    responder.onDialog = [&](Window& shown) {
        if (shown.GetWindowText().starts_with(u"Note")) {
            fs::remove(folder + "/photo1.jpg");
            return IDOK;
        }
        dynamic_cast<Dialog&>(shown).GetControl<ButtonControl>(IDC_DETAILS_NOTE)->Click();
        return IDCANCEL;
    };
    Details(View().Catalogue().Find(u"\\My Documents\\Kestrelview\\photo1.jpg"), false);
    ASSERT_EQ(responder.boxes.size(), 1u);
    EXPECT_EQ(responder.boxes[0].text, u"The selected image has been deleted.");
}

// Cancel changes nothing; a change of "Auto-rotate" lets every picture go,
// so that photos are made again turned the new way.
TEST_F(DialogCommandsTest, PreferencesCancelledChangeNothingAndAutoRotateFreesPictures) {
    SendMessage(&View(), ImageSelectedMessage(), 0, 0);
    Run();
    ASSERT_NE(Displayed(0)->GetPicture(), nullptr);
    SendMessage(&View(), ImageExitMessage(), 0, 0);
    Run();
    ModalResponder responder;
    responder.onDialog = [&](Window& shown) {
        auto& dialog = dynamic_cast<Dialog&>(shown);
        dialog.GetControl<ButtonControl>(IDC_AUTO_ROTATE)->SetCheck(int(BST_UNCHECKED));
        return IDCANCEL;
    };
    SendMessage(&program.Frame(), WM_COMMAND, ID_VIEW_PREFERENCES, 0);
    Run();
    EXPECT_TRUE(GetAutoRotate());
    EXPECT_NE(Displayed(0)->GetPicture(), nullptr);
    responder.onDialog = [&](Window& shown) {
        auto& dialog = dynamic_cast<Dialog&>(shown);
        dialog.GetControl<ButtonControl>(IDC_AUTO_ROTATE)->SetCheck(int(BST_UNCHECKED));
        return IDOK;
    };
    SendMessage(&program.Frame(), WM_COMMAND, ID_VIEW_PREFERENCES, 0);
    Run();
    EXPECT_FALSE(GetAutoRotate());
    EXPECT_EQ(Displayed(0)->GetPicture(), nullptr);
    EXPECT_EQ(responder.dialogs, (std::vector<std::u16string>{u"View Preferences", u"View Preferences"}));
}

// The user's folders of the desktop, for the time of a test.
class ScopedXdgHomes {
public:
    ScopedXdgHomes() {
        setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (m_dir / "data").c_str(), 1);
    }
    ~ScopedXdgHomes() {
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DATA_HOME");
    }

private:
    TempDir m_dir;
};

std::u16string JpegOpenCommand() {
    std::u16string fileClass;
    CRegistryKey extension(HKEY_CLASSES_ROOT, u".jpg");
    if (extension.Open())
        extension.QueryText(u"", fileClass);
    std::u16string command;
    CRegistryKey open(HKEY_CLASSES_ROOT, fileClass + u"\\Shell\\Open\\Command");
    if (open.Open())
        open.QueryText(u"", command);
    return command;
}

// Turning "Use as default viewer" on makes the program the opener of JPEG
// files; leaving it as it was touches no association.
TEST_F(DialogCommandsTest, TheDefaultViewerFollowsThePreference) {
    ScopedXdgHomes homes;
    const std::u16string before = JpegOpenCommand();
    ASSERT_FALSE(before.empty());
    ModalResponder responder;
    responder.onDialog = [&](Window& shown) {
        dynamic_cast<Dialog&>(shown).GetControl<ButtonControl>(IDC_SORT_ASCENDING)->SetCheck(int(BST_UNCHECKED));
        return IDOK;
    };
    SendMessage(&program.Frame(), WM_COMMAND, ID_VIEW_PREFERENCES, 0);
    Run();
    EXPECT_EQ(JpegOpenCommand(), before);
    responder.onDialog = [&](Window& shown) {
        Check(dynamic_cast<Dialog&>(shown), IDC_DEFAULT_VIEWER);
        return IDOK;
    };
    SendMessage(&program.Frame(), WM_COMMAND, ID_VIEW_PREFERENCES, 0);
    Run();
    EXPECT_TRUE(GetUseAsDefaultViewer());
    EXPECT_NE(JpegOpenCommand().find(PROGRAM_PATH), std::u16string::npos) << Utf16ToUtf8(JpegOpenCommand());
}

}  // namespace

#endif
