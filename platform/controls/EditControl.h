#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/controls/ControlMessages.h"
#include "platform/controls/EditLayout.h"
#include "platform/window/Window.h"

class DeviceContext;
class Font;

// A framed text field: single-line (scrolls sideways to keep the caret in
// view), ES_PASSWORD (shows '*' for every character) or ES_MULTILINE
// (word-wrapped; Enter inserts CR LF; scrolls up and down to keep the caret
// in view). Characters arrive as WM_CHAR (Backspace and Enter included);
// the caret moves with Left, Right, Home, End, Up, Down, Page Up/Down,
// Shift extending the selection; Delete removes forward. Typing replaces
// the selection. A tap places the caret and takes the focus; dragging
// selects. The text is the window text.
//
// The character limit (EM_LIMITTEXT) refuses typed characters that would
// make the text longer, with EN_MAXTEXT to the parent; WM_SETTEXT and
// ReplaceSel (a paste) are never cut. The parent hears EN_SETFOCUS,
// EN_KILLFOCUS and EN_CHANGE (on typing, and on WM_SETTEXT for a
// single-line edit) through WM_COMMAND. Answers EM_GETSEL, EM_SETSEL,
// EM_SCROLLCARET, EM_LIMITTEXT, EM_GETLIMITTEXT, EM_SETPASSWORDCHAR,
// WM_SETTEXT and WM_SETFONT.
class EditControl : public Window {
public:
    static constexpr size_t DEFAULT_LIMIT = 30000;

    void SetLimitText(size_t limit);  // 0 = the default
    size_t GetLimitText() const { return m_limit; }
    // `end` may be npos for the end of the text; the caret goes to `end`.
    void SetSel(size_t start, size_t end);
    void GetSel(size_t& start, size_t& end) const;
    // Replaces the selection as a paste does: the limit does not apply.
    void ReplaceSel(std::u16string_view text);
    void ScrollCaret();
    // 0 shows the characters themselves.
    void SetPasswordChar(char16_t ch);

    size_t GetLineCount() const { return m_layout.LineCount(); }
    // The text shown on a line (without its line break).
    std::u16string GetLineText(size_t line) const;
    size_t LineFromChar(size_t index) const { return m_layout.LineFromIndex(index); }
    size_t GetFirstVisibleLine() const { return m_topLine; }
    size_t GetVisibleLineCount() const;
    // Top of the caret in client coordinates.
    Point GetCaretPosition() const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool IsMultiLine() const { return (GetStyle() & ES_MULTILINE) != 0; }
    bool IsReadOnly() const { return (GetStyle() & ES_READONLY) != 0; }
    const std::u16string& Text() const { return GetWindowText(); }
    std::u16string DisplayText() const;
    Rect TextArea() const;
    int32_t LineHeight() const;
    int32_t LineTop(size_t line) const;
    size_t IndexFromPoint(Point client) const;

    void Relayout();
    void StoreText(std::u16string text);
    bool ReplaceSelection(std::u16string_view insert, bool typed);
    void OnChar(char16_t ch);
    void OnKeyDown(UINT key);
    void MoveCaret(size_t index, bool extend);
    size_t VerticalMove(int lines) const;
    void OnStylus(UINT message, LPARAM lParam);
    void OnPaint(DeviceContext& dc, const Rect& paint) override;
    void PaintLine(DeviceContext& dc, const Font& font, const std::u16string& shown, size_t line,
                   const Rect& clip);

    EditLayout m_layout;
    size_t m_anchor = 0;
    size_t m_caret = 0;
    size_t m_limit = DEFAULT_LIMIT;
    size_t m_topLine = 0;
    int32_t m_scrollX = 0;
    int32_t m_goalX = -1;  // kept across Up/Down so the caret returns to its column
    bool m_focused = false;
    bool m_selecting = false;
    char16_t m_passwordChar = 0;
    const Font* m_font = nullptr;
};

// Registers WC_EDIT.
void RegisterEditClass();
