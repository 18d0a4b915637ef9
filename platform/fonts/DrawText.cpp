#include "platform/fonts/DrawText.h"

#include <algorithm>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/fonts/Font.h"

namespace {

struct Line {
    std::u16string text;
    int underline = -1;  // index in text of the underlined character
};

// Removes prefix marks: "&&" -> "&", "&x" -> x underlined (the last wins).
Line StripPrefix(std::u16string_view text) {
    Line line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != u'&')
                line.underline = int(line.text.size());
        } else if (text[i] == u'&') {
            continue;  // a trailing '&' marks nothing
        }
        line.text += text[i];
    }
    return line;
}

bool IsBreakSpace(char16_t c) { return c == u' ' || c == u'\t'; }

// Greedy word wrap of one paragraph.
void WrapParagraph(const Font& font, std::u16string_view paragraph, int32_t width,
                   std::vector<std::u16string>& lines) {
    size_t start = 0;
    while (true) {
        size_t end = start;
        size_t lastFit = std::u16string_view::npos;
        while (end < paragraph.size()) {
            size_t wordEnd = end;
            while (wordEnd < paragraph.size() && IsBreakSpace(paragraph[wordEnd]))
                ++wordEnd;
            while (wordEnd < paragraph.size() && !IsBreakSpace(paragraph[wordEnd]))
                ++wordEnd;
            if (font.MeasureWidth(paragraph.substr(start, wordEnd - start)) > width &&
                lastFit != std::u16string_view::npos)
                break;
            lastFit = wordEnd;
            end = wordEnd;
        }
        lines.emplace_back(paragraph.substr(start, end - start));
        if (end >= paragraph.size())
            return;
        start = end;
        while (start < paragraph.size() && IsBreakSpace(paragraph[start]))
            ++start;
        if (start >= paragraph.size())
            return;
    }
}

std::vector<Line> LayOut(const Font& font, std::u16string_view text, int32_t width,
                         uint32_t format) {
    std::vector<Line> lines;
    const bool prefix = (format & DT_NOPREFIX) == 0;
    if (format & DT_SINGLELINE) {
        lines.push_back(prefix ? StripPrefix(text) : Line{std::u16string(text), -1});
        if (format & DT_END_ELLIPSIS) {
            std::u16string cut = CutWithEllipsis(font, lines[0].text, width);
            if (cut != lines[0].text) {
                lines[0].text = std::move(cut);
                lines[0].underline = -1;
            }
        }
        return lines;
    }
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(u'\n', start);
        if (end == std::u16string_view::npos)
            end = text.size();
        std::u16string_view paragraph = text.substr(start, end - start);
        if (!paragraph.empty() && paragraph.back() == u'\r')
            paragraph.remove_suffix(1);
        std::vector<std::u16string> wrapped;
        if (format & DT_WORDBREAK)
            WrapParagraph(font, paragraph, width, wrapped);
        else
            wrapped.emplace_back(paragraph);
        for (const std::u16string& w : wrapped)
            lines.push_back(prefix ? StripPrefix(w) : Line{w, -1});
        if (end == text.size())
            break;
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::u16string CutWithEllipsis(const Font& font, std::u16string_view text, int32_t maxWidth) {
    if (font.MeasureWidth(text) <= maxWidth)
        return std::u16string(text);
    const std::u16string_view dots = u"...";
    const int32_t dotsWidth = font.MeasureWidth(dots);
    size_t keep = text.size();
    while (keep > 0) {
        --keep;
        // Never split a surrogate pair.
        if (keep > 0 && text[keep] >= 0xDC00 && text[keep] <= 0xDFFF && text[keep - 1] >= 0xD800 &&
            text[keep - 1] <= 0xDBFF)
            --keep;
        if (font.MeasureWidth(text.substr(0, keep)) + dotsWidth <= maxWidth)
            break;
    }
    return std::u16string(text.substr(0, keep)) + std::u16string(dots);
}

int32_t DrawText(DeviceContext& dc, const Font& font, std::u16string_view text, Rect& rect,
                 uint32_t format) {
    const std::vector<Line> lines = LayOut(font, text, rect.Width(), format);
    const int32_t lineHeight = font.Metrics().height;
    const int32_t total = lineHeight * int32_t(lines.size());
    if (format & DT_CALCRECT) {
        int32_t widest = 0;
        for (const Line& line : lines)
            widest = std::max(widest, font.MeasureWidth(line.text));
        if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE))
            rect.right = rect.left + widest;
        rect.bottom = rect.top + total;
        return total;
    }
    int32_t y = rect.top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect.top + (rect.Height() - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            y = rect.bottom - lineHeight;
    }
    const Rect* clip = (format & DT_NOCLIP) ? nullptr : &rect;
    const bool opaque = dc.GetBkMode() == OPAQUE;
    for (const Line& line : lines) {
        const int32_t width = font.MeasureWidth(line.text);
        int32_t x = rect.left;
        if (format & DT_CENTER)
            x = rect.left + (rect.Width() - width) / 2;
        else if (format & DT_RIGHT)
            x = rect.right - width;
        if (opaque) {
            Rect cell{x, y, x + width, y + lineHeight};
            if (clip)
                cell = cell.Intersect(*clip);
            if (!cell.IsEmpty())
                dc.FillSolidRect(cell, dc.GetBkColor());
        }
        font.DrawLine(dc, x, y, line.text, dc.GetTextColor(), clip);
        if (line.underline >= 0) {
            const int32_t ux = x + font.MeasureWidth(std::u16string_view(line.text).substr(0, size_t(line.underline)));
            const int32_t uw = font.MeasureWidth(std::u16string_view(line.text).substr(size_t(line.underline), 1));
            Rect bar{ux, y + font.Metrics().ascent + 1, ux + uw, y + font.Metrics().ascent + 2};
            if (clip)
                bar = bar.Intersect(*clip);
            if (!bar.IsEmpty())
                dc.FillSolidRect(bar, dc.GetTextColor());
        }
        y += lineHeight;
    }
    return total;
}
