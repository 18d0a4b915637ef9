#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/window/Window.h"

// Window classes by name: a class style (redraw on resize, double taps) and
// a factory for the window object. Dialog templates and callers that only
// know a class name ("BUTTON", "FlatComboBox") create windows through it.
using WindowFactory = std::function<std::unique_ptr<Window>()>;

// Registering a name again replaces it. Names compare without regard to case.
// False for an empty name or no factory.
bool RegisterWindowClass(std::u16string_view name, uint32_t classStyle, WindowFactory factory);
bool IsWindowClassRegistered(std::u16string_view name);
// The class style of a registered name, 0 otherwise.
uint32_t GetWindowClassStyle(std::u16string_view name);

// Makes a window of a registered class and creates it (class style
// applied); nullptr when the class is unknown or creation fails. The caller
// owns the object.
std::unique_ptr<Window> CreateWindowOfClass(std::u16string_view name, HWND parent, const Rect& rect,
                                            int id, std::u16string_view title, uint32_t style);
