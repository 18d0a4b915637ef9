#include "platform/controls/EditControl.h"

#include <algorithm>
#include <cstdint>

#include "platform/controls/ControlSupport.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/controls/DialogCodes.h"
#include "platform/fonts/Font.h"
#include "platform/window/WindowClass.h"

namespace {

// Frame and padding between the window's edge and the text.
constexpr int32_t TEXT_INSET_X = 3;
constexpr int32_t TEXT_INSET_Y = 2;
constexpr uint32_t DWORD_MAX = 0xFFFFFFFFu;

}  // namespace

// ---- typed interface -------------------------------------------------------

void EditControl::SetLimitText(size_t limit) { m_limit = limit == 0 ? DEFAULT_LIMIT : limit; }

void EditControl::SetSel(size_t start, size_t end) {
    const size_t length = Text().size();
    auto toStop = [&](size_t index) {
        index = std::min(index, length);
        // Never between the CR and LF of a line break.
        if (index > 0 && index < length && Text()[index - 1] == u'\r' && Text()[index] == u'\n')
            --index;
        return index;
    };
    m_anchor = toStop(start);
    m_caret = toStop(end);
    m_goalX = -1;
    RepaintControl(*this);
}

void EditControl::GetSel(size_t& start, size_t& end) const {
    start = std::min(m_anchor, m_caret);
    end = std::max(m_anchor, m_caret);
}

void EditControl::ReplaceSel(std::u16string_view text) { ReplaceSelection(text, false); }

void EditControl::SetPasswordChar(char16_t ch) {
    m_passwordChar = ch;
    Relayout();
    RepaintControl(*this);
}

std::u16string EditControl::GetLineText(size_t line) const {
    if (line >= m_layout.LineCount())
        return {};
    const EditLayout::Line& l = m_layout.GetLine(line);
    return DisplayText().substr(l.start, l.end - l.start);
}

size_t EditControl::GetVisibleLineCount() const {
    if (!IsMultiLine())
        return 1;
    return size_t(std::max<int32_t>(1, TextArea().Height() / LineHeight()));
}

Point EditControl::GetCaretPosition() const {
    const Rect area = TextArea();
    const size_t line = m_layout.LineFromIndex(m_caret);
    return {area.left + m_layout.XFromIndex(m_caret) - m_scrollX, LineTop(line)};
}

// ---- geometry --------------------------------------------------------------

std::u16string EditControl::DisplayText() const {
    if (m_passwordChar && !IsMultiLine())
        return std::u16string(Text().size(), m_passwordChar);
    return Text();
}

Rect EditControl::TextArea() const {
    const Rect client = GetClientRect();
    return {TEXT_INSET_X, TEXT_INSET_Y, std::max(TEXT_INSET_X, client.right - TEXT_INSET_X),
            std::max(TEXT_INSET_Y, client.bottom - TEXT_INSET_Y)};
}

int32_t EditControl::LineHeight() const {
    const Font* font = ControlFont(m_font);
    return font ? std::max<int32_t>(1, font->Metrics().height) : UI_FONT_HEIGHT;
}

int32_t EditControl::LineTop(size_t line) const {
    if (!IsMultiLine())
        return (GetClientRect().Height() - LineHeight()) / 2;
    return TextArea().top + (int32_t(line) - int32_t(m_topLine)) * LineHeight();
}

size_t EditControl::IndexFromPoint(Point client) const {
    const Rect area = TextArea();
    size_t line = 0;
    if (IsMultiLine()) {
        const int32_t row = client.y < area.top ? -1 : (client.y - area.top) / LineHeight();
        const int32_t wanted = int32_t(m_topLine) + row;
        line = size_t(std::clamp<int32_t>(wanted, 0, int32_t(m_layout.LineCount()) - 1));
    }
    return m_layout.IndexFromX(line, client.x - area.left + m_scrollX);
}

void EditControl::Relayout() {
    m_layout.Build(ControlFont(m_font), DisplayText(), TextArea().Width() - 1, IsMultiLine());
    const size_t visible = GetVisibleLineCount();
    const size_t lines = m_layout.LineCount();
    m_topLine = std::min(m_topLine, lines > visible ? lines - visible : 0);
}

void EditControl::ScrollCaret() {
    const size_t line = m_layout.LineFromIndex(m_caret);
    const size_t visible = GetVisibleLineCount();
    if (line < m_topLine)
        m_topLine = line;
    else if (line >= m_topLine + visible)
        m_topLine = line + 1 - visible;
    // One pixel of room for the caret at the right edge.
    const int32_t room = std::max(0, TextArea().Width() - 1);
    const int32_t x = m_layout.XFromIndex(m_caret);
    if (IsMultiLine())
        m_scrollX = 0;
    else if (x - m_scrollX > room)
        m_scrollX = x - room;
    else if (x < m_scrollX)
        m_scrollX = x;
    else
        m_scrollX = std::max(0, std::min(m_scrollX, m_layout.TextWidth() - room));
    RepaintControl(*this);
}

// ---- editing ---------------------------------------------------------------

void EditControl::StoreText(std::u16string text) {
    DefWindowProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Relayout();
}

bool EditControl::ReplaceSelection(std::u16string_view insert, bool typed) {
    size_t start = 0;
    size_t end = 0;
    GetSel(start, end);
    const size_t length = Text().size() - (end - start) + insert.size();
    if (typed && !insert.empty() && length > m_limit) {
        NotifyParent(*this, EN_MAXTEXT);
        return false;
    }
    std::u16string text = Text();
    text.replace(start, end - start, insert);
    StoreText(std::move(text));
    m_anchor = m_caret = start + insert.size();
    m_goalX = -1;
    ScrollCaret();
    NotifyParent(*this, EN_CHANGE);
    return true;
}

void EditControl::OnChar(char16_t ch) {
    if (IsReadOnly())
        return;
    if (ch == 0x08) {
        if (m_anchor == m_caret)
            m_anchor = PreviousCaretStop(Text(), m_caret);
        if (m_anchor != m_caret)
            ReplaceSelection({}, true);
        return;
    }
    if (ch == u'\r') {
        if (IsMultiLine())
            ReplaceSelection(u"\r\n", true);
        return;
    }
    if (ch < 0x20 || ch == 0x7F)
        return;  // Tab, Escape, Ctrl+letters: the dialog's or nobody's
    ReplaceSelection(std::u16string_view(&ch, 1), true);
}

void EditControl::MoveCaret(size_t index, bool extend) {
    m_caret = index;
    if (!extend)
        m_anchor = index;
    ScrollCaret();
}

size_t EditControl::VerticalMove(int lines) const {
    const int32_t line = int32_t(m_layout.LineFromIndex(m_caret)) + lines;
    const int32_t last = int32_t(m_layout.LineCount()) - 1;
    if (line < 0)
        return 0;
    if (line > last)
        return Text().size();
    const int32_t x = m_goalX >= 0 ? m_goalX : m_layout.XFromIndex(m_caret);
    return m_layout.IndexFromX(size_t(line), x);
}

void EditControl::OnKeyDown(UINT key) {
    const bool extend = GetKeyState(VK_SHIFT) < 0;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const std::u16string& text = Text();
    size_t start = 0;
    size_t end = 0;
    GetSel(start, end);
    const size_t lineNumber = m_layout.LineFromIndex(m_caret);
    const EditLayout::Line& line = m_layout.GetLine(lineNumber);
    const int32_t page = int32_t(GetVisibleLineCount());
    const bool vertical = key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT;
    if (vertical && !IsMultiLine())
        return;
    if (vertical && m_goalX < 0)
        m_goalX = m_layout.XFromIndex(m_caret);
    const int32_t goal = m_goalX;
    switch (key) {
    case VK_LEFT:
        MoveCaret(start != end && !extend ? start : PreviousCaretStop(text, m_caret), extend);
        break;
    case VK_RIGHT:
        MoveCaret(start != end && !extend ? end : NextCaretStop(text, m_caret), extend);
        break;
    case VK_HOME: MoveCaret(control ? 0 : line.start, extend); break;
    case VK_END:
        // The far end of a wrapped line is the start of the next one.
        MoveCaret(control ? text.size() : m_layout.IndexFromX(lineNumber, INT32_MAX), extend);
        break;
    case VK_UP: MoveCaret(VerticalMove(-1), extend); break;
    case VK_DOWN: MoveCaret(VerticalMove(1), extend); break;
    case VK_PRIOR: MoveCaret(VerticalMove(-page), extend); break;
    case VK_NEXT: MoveCaret(VerticalMove(page), extend); break;
    case VK_DELETE:
        if (IsReadOnly())
            return;
        if (start == end)
            m_caret = NextCaretStop(text, m_caret);
        if (m_anchor != m_caret)
            ReplaceSelection({}, true);
        return;
    default:
        return;
    }
    m_goalX = vertical ? goal : -1;
}

void EditControl::OnStylus(UINT message, LPARAM lParam) {
    const Point point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
        SetFocus(this);
        if (!IsAlive())
            return;
        m_goalX = -1;
        MoveCaret(IndexFromPoint(point), GetKeyState(VK_SHIFT) < 0);
        SetCapture(this);
        m_selecting = true;
        return;
    }
    if (!m_selecting)
        return;
    MoveCaret(IndexFromPoint(point), true);
    if (message == WM_LBUTTONUP) {
        m_selecting = false;
        ReleaseCapture();
    }
}

// ---- messages --------------------------------------------------------------

LRESULT EditControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        if (GetStyle() & ES_PASSWORD)
            m_passwordChar = u'*';
        Relayout();
        return 0;
    case WM_SETTEXT: {
        StoreText(lParam ? std::u16string(reinterpret_cast<const char16_t*>(lParam)) : u"");
        m_anchor = m_caret = 0;
        m_topLine = 0;
        m_scrollX = 0;
        m_goalX = -1;
        RepaintControl(*this);
        if (!IsMultiLine())
            NotifyParent(*this, EN_CHANGE);
        return 1;
    }
    case WM_SIZE:
        Relayout();
        ScrollCaret();
        return 0;
    case WM_SETFONT:
        m_font = reinterpret_cast<const Font*>(wParam);
        Relayout();
        if (lParam)
            RepaintControl(*this);
        return 0;
    case WM_CHAR:
        OnChar(char16_t(wParam));
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(UINT(wParam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        OnStylus(message, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        m_selecting = false;
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        m_focused = message == WM_SETFOCUS;
        RepaintControl(*this);
        NotifyParent(*this, m_focused ? EN_SETFOCUS : EN_KILLFOCUS);
        return 0;
    case WM_ENABLE:
        RepaintControl(*this);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL |
               (IsMultiLine() ? DLGC_WANTALLKEYS : 0);
    case EM_GETSEL: {
        size_t start = 0;
        size_t end = 0;
        GetSel(start, end);
        if (wParam)
            *reinterpret_cast<uint32_t*>(wParam) = uint32_t(std::min<size_t>(start, DWORD_MAX));
        if (lParam)
            *reinterpret_cast<uint32_t*>(lParam) = uint32_t(std::min<size_t>(end, DWORD_MAX));
        return LRESULT(std::min<size_t>(start, 0xFFFF) | (std::min<size_t>(end, 0xFFFF) << 16));
    }
    case EM_SETSEL:
        if (intptr_t(wParam) == -1)
            SetSel(m_caret, m_caret);
        else
            SetSel(size_t(wParam), lParam < 0 ? std::u16string::npos : size_t(lParam));
        return 0;
    case EM_SCROLLCARET:
        ScrollCaret();
        return 1;
    case EM_LIMITTEXT:
        SetLimitText(size_t(wParam));
        return 0;
    case EM_GETLIMITTEXT:
        return LRESULT(m_limit);
    case EM_SETPASSWORDCHAR:
        SetPasswordChar(char16_t(wParam));
        return 0;
    default:
        return DefWindowProc(message, wParam, lParam);
    }
}

// ---- painting --------------------------------------------------------------

void EditControl::OnPaint(DeviceContext& dc, const Rect&) {
    const Rect client = GetClientRect();
    const bool enabled = IsWindowEnabled();
    dc.FillSolidRect(client, GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    const COLORREF frame = GetSysColor(enabled ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW);
    dc.FillSolidRect({0, 0, client.right, 1}, frame);
    dc.FillSolidRect({0, client.bottom - 1, client.right, client.bottom}, frame);
    dc.FillSolidRect({0, 0, 1, client.bottom}, frame);
    dc.FillSolidRect({client.right - 1, 0, client.right, client.bottom}, frame);
    const Font* font = ControlFont(m_font);
    const Rect area = TextArea();
    const Rect clip{area.left - 1, 1, area.right + 1, client.bottom - 1};
    if (font) {
        const std::u16string shown = DisplayText();
        const size_t last = std::min(m_layout.LineCount(), m_topLine + GetVisibleLineCount() + 1);
        for (size_t line = IsMultiLine() ? m_topLine : 0; line < last; ++line)
            PaintLine(dc, *font, shown, line, clip);
    }
    if (m_focused) {
        const Point caret = GetCaretPosition();
        const Rect bar = Rect{caret.x, caret.y, caret.x + 1, caret.y + LineHeight()}.Intersect(clip);
        dc.FillSolidRect(bar, GetSysColor(COLOR_WINDOWTEXT));
    }
}

void EditControl::PaintLine(DeviceContext& dc, const Font& font, const std::u16string& shown,
                            size_t line, const Rect& clip) {
    const EditLayout::Line& l = m_layout.GetLine(line);
    const int32_t left = TextArea().left - m_scrollX;
    const int32_t top = LineTop(line);
    const std::u16string_view text = std::u16string_view(shown).substr(l.start, l.end - l.start);
    const COLORREF ink = GetSysColor(IsWindowEnabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    font.DrawLine(dc, left, top, text, ink, &clip);
    size_t start = 0;
    size_t end = 0;
    GetSel(start, end);
    start = std::max(start, l.start);
    end = std::min(end, l.end);
    if (!m_focused || start >= end)
        return;
    const int32_t x0 = left + font.MeasureWidth(text.substr(0, start - l.start));
    const std::u16string_view selected = text.substr(start - l.start, end - start);
    const Rect band =
        Rect{x0, top, x0 + font.MeasureWidth(selected), top + LineHeight()}.Intersect(clip);
    dc.FillSolidRect(band, GetSysColor(COLOR_HIGHLIGHT));
    font.DrawLine(dc, x0, top, selected, GetSysColor(COLOR_HIGHLIGHTTEXT), &band);
}

void RegisterEditClass() {
    RegisterWindowClass(WC_EDIT, 0, [] { return std::make_unique<EditControl>(); });
}
