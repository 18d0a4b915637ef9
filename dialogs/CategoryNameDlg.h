#pragma once
#include <string>

#include "platform/shell/Dialog.h"

class CCategoryDB;

// "Category": asks for the name of a new category, or a new name for one.
// OK keeps the dialog open while the name is too long (over 31 characters)
// or another live category already has it, as stored (case-insensitively,
// in Windows-1252); an empty name, or the old name unchanged, ends it as
// Cancel. A character with no Windows-1252 form is refused as it is typed.
// It raises the input panel and puts it back as it found it.
class CategoryNameDlg : public Dialog {
public:
    // `oldName` empty: a new category. Names are checked against `categories`.
    CategoryNameDlg(const CCategoryDB& categories, std::u16string oldName);

    // After OK: the name to give.
    const std::u16string& NewName() const { return m_newName; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;
    void DoDataExchange(DataExchange& exchange) override;

private:
    bool IsTaken(const std::u16string& name) const;
    void Refuse(uint32_t stringId, bool emptyField);
    void ShowHint(bool show);

    const CCategoryDB& m_categories;
    std::u16string m_oldName;
    std::u16string m_newName;
    bool m_panelWasOn = false;
};
