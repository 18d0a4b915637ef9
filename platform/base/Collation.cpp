#include "platform/base/Collation.h"

#include <clocale>
#include <cwchar>

#include "platform/base/Text.h"

namespace {
// UTF-16 to the C library's wide characters (UTF-32), with letter case
// folded first so case never decides the order.
std::wstring FoldedWide(std::u16string_view text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = FoldCase(text[i]);
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                          text[i + 1] <= 0xDFFF;
        if (c == 0) break;  // a wide string ends at its first 0
        if (pair) {
            wide += static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00));
        } else {
            wide += static_cast<wchar_t>(c);
        }
    }
    return wide;
}
}  // namespace

std::wstring UserSortKey(std::u16string_view text) {
    const std::wstring wide = FoldedWide(text);
    std::wstring key(wide.size() * 4 + 16, L'\0');
    size_t needed = std::wcsxfrm(key.data(), wide.c_str(), key.size());
    if (needed >= key.size()) {
        key.assign(needed + 1, L'\0');
        needed = std::wcsxfrm(key.data(), wide.c_str(), key.size());
    }
    key.resize(needed);
    return key;
}

int CompareForUser(std::u16string_view a, std::u16string_view b) {
    const std::wstring x = FoldedWide(a);
    const std::wstring y = FoldedWide(b);
    if (x == y) return 0;
    const int result = std::wcscoll(x.c_str(), y.c_str());
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

void UseUserCollation() { std::setlocale(LC_COLLATE, ""); }
