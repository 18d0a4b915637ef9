#include "platform/shell/InputPanelWindow.h"

#include <cwctype>

#include "platform/fonts/DrawText.h"
#include "platform/fonts/SystemFont.h"
#include "platform/window/WindowManager.h"

namespace {

constexpr int ROWS = 5;
constexpr int UNITS = 10;  // key widths per row

// One row: characters, or a special key written as {label, vk, width}.
struct KeyLayout {
    std::u16string_view label;
    uint32_t vk;
    int units;
};

const std::vector<std::vector<KeyLayout>>& RowLayouts() {
    static const std::vector<std::vector<KeyLayout>> rows = {
        {{u"1", 0, 1}, {u"2", 0, 1}, {u"3", 0, 1}, {u"4", 0, 1}, {u"5", 0, 1},
         {u"6", 0, 1}, {u"7", 0, 1}, {u"8", 0, 1}, {u"9", 0, 1}, {u"0", 0, 1}},
        {{u"q", 0, 1}, {u"w", 0, 1}, {u"e", 0, 1}, {u"r", 0, 1}, {u"t", 0, 1},
         {u"y", 0, 1}, {u"u", 0, 1}, {u"i", 0, 1}, {u"o", 0, 1}, {u"p", 0, 1}},
        {{u"a", 0, 1}, {u"s", 0, 1}, {u"d", 0, 1}, {u"f", 0, 1}, {u"g", 0, 1},
         {u"h", 0, 1}, {u"j", 0, 1}, {u"k", 0, 1}, {u"l", 0, 1}, {u"\u2190", VK_BACK, 1}},
        {{u"\u21e7", VK_SHIFT, 1}, {u"z", 0, 1}, {u"x", 0, 1}, {u"c", 0, 1}, {u"v", 0, 1},
         {u"b", 0, 1}, {u"n", 0, 1}, {u"m", 0, 1}, {u".", 0, 1}, {u"\u21b5", VK_RETURN, 1}},
        {{u",", 0, 1}, {u"-", 0, 1}, {u"'", 0, 1}, {u" ", 0, 5}, {u"/", 0, 1}, {u"@", 0, 1}},
    };
    return rows;
}

constexpr COLORREF KEY_FACE = RGB(236, 236, 236);
constexpr COLORREF KEY_EDGE = RGB(128, 128, 128);
constexpr COLORREF PANEL_BACK = RGB(200, 200, 200);
constexpr COLORREF KEY_DOWN = RGB(0, 0, 132);

}  // namespace

bool InputPanelWindow::Create(const Rect& rect) {
    if (!Window::Create(nullptr, rect, 0, u"", 0))
        return false;
    Layout();
    return true;
}

void InputPanelWindow::Layout() {
    m_keys.clear();
    const Rect client = GetClientRect();
    const int32_t rowHeight = client.Height() / ROWS;
    const int32_t unit = client.Width() / UNITS;
    int32_t y = 0;
    for (const auto& row : RowLayouts()) {
        int32_t x = (client.Width() - unit * UNITS) / 2;
        for (const KeyLayout& layout : row) {
            Key key;
            key.rect = {x, y, x + unit * layout.units, y + rowHeight};
            key.vk = layout.vk;
            key.ch = layout.vk ? 0 : layout.label[0];
            key.label = layout.label;
            m_keys.push_back(key);
            x += unit * layout.units;
        }
        y += rowHeight;
    }
}

const InputPanelWindow::Key* InputPanelWindow::KeyAt(Point client) const {
    for (const Key& key : m_keys)
        if (key.rect.Contains(client.x, client.y))
            return &key;
    return nullptr;
}

void InputPanelWindow::Press(const Key& key) {
    WindowManager* manager = WindowManager::Current();
    if (!manager)
        return;
    if (key.vk == VK_SHIFT) {
        m_shift = !m_shift;
        InvalidateRect(this, nullptr, false);
        return;
    }
    if (key.vk) {
        manager->InjectInput({InputKind::KeyDown, {}, key.vk, 0});
        manager->InjectInput({InputKind::KeyUp, {}, key.vk, 0});
        return;
    }
    char16_t ch = key.ch;
    if (m_shift && ch >= u'a' && ch <= u'z')
        ch = char16_t(ch - u'a' + u'A');
    manager->InjectInput({InputKind::Char, {}, 0, ch});
    if (m_shift) {
        m_shift = false;
        InvalidateRect(this, nullptr, false);
    }
}

void InputPanelWindow::Paint(DeviceContext& dc) {
    dc.FillSolidRect(GetClientRect(), PANEL_BACK);
    const Font* font = GetUiFont(UiFont::Normal);
    dc.SetBkMode(TRANSPARENT);
    for (const Key& key : m_keys) {
        const Rect face{key.rect.left + 1, key.rect.top + 1, key.rect.right - 1, key.rect.bottom - 1};
        const bool lit = &key == m_pressed || (key.vk == VK_SHIFT && m_shift);
        dc.FillSolidRect(face, KEY_EDGE);
        dc.FillSolidRect({face.left, face.top, face.right - 1, face.bottom - 1},
                          lit ? KEY_DOWN : KEY_FACE);
        if (!font)
            continue;
        std::u16string label = key.label;
        if (m_shift && !key.vk && label[0] >= u'a' && label[0] <= u'z')
            label[0] = char16_t(label[0] - u'a' + u'A');
        dc.SetTextColor(lit ? RGB(255, 255, 255) : RGB(0, 0, 0));
        Rect text = face;
        DrawText(dc, *font, label, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

LRESULT InputPanelWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        m_pressed = KeyAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        SetCapture(this);
        InvalidateRect(this, nullptr, false);
        return 0;
    case WM_LBUTTONUP: {
        ReleaseCapture();
        const Key* released = KeyAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        const Key* pressed = m_pressed;
        m_pressed = nullptr;
        InvalidateRect(this, nullptr, false);
        if (pressed && pressed == released)
            Press(*pressed);
        return 0;
    }
    default:
        break;
    }
    return PaintedWindow::WindowProc(message, wParam, lParam);
}
