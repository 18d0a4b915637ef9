#include "platform/controls/EditLayout.h"

#include <algorithm>

#include "platform/fonts/Font.h"

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsWrapSpace(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

size_t LineBreakLength(std::u16string_view text, size_t index) {
    if (index >= text.size())
        return 0;
    if (text[index] == u'\n')
        return 1;
    if (text[index] == u'\r' && index + 1 < text.size() && text[index + 1] == u'\n')
        return 2;
    return 0;
}

size_t PreviousCaretStop(std::u16string_view text, size_t index) {
    index = std::min(index, text.size());
    if (index == 0)
        return 0;
    if (index >= 2 && text[index - 1] == u'\n' && text[index - 2] == u'\r')
        return index - 2;
    if (index >= 2 && IsLowSurrogate(text[index - 1]) && IsHighSurrogate(text[index - 2]))
        return index - 2;
    return index - 1;
}

size_t NextCaretStop(std::u16string_view text, size_t index) {
    if (index >= text.size())
        return text.size();
    if (const size_t lineBreak = LineBreakLength(text, index))
        return index + lineBreak;
    if (index + 1 < text.size() && IsHighSurrogate(text[index]) && IsLowSurrogate(text[index + 1]))
        return index + 2;
    return index + 1;
}

void EditLayout::Build(const Font* font, std::u16string_view text, int32_t width, bool multiLine) {
    m_text = text;
    m_advance.assign(text.size(), 0);
    for (size_t i = 0; font && i < text.size(); i = NextCaretStop(text, i)) {
        const size_t next = NextCaretStop(text, i);
        if (!LineBreakLength(text, i))
            m_advance[i] = font->MeasureWidth(text.substr(i, next - i));
    }
    m_stop.assign(text.size() + 1, false);
    for (size_t i = 0; i < text.size(); i = NextCaretStop(text, i))
        m_stop[i] = true;
    m_stop[text.size()] = true;
    m_prefix.assign(text.size() + 1, 0);
    for (size_t i = 0; i < text.size(); ++i)
        m_prefix[i + 1] = m_prefix[i] + m_advance[i];
    m_lines.clear();
    if (!multiLine) {
        m_lines.push_back({0, text.size()});
    } else {
        size_t start = 0;
        for (;;) {
            size_t end = start;
            while (end < text.size() && !LineBreakLength(text, end))
                ++end;
            WrapParagraph(start, end, width);
            if (end >= text.size())
                break;
            start = end + LineBreakLength(text, end);
        }
    }
    m_text = {};
}

void EditLayout::WrapParagraph(size_t start, size_t end, int32_t width) {
    size_t lineStart = start;
    do {
        size_t i = lineStart;
        size_t lastBreak = 0;
        int32_t x = 0;
        while (i < end) {
            const size_t next = NextCaretStop(m_text, i);
            const int32_t advance = Width(i, next);
            if (IsWrapSpace(m_text[i])) {
                // Spaces never start a new line: they hang past the edge.
                x += advance;
                i = next;
                lastBreak = i;
                continue;
            }
            if (x + advance > width && i > lineStart) {
                if (lastBreak > lineStart)
                    i = lastBreak;
                break;
            }
            x += advance;
            i = next;
        }
        m_lines.push_back({lineStart, i});
        lineStart = i;
    } while (lineStart < end);
}

int32_t EditLayout::Width(size_t from, size_t to) const { return m_prefix[to] - m_prefix[from]; }

size_t EditLayout::LineFromIndex(size_t index) const {
    auto it = std::upper_bound(m_lines.begin(), m_lines.end(), index,
                               [](size_t value, const Line& line) { return value < line.start; });
    return it == m_lines.begin() ? 0 : size_t(it - m_lines.begin()) - 1;
}

int32_t EditLayout::XFromIndex(size_t index) const {
    const Line& line = m_lines[LineFromIndex(index)];
    return Width(line.start, std::clamp(index, line.start, line.end));
}

size_t EditLayout::IndexFromX(size_t lineNumber, int32_t x) const {
    const Line& line = m_lines[std::min(lineNumber, m_lines.size() - 1)];
    // A wrapped line ends where the next begins; stopping one short keeps
    // the caret on this line.
    const bool wrapped = lineNumber + 1 < m_lines.size() && m_lines[lineNumber + 1].start == line.end;
    const size_t last = wrapped && line.end > line.start ? line.end - 1 : line.end;
    size_t index = line.start;
    while (index < last) {
        size_t next = index + 1;
        while (next < last && !m_stop[next])
            ++next;
        const int32_t left = Width(line.start, index);
        const int32_t right = Width(line.start, next);
        if (x < (left + right + 1) / 2)
            break;
        index = next;
    }
    return index;
}

int32_t EditLayout::TextWidth() const { return m_prefix.empty() ? 0 : m_prefix.back(); }
