#include "dialogs/SlideShowPrefsDlg.h"

#include "dialogs/DialogIds.h"
#include "handheld/PreferencesBatch.h"
#include "platform/controls/ControlMessages.h"
#include "platform/controls/DataExchange.h"
#include "platform/fonts/SystemFont.h"
#include "platform/window/WindowManager.h"

SlideShowPrefsDlg::SlideShowPrefsDlg() : Dialog(u"Slide Show Preferences") {
    AddControl(WC_STATIC, IDC_PREFS_HEADING, {6, 4, 234, 20}, u"Slideshow Preferences", SS_LEFT);
    AddControl(WC_STATIC, IDC_STATIC_TEXT, {6, 29, 70, 45}, u"Duration:", SS_LEFT);
    AddControl(WC_COMBOBOX, IDC_SLIDE_DURATION, {72, 26, 234, 240}, u"",
               CBS_DROPDOWNLIST | WS_TABSTOP);
    AddControl(WC_BUTTON, IDC_SLIDE_RANDOM, {6, 54, 234, 72}, u"Show slides in random order",
               BS_AUTOCHECKBOX | WS_TABSTOP);
}

bool SlideShowPrefsDlg::OnInitDialog() {
    if (Window* heading = GetDlgItem(IDC_PREFS_HEADING))
        SendMessage(heading, WM_SETFONT, reinterpret_cast<WPARAM>(GetUiFont(UiFont::Bold)), 0);
    if (Window* durations = GetDlgItem(IDC_SLIDE_DURATION))
        for (const SlideDuration& row : SlideDurationTable)
            SendMessage(durations, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.text));
    m_duration = GetSlideDuration();
    m_random = GetSlideShowRandomOrder();
    m_autoRun = GetSlideShowAutoRun();
    return Dialog::OnInitDialog();
}

void SlideShowPrefsDlg::DoDataExchange(DataExchange& exchange) {
    DDX_CBIndex(exchange, IDC_SLIDE_DURATION, m_duration);
    DDX_Check(exchange, IDC_SLIDE_RANDOM, m_random);
}

void SlideShowPrefsDlg::OnOK() {
    if (!UpdateData(true))
        return;
    if (m_duration < 0 || m_duration >= int(SLIDE_DURATION_COUNT)) {
        if (Window* durations = GetDlgItem(IDC_SLIDE_DURATION))
            SetFocus(durations);
        return;
    }
    CPreferencesBatch batch;
    SetSlideDuration(uint16_t(m_duration));
    SetSlideShowRandomOrder(m_random != 0);
    SetSlideShowAutoRun(m_autoRun != 0);
    batch.Commit();
    EndDialog(IDOK);
}
