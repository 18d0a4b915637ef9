#include "dialogs/PrivateImages.h"

#include <string>

#include "catalogue/StringTable.h"
#include "dialogs/GetPasswordDlg.h"
#include "dialogs/PasswordHash.h"
#include "dialogs/SetPasswordDlg.h"
#include "handheld/Preferences.h"
#include "platform/shell/MessageBoxWindow.h"

namespace {

constexpr uint32_t STRING_WRONG_PASSWORD = 141;

}  // namespace

int StorePrivatePassword(std::u16string_view password) {
    std::u16string stored;
    if (const int error = HashPassword(password, stored); error != 0)
        return error;
    SetPrivatePassword(stored);
    return 0;
}

bool CheckPrivatePassword(std::u16string_view typed) {
    const std::u16string stored = GetPrivatePassword();
    if (!PasswordMatches(stored, typed))
        return false;
    if (!stored.empty() && !IsPasswordHash(stored))
        StorePrivatePassword(typed);  // a failure keeps the older value, still accepted
    return true;
}

int RunSetPasswordCommand(HWND owner) {
    SetPasswordDlg dialog(GetPrivatePassword());
    const int result = dialog.DoModal(owner);
    if (result != IDOK)
        return result;
    const int error = StorePrivatePassword(dialog.NewPassword());
    return error != 0 ? error : result;
}

bool RunTogglePrivateCommand(HWND owner, bool& shown) {
    if (!shown && !GetPrivatePassword().empty()) {
        GetPasswordDlg dialog;
        if (dialog.DoModal(owner) != IDOK)
            return false;
        if (!CheckPrivatePassword(dialog.Entered())) {
            MessageBoxW(owner, LoadString(STRING_WRONG_PASSWORD), u"Kestrelview", MB_OK);
            return false;
        }
    }
    shown = !shown;
    SetShowPrivate(shown);
    return true;
}
