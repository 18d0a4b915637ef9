#pragma once
#include <cstdint>
#include <vector>

#include "platform/controls/ListViewTypes.h"
#include "platform/fonts/SystemFont.h"
#include "platform/window/Window.h"

class DeviceContext;
class ImageStrip;

// The row of column titles above a report list: items left to right, each
// with a text, a width, a format, a parameter and an image of the image
// list. A tap on an item sends HDN_ITEMCLICK to the parent; pressing on the
// right edge of an item asks HDN_BEGINTRACK (a non-zero answer refuses) and
// then follows the stylus, resizing the item live (HDN_ITEMCHANGED each
// step, HDN_ENDTRACK on release).
class HeaderControl : public Window {
public:
    static constexpr int32_t HEIGHT = UI_FONT_HEIGHT + 6;
    // How far from an item's right edge a press still grabs it.
    static constexpr int32_t DIVIDER_REACH = 3;

    int GetItemCount() const { return int(m_items.size()); }
    // Inserts before `index` (past the end = at the end). Fields not named
    // by the mask take their defaults. Returns the new index or -1.
    int InsertItem(int index, const HDITEM& item);
    bool DeleteItem(int index);
    // Fills the fields named by item.mask.
    bool GetItem(int index, HDITEM& item) const;
    // Sets the fields named by item.mask and sends HDN_ITEMCHANGED.
    bool SetItem(int index, const HDITEM& item);
    // In the header's client coordinates.
    bool GetItemRect(int index, Rect& rect) const;
    int32_t TotalWidth() const;
    // Not owned; returns the previous one.
    const ImageStrip* SetImageList(const ImageStrip* images);
    const ImageStrip* GetImageList() const { return m_images; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    enum class Press { None, Item, Divider };

    void Paint();
    void PaintItem(DeviceContext& dc, const HDITEM& item, const Rect& rect, bool pressed) const;
    int ItemAt(int32_t x) const;
    int DividerAt(int32_t x) const;
    void OnStylusDown(Point p);
    void OnStylusMove(Point p);
    void OnStylusUp(Point p);
    void EndPress();
    LRESULT Notify(int code, int index);
    LRESULT HandleItemMessage(UINT message, WPARAM wParam, LPARAM lParam);

    std::vector<HDITEM> m_items;
    const ImageStrip* m_images = nullptr;
    Press m_press = Press::None;
    int m_pressItem = -1;
    int32_t m_pressX = 0;
    int m_pressWidth = 0;
    bool m_redraw = true;
};
