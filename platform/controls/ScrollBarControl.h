#pragma once
#include <cstdint>

#include "platform/controls/ControlMessages.h"
#include "platform/window/Window.h"

// A scroll bar control (SBS_VERT or SBS_HORZ): an arrow at each end, the
// track between them and a thumb sized by the page. The stylus on an arrow
// sends SB_LINEUP / SB_LINEDOWN, on the track SB_PAGEUP / SB_PAGEDOWN
// (repeated while held), dragging the thumb SB_THUMBTRACK with the position
// and SB_THUMBPOSITION on release; every press ends with SB_ENDSCROLL. The
// codes go to the parent as WM_VSCROLL or WM_HSCROLL with lParam = this
// bar. The bar never moves its own position: the parent sets it.
class ScrollBarControl : public Window {
public:
    static constexpr int32_t MIN_THUMB = 8;
    static constexpr uintptr_t REPEAT_TIMER = 1;
    static constexpr uint32_t REPEAT_DELAY_MS = 400;
    static constexpr uint32_t REPEAT_INTERVAL_MS = 100;

    // Applies the fields named by fMask and clamps the position into
    // [min, max - max(page - 1, 0)]; returns the position.
    int SetScrollInfo(const SCROLLINFO& info, bool redraw = true);
    // Fills the fields named by fMask.
    void GetScrollInfo(SCROLLINFO& info) const;
    // Returns the previous position.
    int SetScrollPos(int pos, bool redraw = true);
    int GetScrollPos() const { return m_pos; }
    void SetScrollRange(int min, int max, bool redraw = true);
    bool IsVertical() const { return (GetStyle() & SBS_VERT) != 0; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    enum class Part { None, LineUp, LineDown, PageUp, PageDown, Thumb };
    // Spans along the bar, in pixels from its start.
    struct Layout {
        int32_t arrow = 0;  // length of each arrow box
        int32_t trackStart = 0;
        int32_t trackEnd = 0;
        int32_t thumbStart = 0;
        int32_t thumbEnd = 0;  // equal to thumbStart when there is no thumb
    };

    int MaxPos() const;
    int Clamp(int pos) const;
    Layout ComputeLayout(int pos) const;
    int PosFromThumbStart(const Layout& layout, int32_t thumbStart) const;
    int32_t Along(Point p) const { return IsVertical() ? p.y : p.x; }
    int32_t Length() const;
    Rect SpanRect(int32_t start, int32_t end) const;
    Part HitTest(Point client) const;
    void Changed(bool redraw);

    void Paint();
    void PaintArrow(DeviceContext& dc, const Rect& box, bool first, bool pressed);
    void OnStylusDown(Point p);
    void OnStylusMove(Point p);
    void OnStylusUp();
    void OnRepeat();
    void Notify(uint16_t code, int pos = 0);
    uint16_t CodeFor(Part part) const;

    int m_min = 0;
    int m_max = 0;
    UINT m_page = 0;
    int m_pos = 0;
    int m_trackPos = 0;
    Part m_pressed = Part::None;
    Point m_stylus;  // last stylus point of the press
    int32_t m_grabOffset = 0;  // stylus minus thumb start when the thumb was taken
    int32_t m_dragThumbStart = 0;  // where the dragged thumb is drawn
};

// Registers WC_SCROLLBAR.
void RegisterScrollBarClass();
