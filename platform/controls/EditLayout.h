#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class Font;

// Where the text of an edit control falls on screen lines. A single-line
// edit has one line holding the whole text. A multi-line edit starts a new
// line after each CR LF (or lone LF) and wraps between words to fit the
// width; a word wider than the line is broken between characters, and the
// spaces at a wrap stay at the end of the line they follow. Indexes are
// UTF-16 positions in the text.
class EditLayout {
public:
    struct Line {
        size_t start = 0;
        size_t end = 0;  // the line break itself is not part of the line
    };

    // `font` may be nullptr (no font files): every character is then 0 wide.
    void Build(const Font* font, std::u16string_view text, int32_t width, bool multiLine);

    size_t LineCount() const { return m_lines.size(); }
    const Line& GetLine(size_t line) const { return m_lines[line]; }
    // The line a caret at `index` is shown on: at a wrap the caret belongs
    // to the line that starts there.
    size_t LineFromIndex(size_t index) const;
    // Pixels from the line's left edge to the caret at `index`.
    int32_t XFromIndex(size_t index) const;
    // The caret position on `line` nearest to `x` (pixels from the line's
    // left edge); never past the spaces at a wrap, so that the caret stays
    // on the line.
    size_t IndexFromX(size_t line, int32_t x) const;
    int32_t TextWidth() const;

private:
    int32_t Width(size_t from, size_t to) const;
    void WrapParagraph(size_t start, size_t end, int32_t width);

    std::u16string_view m_text;  // valid only during Build
    std::vector<int32_t> m_advance;         // per UTF-16 unit; the low surrogate of a pair is 0
    std::vector<int32_t> m_prefix{0};       // m_prefix[i] = sum of m_advance[0, i)
    std::vector<bool> m_stop{true};         // where a caret may stand
    std::vector<Line> m_lines{Line{0, 0}};  // never empty
};

// Length of the line break at `index` ("\r\n" = 2, "\n" = 1), 0 when none.
size_t LineBreakLength(std::u16string_view text, size_t index);
// The caret position one character before / after `index`, stepping over
// line breaks and surrogate pairs as a whole.
size_t PreviousCaretStop(std::u16string_view text, size_t index);
size_t NextCaretStop(std::u16string_view text, size_t index);
