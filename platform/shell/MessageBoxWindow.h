#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/MessageBox.h"
#include "platform/window/ModalInput.h"
#include "platform/window/PaintedWindow.h"

// The handheld's message box: a full-screen white page with the caption in
// the top strip, the text word-wrapped below it and a row of buttons (Yes and
// No, or OK). It holds the stylus and the keys while it runs: Enter answers
// with the first button, Escape with the last.
class MessageBoxWindow : public PaintedWindow {
public:
    static constexpr int32_t CAPTION_HEIGHT = 26;
    static constexpr int32_t MARGIN = 8;
    static constexpr int32_t BUTTON_WIDTH = 60;
    static constexpr int32_t BUTTON_HEIGHT = 22;
    static constexpr int32_t BUTTON_GAP = 12;

    MessageBoxWindow(std::u16string_view text, std::u16string_view caption, UINT type);

    // The answers of the buttons, left to right.
    const std::vector<int>& Buttons() const { return m_buttons; }
    // What Escape (and a quit) answer: No or OK.
    int EscapeAnswer() const { return m_buttons.back(); }
    // Shows the box over the whole screen and runs it until answered.
    int Run();
    // Client rectangle of a button (after Run has laid the box out).
    Rect GetButtonRect(size_t index) const;

private:
    void Layout();
    int ButtonAt(Point client) const;
    void OnInput(const MSG& msg);
    void OnStylus(const MSG& msg);
    void Answer(int result);
    void Paint(DeviceContext& dc) override;
    void PaintButton(DeviceContext& dc, size_t index);

    std::u16string m_text;
    std::vector<int> m_buttons;
    Rect m_textRect;
    std::vector<Rect> m_buttonRects;
    int m_pressed = -1;        // the button the stylus went down on
    bool m_pressedShown = false;  // ... and is still over
    bool m_done = false;
    int m_result = 0;
    ReleaseSwallower m_release;
};

// Modal; the answer (IDOK, IDYES, IDNO). Recorded by, and answered through,
// the current ModalResponder when there is one. A quit, the end of input or
// a missing window system answers as Escape does.
int MessageBoxW(HWND owner, std::u16string_view text, std::u16string_view caption, UINT type);
