#pragma once
#include "platform/window/Window.h"

class DeviceContext;

// The two bands a full-screen dialog puts over the task bar and the menu
// bar: the title strip (the dialog's caption, and an "ok" button at its
// right end) and the command strip (a "Cancel" button at its left end).
// A tap on the button sends WM_COMMAND(MAKEWPARAM(IDOK or IDCANCEL,
// BN_CLICKED), 0) to the dialog. The strips never take the focus, so the
// keyboard stays with the dialog's controls.
class DialogStrip : public Window {
public:
    enum class Kind { Title, Command };

    DialogStrip(Window& dialog, Kind kind) : m_dialog(dialog), m_kind(kind) {}
    // Creates the strip at its place on the screen, shown.
    bool Create();
    // The button's rectangle in the strip.
    Rect ButtonRect() const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SetPressed(bool pressed);
    void OnPaint(DeviceContext& dc, const Rect& paint) override;
    void PaintTitle(DeviceContext& dc);
    void PaintCommand(DeviceContext& dc);

    Window& m_dialog;
    Kind m_kind;
    bool m_tracking = false;
    bool m_pressed = false;
};

constexpr int32_t DIALOG_STRIP_HEIGHT = 26;
