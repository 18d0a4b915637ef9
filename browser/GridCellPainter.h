#pragma once
#include <cstdint>
#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Geometry.h"

class CCategoryDB;
class CFolderList;
class CImageItem;
class DeviceContext;
class Font;

// What a cell shows besides the photo's own record.
struct GridCellContext {
    const Font* font = nullptr;
    int32_t lineHeight = 13;  // one text line of the captions and detail lines
    const CCategoryDB* categories = nullptr;
    const CFolderList* locations = nullptr;
};

// Draws one cell of the grid into a cell-sized bitmap at (0, 0): white,
// the thumbnail (or the placeholder when there is none yet), the caption or
// the detail lines, and the selection frame.
class GridCellPainter {
public:
    static constexpr int32_t SELECTION_PEN = 3;

    void Paint(DeviceContext& dc, int layout, Size cell, CImageItem& record,
               const Bitmap* thumbnail, bool selected, const GridCellContext& context) const;

    // The rectangle where the picture goes, in a cell at (0, 0).
    static Rect ThumbnailRect(int layout, Size cell, int32_t lineHeight);
    // The detail layout's location and category lines (tapping them opens
    // their pop-ups), in a cell at (0, 0).
    static Rect LocationLine(Size cell, int32_t lineHeight);
    static Rect CategoryLine(Size cell, int32_t lineHeight);
    // The display name of the location holding the photo.
    static std::u16string LocationName(const CImageItem& record, const CFolderList* locations);

private:
    void PaintPicture(DeviceContext& dc, const Rect& rect, const Bitmap* thumbnail,
                      bool small) const;
    void PaintCaption(DeviceContext& dc, Size cell, CImageItem& record,
                      const GridCellContext& context) const;
    void PaintDetail(DeviceContext& dc, Size cell, CImageItem& record,
                     const GridCellContext& context) const;
    int32_t PaintNoteOrDate(DeviceContext& dc, const Rect& block, CImageItem& record,
                            const GridCellContext& context) const;
    void PaintSelection(DeviceContext& dc, Size cell) const;
};

// Draws the picture fitted into the rectangle, centred, aspect kept.
void DrawFittedPicture(DeviceContext& dc, const Rect& rect, const Bitmap& picture);
