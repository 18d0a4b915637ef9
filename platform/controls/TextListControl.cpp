#include "platform/controls/TextListControl.h"

#include "platform/window/WindowManager.h"

int TextListControl::AddString(std::u16string_view text) {
    const int index = m_items.Add(text, IsSorted());
    OnItemsChanged();
    return index;
}

int TextListControl::InsertString(int index, std::u16string_view text) {
    const int at = m_items.Insert(index, text);
    if (at < 0)
        return ERR;
    OnItemsChanged();
    return at;
}

int TextListControl::DeleteString(int index) {
    if (!m_items.Delete(index))
        return ERR;
    OnItemsChanged();
    return GetCount();
}

void TextListControl::ResetContent() {
    m_items.Clear();
    OnItemsChanged();
}

int TextListControl::SetCurSel(int index) {
    const bool selected = m_items.Select(index);
    if (selected)
        OnSelectionSet(index);
    Invalidate();
    return selected ? index : ERR;
}

int TextListControl::GetItemTextLen(int index) const {
    return m_items.IsValid(index) ? int(m_items.Text(index).size()) : ERR;
}

LPARAM TextListControl::GetItemData(int index) const {
    return m_items.IsValid(index) ? m_items.Data(index) : ERR;
}

int TextListControl::SetItemData(int index, LPARAM data) {
    return m_items.SetData(index, data) ? 0 : ERR;
}

int TextListControl::FindStringExact(int startAfter, std::u16string_view text) const {
    const int found = m_items.FindExact(startAfter, text);
    return found < 0 ? ERR : found;
}

void TextListControl::SetRedraw(bool on) {
    if (on == m_redraw)
        return;
    m_redraw = on;
    if (!on || !IsAlive())
        return;
    OnRedrawOn();
    InvalidateRect(this, nullptr, true);
}

void TextListControl::Invalidate() {
    if (m_redraw && IsAlive())
        InvalidateRect(this, nullptr, false);
}
