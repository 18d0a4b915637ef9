#include "dialogs/NoteDlg.h"

#include "dialogs/AnsiTextGuard.h"
#include "dialogs/DialogIds.h"
#include "platform/controls/ControlMessages.h"
#include "platform/controls/DataExchange.h"
#include "platform/controls/EditControl.h"
#include "platform/shell/Shell.h"
#include "platform/window/WindowManager.h"

namespace {

constexpr char16_t CAPTION_TEMPLATE[] = u"Note - %s";
constexpr int NOTE_MAX_CHARS = 4096;
constexpr int32_t GAP_ABOVE_PANEL = 5;

std::u16string FormatCaption(const std::u16string& title) {
    std::u16string caption = CAPTION_TEMPLATE;
    caption.replace(caption.find(u"%s"), 2, title);
    return caption;
}

}  // namespace

NoteDlg::NoteDlg(std::u16string title, std::u16string note)
    : Dialog(CAPTION_TEMPLATE), m_title(std::move(title)), m_note(std::move(note)) {
    AddControl(WC_STATIC, IDC_NOTE_HEADING, {6, 4, 234, 20}, u"Note", SS_LEFT);
    AddControl(WC_STATIC, IDC_NOTE_HINT, {6, 4, 234, 20}, ANSI_HINT, SS_LEFT, false);
    AddControl(WC_EDIT, IDC_NOTE, {4, 24, 236, 264}, u"",
               ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_TABSTOP);
}

bool NoteDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    SetWindowText(FormatCaption(m_title));
    auto* edit = GetControl<EditControl>(IDC_NOTE);
    if (!edit)
        return true;
    const Rect dialog = GetWindowRect();
    m_initialEditRect = edit->GetWindowRect().Offset(-dialog.left, -dialog.top);
    edit->SetSel(m_note.size(), m_note.size());
    edit->ScrollCaret();
    SetFocus(edit);
    FitEditToInputPanel();  // the panel may already be up
    return false;
}

void NoteDlg::DoDataExchange(DataExchange& exchange) {
    DDX_Text(exchange, IDC_NOTE, m_note, NOTE_MAX_CHARS);
}

bool NoteDlg::OnCommand(int id, int code, HWND) {
    if (id != IDC_NOTE || code != EN_CHANGE)
        return false;
    if (RefuseNonAnsiCharacters(*this, IDC_NOTE)) {
        if (Window* heading = GetDlgItem(IDC_NOTE_HEADING))
            heading->ShowWindow(false);
        if (Window* hint = GetDlgItem(IDC_NOTE_HINT))
            hint->ShowWindow(true);
    }
    return true;
}

LRESULT NoteDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTINGCHANGE && wParam == SPI_SETSIPINFO)
        FitEditToInputPanel();
    return Dialog::WindowProc(message, wParam, lParam);
}

void NoteDlg::FitEditToInputPanel() {
    Window* edit = GetDlgItem(IDC_NOTE);
    if (!edit || m_initialEditRect.IsEmpty())
        return;
    Rect rect = m_initialEditRect;
    // The dialog's client starts at the top of the visible desktop, so the
    // field's height is what is left of it below the field's top.
    SIPINFO info;
    if (SipGetInfo(info) && (info.fdwFlags & SIPF_ON))
        rect.bottom = rect.top + (info.rcVisibleDesktop.Height() - rect.top - GAP_ABOVE_PANEL);
    edit->MoveWindow(rect, true);
}
