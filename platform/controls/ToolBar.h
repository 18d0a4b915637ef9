#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/ImageStrip.h"
#include "platform/controls/ToolTipBubble.h"
#include "platform/window/Window.h"

// One button of a tool bar: the command it sends and its image in the
// strip. Command 0 is a separator.
struct ToolButton {
    UINT command = 0;
    int image = 0;
};

constexpr int32_t TOOLBAR_BUTTON_WIDTH = 23;
constexpr int32_t TOOLBAR_BUTTON_HEIGHT = 22;
constexpr int32_t TOOLBAR_SEPARATOR_WIDTH = 6;
// The images' transparent colour unless AddButtons is told another.
constexpr COLORREF TOOLBAR_KEY_COLOUR = RGB(255, 0, 255);
// The face the bar and its buttons are drawn on (that of the menu bar).
constexpr COLORREF TOOLBAR_FACE = RGB(214, 214, 214);
constexpr COLORREF TOOLBAR_SHADOW = RGB(128, 128, 128);
constexpr COLORREF TOOLBAR_DARK_SHADOW = RGB(64, 64, 64);
constexpr COLORREF TOOLBAR_HIGHLIGHT = RGB(255, 255, 255);
// A pressed button's face is darker than the bar's.
constexpr COLORREF TOOLBAR_PRESSED_FACE = RGB(190, 190, 190);

// A row of image buttons in the menu bar, left to right, centred in the
// bar's height. A tap (down and up on the same enabled button) sends
// WM_COMMAND(command) to the owner. Holding a button shows its tooltip in a
// bubble just above the bar until the stylus is lifted, and that lift does
// not click. Buttons can be shown pressed (the current mode) and disabled
// (greyed image, taps ignored).
class ToolBar : public Window {
public:
    ToolBar();
    ~ToolBar() override;

    // Adds buttons with images from a strip of imageWidth x imageHeight
    // images side by side; pixels of `keyColour` are transparent. False
    // when the strip is missing or an image index lies outside it.
    bool AddButtons(std::unique_ptr<Bitmap> images, int32_t imageWidth, int32_t imageHeight,
                    const std::vector<ToolButton>& buttons,
                    COLORREF keyColour = TOOLBAR_KEY_COLOUR);
    // Texts for the buttons in order, separators skipped.
    void SetToolTips(std::vector<std::u16string> texts);
    // Who gets WM_COMMAND; the parent when unset.
    void SetOwner(HWND owner) { m_owner = owner; }

    // Each returns false when no button has the command.
    bool PressButton(UINT command, bool pressed);
    bool IsButtonPressed(UINT command) const;
    bool EnableButton(UINT command, bool enabled);
    bool IsButtonEnabled(UINT command) const;
    // Client coordinates; empty when no button has the command.
    Rect ButtonRect(UINT command) const;
    // The tooltip text of a button, empty when it has none.
    std::u16string ToolTipOf(UINT command) const;

    // The tooltip shown while a button is held, or nothing.
    std::optional<std::u16string> ShownToolTip() const;
    const ToolTipBubble& Bubble() const { return m_bubble; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Button {
        UINT command;
        int image;
        Rect rect;
        bool pressed = false;
        bool enabled = true;
        int tip = -1;  // index into m_tips
    };

    void Layout();
    int HitTest(Point client) const;
    Button* Find(UINT command);
    const Button* Find(UINT command) const;
    void Repaint(const Button& button);
    void OnPaint(DeviceContext& dc, const Rect& paint) override;
    void PaintButton(DeviceContext& dc, const Button& button) const;
    void OnDown(Point client);
    void OnMove(Point client);
    void OnUp(Point client);
    void EndTracking();
    void ShowToolTip(const Button& button);

    std::vector<Button> m_buttons;
    std::unique_ptr<ImageStrip> m_images;
    std::unique_ptr<ImageStrip> m_greyed;
    int32_t m_imageWidth = 0;
    int32_t m_imageHeight = 0;
    int32_t m_imageCount = 0;
    std::vector<std::u16string> m_tips;
    HWND m_owner = nullptr;
    int m_tracking = -1;        // the button under a press, or -1
    bool m_trackingInside = false;
    bool m_holding = false;     // the press became a hold: no click
    ToolTipBubble m_bubble;
};
