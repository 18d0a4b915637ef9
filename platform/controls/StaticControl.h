#pragma once
#include <memory>

#include "platform/gdi/Bitmap.h"
#include "platform/window/Window.h"

class Font;

// Static text (SS_LEFT, SS_CENTER, SS_RIGHT; word-wrapped, '&' marks a
// mnemonic unless SS_NOPREFIX) or an icon (SS_ICON: the bitmap given to
// SetIcon, drawn at the top-left corner). A hidden static keeps its
// rectangle, so dialogs use one to mark an area they paint themselves.
// Answers WM_SETTEXT (repaints) and WM_SETFONT.
class StaticControl : public Window {
public:
    void SetIcon(std::unique_ptr<Bitmap> icon);
    const Bitmap* GetIcon() const { return m_icon.get(); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint(DeviceContext& dc, const Rect& paint) override;

    std::unique_ptr<Bitmap> m_icon;
    const Font* m_font = nullptr;
};

// Registers WC_STATIC.
void RegisterStaticClass();
