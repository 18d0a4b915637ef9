#pragma once
#include <memory>
#include <string>

#include "platform/shell/Dialog.h"

class BrowserServices;
class CategoryEdits;
class ListBoxControl;

// "Edit Categories": the categories in a sorted list, with New..., Rename...
// and Delete... (the last two only while a category is selected). The
// edits are held until OK, which saves them and brings the view's category
// popup in step; should the save fail, it says so and stays open. Cancel
// drops every edit made since the dialog opened.
class EditCategoriesDlg : public Dialog {
public:
    explicit EditCategoriesDlg(BrowserServices& view);
    ~EditCategoriesDlg() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnPaint(DeviceContext& dc, const Rect& paintRect) override;

private:
    ListBoxControl* List() const;
    std::u16string SelectedName() const;
    void UpdateButtons();
    void OnNew();
    void OnRename();
    void OnDelete();

    BrowserServices& m_view;
    std::unique_ptr<CategoryEdits> m_edits;
    bool m_panelButtonWasVisible = true;
};
