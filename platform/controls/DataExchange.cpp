#include "platform/controls/DataExchange.h"

#include "platform/controls/ControlMessages.h"
#include "platform/window/WindowManager.h"

Window* DataExchange::PrepareControl(int id) {
    if (m_failed)
        return nullptr;
    Window* control = m_dialog.GetDlgItem(id);
    if (!control)
        Fail(id);
    return control;
}

void DataExchange::Fail(int id) {
    if (m_failed)
        return;
    m_failed = true;
    m_failedId = id;
}

std::u16string GetControlText(HWND control) {
    const LRESULT length = SendMessage(control, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0)
        return {};
    std::u16string text(size_t(length) + 1, u'\0');
    const LRESULT copied = SendMessage(control, WM_GETTEXT, WPARAM(text.size()),
                                       reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? std::min(size_t(copied), size_t(length)) : 0);
    return text;
}

void DDX_Text(DataExchange& exchange, int id, std::u16string& value) {
    Window* control = exchange.PrepareControl(id);
    if (!control)
        return;
    if (exchange.IsSaving())
        value = GetControlText(control);
    else
        control->SetWindowText(value);
}

void DDX_Text(DataExchange& exchange, int id, std::u16string& value, int maxChars) {
    Window* control = exchange.PrepareControl(id);
    if (!control)
        return;
    const size_t limit = maxChars > 0 ? size_t(maxChars) : 0;
    if (!exchange.IsSaving()) {
        if (limit)
            SendMessage(control, EM_LIMITTEXT, WPARAM(limit), 0);
        control->SetWindowText(value);
        return;
    }
    std::u16string text = GetControlText(control);
    if (limit && text.size() > limit) {
        exchange.Fail(id);
        return;
    }
    value = std::move(text);
}

void DDX_CBIndex(DataExchange& exchange, int id, int& index) {
    Window* control = exchange.PrepareControl(id);
    if (!control)
        return;
    if (exchange.IsSaving())
        index = int(SendMessage(control, CB_GETCURSEL, 0, 0));
    else
        SendMessage(control, CB_SETCURSEL, WPARAM(intptr_t(index)), 0);
}

void DDX_Check(DataExchange& exchange, int id, int& state) {
    Window* control = exchange.PrepareControl(id);
    if (!control)
        return;
    if (exchange.IsSaving())
        state = int(SendMessage(control, BM_GETCHECK, 0, 0));
    else
        SendMessage(control, BM_SETCHECK, WPARAM(state), 0);
}

void DDX_Control(DataExchange& exchange, int id, Window*& control) {
    if (Window* found = exchange.PrepareControl(id))
        control = found;
}
