#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "browser/FlatComboBox.h"
#include "browser/KestrelviewHHView.h"
#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/FileOperations.h"
#include "catalogue/ImageItem.h"
#include "dialogs/CategoryNameDlg.h"
#include "dialogs/DialogIds.h"
#include "dialogs/EditCategoriesDlg.h"
#include "handheld/Preferences.h"
#include "handheld/Strings.h"
#include "platform/controls/ComboBoxControl.h"
#include "platform/controls/ListBoxControl.h"
#include "platform/png/PngWriter.h"
#include "platform/shell/InputPanelWindow.h"
#include "platform/shell/Menu.h"
#include "platform/window/ModalResponder.h"
#include "tests/app/AppTestSupport.h"
#include "tests/platform/ModalTestSupport.h"

namespace {

namespace fs = std::filesystem;

const char* const PHOTOS[] = {"ian_Canon_40D.jpg", "ian_Nikon_D70.jpg", "ian_Pentax_K10D.jpg"};
constexpr int32_t PANEL_TOP = SCREEN_HEIGHT - MENU_BAR_HEIGHT - INPUT_PANEL_HEIGHT;

// The program on the test's device folder.
struct Program {
    HeadlessScreen screen;
    Shell shell;
    CKestrelviewApp app;

    bool Start() { return app.InitApplication() && app.InitInstance(); }
    CMainFrame& Frame() { return *static_cast<CMainFrame*>(app.m_pMainWnd); }
    void Run() { app.Run(); }
};

// The program over three photos, photo0.jpg .. photo2.jpg, in internal
// storage, and a storage card; the category Beach exists.
class CategoryCommandsTest : public ::testing::Test {
protected:
    TempDevice device;
    TempDir cardFolder;
    std::unique_ptr<Program> program;
    RecordId beach{};

    void SetUp() override {
        const std::string corpus = CorpusDir();
        ASSERT_FALSE(corpus.empty()) << "the JPEG corpus is missing";
        const std::string folder = device.Host("My Documents/Kestrelview");
        fs::create_directories(folder);
        int i = 0;
        for (const char* name : PHOTOS) {
            const std::string to = folder + "/photo" + std::to_string(i++) + ".jpg";
            fs::copy_file(corpus + "/camera/" + name, to);
            fs::permissions(to, fs::perms::owner_write, fs::perm_options::add);
        }
        // A card is a folder linked into the device's root.
        fs::create_directory_symlink(cardFolder.Path(), device.Host("Storage Card"));
        ASSERT_TRUE(CreatePreferencesKey());
        CreateFolderTree(PROGRAM_FOLDER);
        CCategoryDB db;
        ASSERT_EQ(db.Load(CATEGORY_DB_PATH), 0);
        ASSERT_EQ(db.Add(u"Beach", beach), 0);
        ASSERT_EQ(db.Save(), 0);
    }
    void TearDown() override { program.reset(); }

    void Start() {
        program = std::make_unique<Program>();
        ASSERT_TRUE(program->Start());
        program->Run();
    }
    CKestrelviewHHView& View() { return *dynamic_cast<CKestrelviewHHView*>(program->Frame().GetActiveView()); }
    void Command(UINT id) {
        SendMessage(&program->Frame(), WM_COMMAND, id, 0);
        program->Run();
    }
    HeadlessBackend& Input() { return program->screen.backend; }
    static Point Centre(const Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    void TapControl(Dialog& dialog, int id) { Input().Tap(Centre(dialog.GetDlgItem(id)->GetWindowRect())); }
    // Types on the input panel's keys, as a user would.
    void TypeOnPanel(std::u16string_view text) {
        InputPanelWindow& panel = program->shell.GetInputPanel();
        const Rect at = panel.GetWindowRect();
        auto tapKey = [&](auto matches) {
            for (const InputPanelWindow::Key& key : panel.Keys()) {
                if (matches(key)) {
                    Input().Tap(Centre(key.rect.Offset(at.left, at.top)));
                    return true;
                }
            }
            return false;
        };
        for (const char16_t c : text) {
            const char16_t lower = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
            if (lower != c) {
                ASSERT_TRUE(tapKey([](const auto& key) { return key.vk == VK_SHIFT; }));
            }
            ASSERT_TRUE(tapKey([&](const auto& key) { return key.ch == lower; })) << char(c);
        }
    }
    template <class T>
    T* Open() {
        const auto open = TopLevelOf<T>(program->screen.manager);
        return open.empty() ? nullptr : open.back();
    }
    std::vector<std::u16string> StoredNames() {
        CCategoryDB file;
        EXPECT_EQ(file.Load(CATEGORY_DB_PATH), 0);
        std::vector<std::u16string> names;
        size_t cursor = 0;
        CategoryRecord record;
        std::u16string name;
        while (file.NextLive(cursor, record, name))
            names.push_back(name);
        return names;
    }
    std::vector<std::u16string> CategoryPopup() {
        const Menu& popup = *View().CategorySelector()->GetMenu()->GetSubMenu(0);
        std::vector<std::u16string> texts;
        for (int i = 0; i < popup.GetItemCount(); ++i)
            texts.push_back(popup.GetItemText(UINT(i), MF_BYPOSITION));
        return texts;
    }
    static std::u16string PhotoPath(int n) {
        return u"\\My Documents\\Kestrelview\\photo" + Utf8ToUtf16(std::to_string(n)) + u".jpg";
    }
    static RecordId StoredCategory(std::u16string_view path) {
        CImageItem record;
        EXPECT_EQ(record.InitFromFile(path, false), 0u);
        return record.GetCategory();
    }
};

// "Edit Categories..." of the category popup: New..., the name typed on
// the input panel, OK in both dialogs. The file, the popup and the
// dialog's list agree.
TEST_F(CategoryCommandsTest, EditCategoriesAddsACategoryTypedOnThePanel) {
    Start();
    TempDir shots;
    IdleSteps steps;
    bool named = false;
    steps.Then([&] {
        EditCategoriesDlg* edit = Open<EditCategoriesDlg>();
        ASSERT_NE(edit, nullptr);
        TapControl(*edit, IDC_NEW_CATEGORY);
        steps.Then([&] {
            CategoryNameDlg* ask = Open<CategoryNameDlg>();
            ASSERT_NE(ask, nullptr);
            ASSERT_TRUE(program->shell.IsInputPanelOn());
            TypeOnPanel(u"Harbour");
            steps.Then([&] {
                CategoryNameDlg* ask = Open<CategoryNameDlg>();
                ASSERT_NE(ask, nullptr);
                Window* field = ask->GetDlgItem(IDC_CATEGORY_NAME);
                EXPECT_EQ(field->GetWindowText(), u"Harbour");
                // The field being typed into lies wholly above the panel.
                const Rect r = field->GetWindowRect();
                EXPECT_LT(r.bottom, PANEL_TOP);
                const Bitmap& screen = program->screen.manager.Screen();
                EXPECT_NE(screen.Value(r.left + 1, r.bottom - 1), 0xFFFFFFu) << "the field's frame";
                EXPECT_EQ(screen.Value(r.left + 1, PANEL_TOP - 1), 0xFFFFFFu) << "dialog, not field, above the panel";
                const char* dir = std::getenv("KV_DIALOG_SHOTS");
                EXPECT_EQ(WritePng((dir ? std::string(dir) : shots.Path()) + "/program-category-name.png", screen), 0u);
                TapControl(*ask, IDOK);
                named = true;
                steps.Then([&] {
                    EditCategoriesDlg* edit = Open<EditCategoriesDlg>();
                    ASSERT_NE(edit, nullptr);
                    auto* list = edit->GetControl<ListBoxControl>(IDC_CATEGORY_LIST);
                    EXPECT_EQ(list->GetCount(), 2);
                    EXPECT_GE(list->FindStringExact(-1, u"Harbour"), 0);
                    EXPECT_FALSE(program->shell.IsInputPanelOn()) << "down again, as it was";
                    Input().Tap({SCREEN_WIDTH - 18, 13});  // "ok"
                });
            });
        });
    });
    Command(ID_EDIT_CATEGORIES);
    EXPECT_TRUE(named);
    EXPECT_EQ(Open<EditCategoriesDlg>(), nullptr);
    EXPECT_EQ(StoredNames(), (std::vector<std::u16string>{u"Beach", u"Harbour"}));
    const std::vector<std::u16string> popup = CategoryPopup();
    EXPECT_NE(std::find(popup.begin(), popup.end(), u"Harbour"), popup.end());
}

// Categorize All over what is displayed, then Move All to the card where
// one name is taken: the photo before it moves, the rest stay, and the
// message for a taken name is shown.
TEST_F(CategoryCommandsTest, CategorizeAllAndMoveAllActOnTheDisplayedPhotos) {
    Start();
    ModalResponder responder;
    responder.onMessageBox = [](const ShownMessageBox&) { return IDOK; };
    responder.onDialog = [](Window& shown) {
        auto& d = static_cast<Dialog&>(shown);
        const bool categorize = d.GetWindowText() == u"Categorize All";
        auto* combo = d.GetControl<ComboBoxControl>(categorize ? IDC_CATEGORIZE_CATEGORY : IDC_MOVE_LOCATION);
        combo->SetCurSel(combo->FindStringExact(-1, categorize ? u"Beach" : u"Storage Card"));
        return IDOK;
    };
    Command(ID_CATEGORIZE_ALL);
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(StoredCategory(PhotoPath(n)), beach) << n;
    EXPECT_EQ(program->shell.WaitCursorDepth(), 0);

    fs::create_directories(cardFolder / "My Documents/Kestrelview");
    WriteHostFile(cardFolder / "My Documents/Kestrelview/photo1.jpg", {0xFF, 0xD8});
    Command(ID_MOVE_ALL);
    ASSERT_EQ(responder.boxes.size(), 1u);
    EXPECT_EQ(responder.boxes[0].text, u"An image with the same name already exists at the new location.");
    EXPECT_TRUE(fs::exists(cardFolder / "My Documents/Kestrelview/photo0.jpg"));
    EXPECT_FALSE(fs::exists(device.Host("My Documents/Kestrelview/photo0.jpg")));
    EXPECT_TRUE(fs::exists(device.Host("My Documents/Kestrelview/photo1.jpg")));
    EXPECT_TRUE(fs::exists(device.Host("My Documents/Kestrelview/photo2.jpg")));
    EXPECT_EQ(StoredCategory(u"\\Storage Card\\My Documents\\Kestrelview\\photo0.jpg"), beach)
        << "the trailer moves with the photo";
}

}  // namespace
