#include "platform/window/WindowClass.h"

#include <map>
#include <string>

#include "platform/base/Text.h"

namespace {

struct WindowClass {
    uint32_t style = 0;
    WindowFactory factory;
};

struct NoCaseLess {
    bool operator()(const std::u16string& a, const std::u16string& b) const {
        return CompareNoCase(a, b) < 0;
    }
};

std::map<std::u16string, WindowClass, NoCaseLess>& Classes() {
    static std::map<std::u16string, WindowClass, NoCaseLess> classes;
    return classes;
}

const WindowClass* Find(std::u16string_view name) {
    auto it = Classes().find(std::u16string(name));
    return it == Classes().end() ? nullptr : &it->second;
}

}  // namespace

bool RegisterWindowClass(std::u16string_view name, uint32_t classStyle, WindowFactory factory) {
    if (name.empty() || !factory)
        return false;
    Classes()[std::u16string(name)] = {classStyle, std::move(factory)};
    return true;
}

bool IsWindowClassRegistered(std::u16string_view name) { return Find(name) != nullptr; }

uint32_t GetWindowClassStyle(std::u16string_view name) {
    const WindowClass* found = Find(name);
    return found ? found->style : 0;
}

std::unique_ptr<Window> CreateWindowOfClass(std::u16string_view name, HWND parent, const Rect& rect,
                                            int id, std::u16string_view title, uint32_t style) {
    const WindowClass* found = Find(name);
    if (!found)
        return nullptr;
    std::unique_ptr<Window> window = found->factory();
    if (!window || !window->Create(parent, rect, id, title, style, found->style))
        return nullptr;
    return window;
}
