#include "desktop/SyncTypes.h"

namespace {

template <typename Text, typename View>
Text Join(View left, View right, typename Text::value_type separator) {
    Text out(left);
    auto isSeparator = [](auto c) { return c == '/' || c == '\\'; };
    if (!left.empty() && !isSeparator(left.back()) && !right.empty() && !isSeparator(right.front()))
        out.push_back(separator);
    out.append(right);
    return out;
}

}  // namespace

std::string JoinDesktopPath(std::string_view left, std::string_view right) {
    return Join<std::string>(left, right, '/');
}

std::u16string JoinHandheldPath(std::u16string_view left, std::u16string_view right) {
    // On the handheld only '\' separates; '/' is part of no valid name.
    std::u16string out(left);
    if (!left.empty() && left.back() != u'\\' && !right.empty() && right.front() != u'\\')
        out.push_back(u'\\');
    out.append(right);
    return out;
}
