#include "catalogue/PhotoNames.h"

#include "platform/base/Text.h"

std::u16string_view FileNameOf(std::u16string_view path) {
    const size_t slash = path.rfind(u'\\');
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

std::u16string_view ExtensionOf(std::u16string_view path) {
    const std::u16string_view name = FileNameOf(path);
    const size_t dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos) return {};
    return name.substr(dot + 1);
}

bool IsPhotoName(std::u16string_view path) {
    const std::u16string_view ext = ExtensionOf(path);
    return EqualsNoCase(ext, u"jpg") || EqualsNoCase(ext, u"jpeg");
}

bool IsJpgName(std::u16string_view path) { return EqualsNoCase(ExtensionOf(path), u"jpg"); }
