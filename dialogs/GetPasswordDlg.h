#pragma once
#include <string>

#include "platform/shell/Dialog.h"

// "Get Password": one visible text field of at most 20 characters. It
// raises the input panel; the caller compares the text.
class GetPasswordDlg : public Dialog {
public:
    GetPasswordDlg();

    // After OK: the text entered.
    const std::u16string& Entered() const { return m_entered; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(DataExchange& exchange) override;

private:
    std::u16string m_entered;
};
