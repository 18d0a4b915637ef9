#pragma once
#include <string>

#include "platform/shell/Dialog.h"

// "Set Password": the current password, a new one and its confirmation,
// all typed hidden. OK stays open with a message while the current text
// is not the stored password or the confirmation differs; otherwise the
// new text (empty = no password) is the result. It raises the input panel.
class SetPasswordDlg : public Dialog {
public:
    // `stored`: the value kept in the preferences (a hash, an older plain
    // text, or empty when no password is set).
    explicit SetPasswordDlg(std::u16string stored);

    // After OK: the new password as typed.
    const std::u16string& NewPassword() const { return m_new; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(DataExchange& exchange) override;

private:
    std::u16string m_stored;
    std::u16string m_current;
    std::u16string m_new;
    std::u16string m_confirm;
};
