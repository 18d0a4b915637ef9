#include "dialogs/EditCategoriesDlg.h"

#include "catalogue/StringTable.h"
#include "dialogs/BrowserServices.h"
#include "dialogs/CategoryEdits.h"
#include "dialogs/CategoryNameDlg.h"
#include "dialogs/DialogIds.h"
#include "platform/controls/ControlMessages.h"
#include "platform/controls/ListBoxControl.h"
#include "platform/shell/MessageBoxWindow.h"
#include "platform/shell/Shell.h"

namespace {

constexpr uint32_t STRING_CONFIRM_DELETE = 133;
constexpr uint32_t STRING_NOT_SAVED = 145;

}  // namespace

EditCategoriesDlg::EditCategoriesDlg(BrowserServices& view) : Dialog(u"Edit Categories"), m_view(view) {
    AddControl(WC_STATIC, IDC_CATEGORY_HEADING, {6, 4, 234, 20}, u"Edit Categories", SS_LEFT);
    AddControl(WC_LISTBOX, IDC_CATEGORY_LIST, {4, 24, 236, 228},
               u"", LBS_SORT | LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP);
    AddControl(WC_BUTTON, IDC_NEW_CATEGORY, {4, 236, 78, 260}, u"New...", BS_PUSHBUTTON | WS_TABSTOP);
    AddControl(WC_BUTTON, IDC_RENAME_CATEGORY, {83, 236, 157, 260}, u"Rename...", BS_PUSHBUTTON | WS_TABSTOP);
    AddControl(WC_BUTTON, IDC_DELETE_CATEGORY, {162, 236, 236, 260}, u"Delete...", BS_PUSHBUTTON | WS_TABSTOP);
}

EditCategoriesDlg::~EditCategoriesDlg() = default;

bool EditCategoriesDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    m_edits = std::make_unique<CategoryEdits>(m_view.Categories());
    m_panelButtonWasVisible = !Shell::Current() || Shell::Current()->IsPanelButtonVisible();
    if (ListBoxControl* list = List())
        m_view.FillCategoryListBox(list);
    UpdateButtons();
    return true;
}

void EditCategoriesDlg::OnPaint(DeviceContext& dc, const Rect& paintRect) {
    SHFullScreen(this, SHFS_HIDESIPBUTTON);
    Dialog::OnPaint(dc, paintRect);
}

LRESULT EditCategoriesDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The panel button is the shell's, not the dialog's: it comes back.
    if (message == WM_DESTROY && m_panelButtonWasVisible)
        SHFullScreen(this, SHFS_SHOWSIPBUTTON);
    return Dialog::WindowProc(message, wParam, lParam);
}

bool EditCategoriesDlg::OnCommand(int id, int code, HWND) {
    switch (id) {
    case IDC_CATEGORY_LIST:
        if (code == LBN_SELCHANGE)
            UpdateButtons();
        return true;
    case IDC_NEW_CATEGORY:
        OnNew();
        return true;
    case IDC_RENAME_CATEGORY:
        OnRename();
        return true;
    case IDC_DELETE_CATEGORY:
        OnDelete();
        return true;
    default:
        return false;
    }
}

void EditCategoriesDlg::OnOK() {
    if (m_edits && m_edits->Commit(m_view) != 0) {
        MessageBoxW(this, LoadString(STRING_NOT_SAVED), GetWindowText(), MB_OK);
        return;
    }
    EndDialog(IDOK);
}

ListBoxControl* EditCategoriesDlg::List() const { return GetControl<ListBoxControl>(IDC_CATEGORY_LIST); }

std::u16string EditCategoriesDlg::SelectedName() const {
    ListBoxControl* list = List();
    const int selected = list ? list->GetCurSel() : -1;
    return selected < 0 ? std::u16string() : list->GetText(selected);
}

// Rename and Delete act on the selection; after a deletion there is none.
void EditCategoriesDlg::UpdateButtons() {
    const bool selected = List() && List()->GetCurSel() >= 0;
    for (const int id : {IDC_RENAME_CATEGORY, IDC_DELETE_CATEGORY})
        if (Window* button = GetDlgItem(id))
            button->EnableWindow(selected);
}

void EditCategoriesDlg::OnNew() {
    CategoryNameDlg ask(m_edits->Working(), u"");
    if (ask.DoModal(this) != IDOK)
        return;
    RecordId id{};
    if (m_edits->Add(ask.NewName(), id) != 0)
        return;
    if (ListBoxControl* list = List())
        list->AddString(ask.NewName());
    UpdateButtons();
}

void EditCategoriesDlg::OnRename() {
    ListBoxControl* list = List();
    const std::u16string oldName = SelectedName();
    if (!list || oldName.empty())
        return;
    CategoryNameDlg ask(m_edits->Working(), oldName);
    if (ask.DoModal(this) != IDOK)
        return;
    const RecordId id = m_edits->Working().FindByName(oldName);
    if (id == CATEGORY_ID_UNFILED || !m_edits->Rename(id, ask.NewName()))
        return;
    list->SetRedraw(false);
    list->DeleteString(list->GetCurSel());
    list->SetCurSel(list->AddString(ask.NewName()));
    list->SetRedraw(true);
    UpdateButtons();
}

void EditCategoriesDlg::OnDelete() {
    ListBoxControl* list = List();
    const std::u16string name = SelectedName();
    if (!list || name.empty())
        return;
    if (MessageBoxW(this, LoadString(STRING_CONFIRM_DELETE), GetWindowText(), MB_YESNO) != IDYES)
        return;
    const RecordId id = m_edits->Working().FindByName(name);
    if (id == CATEGORY_ID_UNFILED || !m_edits->Delete(id))
        return;
    list->DeleteString(list->GetCurSel());
    list->SetCurSel(-1);
    UpdateButtons();
}
