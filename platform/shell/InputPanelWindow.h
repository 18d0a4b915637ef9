#pragma once
#include <string>
#include <vector>

#include "platform/window/PaintedWindow.h"

// The on-screen keyboard: five rows of keys that type into the focused
// window. Tapping it never takes the focus, so the control being typed
// into keeps it. Shift holds for one key.
class InputPanelWindow : public PaintedWindow {
public:
    struct Key {
        Rect rect;          // client coordinates
        char16_t ch = 0;    // the character typed, 0 for a special key
        uint32_t vk = 0;    // special keys: VK_BACK, VK_RETURN, VK_SHIFT
        std::u16string label;
    };

    bool Create(const Rect& rect);
    const std::vector<Key>& Keys() const { return m_keys; }
    // The key under a client point, nullptr for none.
    const Key* KeyAt(Point client) const;
    bool IsShifted() const { return m_shift; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Layout();
    void Paint(DeviceContext& dc) override;
    void Press(const Key& key);

    std::vector<Key> m_keys;
    bool m_shift = false;
    const Key* m_pressed = nullptr;
};
