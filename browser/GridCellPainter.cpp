#include "browser/GridCellPainter.h"

#include <algorithm>

#include "browser/BrowserPictures.h"
#include "browser/GridLayout.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/FolderList.h"
#include "catalogue/ImageItem.h"
#include "imaging/RenderGeometry.h"
#include "imaging/ResampleJob.h"
#include "platform/fonts/DrawText.h"
#include "platform/fonts/Font.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiHelpers.h"
#include "platform/gdi/GdiObjects.h"

namespace {

constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF BLACK = RGB(0, 0, 0);
// The detail cell: the picture's column and where the name goes under it.
constexpr int32_t DETAIL_TEXT_LEFT = 59;
constexpr int32_t DETAIL_NAME_TOP = 58;
constexpr int32_t DETAIL_NARROW_NAME = 51;
constexpr int32_t MARK_WIDTH = 14;
constexpr int32_t MARK_TEXT_OFFSET = 17;

void DrawLine(DeviceContext& dc, const Font& font, std::u16string_view text, Rect rect,
              uint32_t align) {
    if (rect.IsEmpty())
        return;
    const std::u16string cut = CutWithEllipsis(font, text, rect.Width());
    DrawText(dc, font, cut, rect, align | DT_SINGLELINE | DT_NOPREFIX);
}

// A number right-aligned at the line's end gets at least its own width, so
// that it is never cut; the text before it gives way and ends 4 pixels
// before it. Returns where the text before it must end.
int32_t DrawRightNumber(DeviceContext& dc, const Font& font, std::u16string_view number,
                        Rect place, int32_t lineLeft) {
    const int32_t width = font.MeasureWidth(number);
    place.left = std::max(lineLeft, std::min(place.left, place.right - width));
    DrawLine(dc, font, number, place, DT_RIGHT);
    return place.left - 4;
}

}  // namespace

void DrawFittedPicture(DeviceContext& dc, const Rect& rect, const Bitmap& picture) {
    if (rect.IsEmpty() || picture.IsMono() || picture.Width() <= 0 || picture.Height() <= 0)
        return;
    const Rect fit = FitRect(rect, uint32_t(picture.Width()), uint32_t(picture.Height()));
    DeviceContext memory;
    if (fit.Width() == picture.Width() && fit.Height() == picture.Height()) {
        memory.SelectObject(const_cast<Bitmap*>(&picture));
        dc.BitBlt(fit.left, fit.top, fit.Width(), fit.Height(), &memory, 0, 0, SRCCOPY);
        return;
    }
    auto fitted = CreateImageBitmap(&dc, fit.Width(), fit.Height(), 32);
    if (!fitted)
        return;
    ResampleJob job;
    job.sourceBits = picture.Row(0);
    job.sourceStride = picture.Stride();
    job.sourceWidth = uint16_t(picture.Width());
    job.sourceHeight = uint16_t(picture.Height());
    job.destBits = fitted->Row(0);
    job.destStride = fitted->Stride();
    job.destWidth = uint16_t(fitted->Width());
    job.destHeight = uint16_t(fitted->Height());
    if (job.Run() != 0)
        return;
    memory.SelectObject(fitted.get());
    dc.BitBlt(fit.left, fit.top, fit.Width(), fit.Height(), &memory, 0, 0, SRCCOPY);
}

Rect GridCellPainter::ThumbnailRect(int layout, Size cell, int32_t lineHeight) {
    switch (layout) {
    case GRID_THUMBNAIL: return {4, 4, cell.cx - 4, cell.cy - 4 - (lineHeight + 6)};
    case GRID_GALLERY: return {4, 4, cell.cx - 4, cell.cy - 4};
    default: return {4, 4, 55, 55};
    }
}

Rect GridCellPainter::LocationLine(Size cell, int32_t h) {
    return {DETAIL_TEXT_LEFT, 4, cell.cx - 68, 4 + h};
}

Rect GridCellPainter::CategoryLine(Size cell, int32_t h) {
    return {DETAIL_TEXT_LEFT, h + 4, cell.cx - 38, 2 * h + 4};
}

std::u16string GridCellPainter::LocationName(const CImageItem& record, const CFolderList* locations) {
    if (!locations)
        return {};
    // The longest matching path wins, so a card's folder is not taken for a shorter one.
    const CFolderItem* best = nullptr;
    for (const auto& item : locations->GetItems())
        if (record.IsUnder(item->GetPath()) &&
            (!best || item->GetPath().size() > best->GetPath().size()))
            best = item.get();
    return best ? best->GetName() : std::u16string();
}

void GridCellPainter::Paint(DeviceContext& dc, int layout, Size cell, CImageItem& record,
                            const Bitmap* thumbnail, bool selected,
                            const GridCellContext& context) const {
    dc.FillSolidRect({0, 0, cell.cx, cell.cy}, WHITE);
    const Rect picture = ThumbnailRect(layout, cell, context.lineHeight);
    PaintPicture(dc, picture, thumbnail, layout == GRID_GALLERY);
    if (context.font) {
        const COLORREF text = dc.SetTextColor(BLACK);
        const int mode = dc.SetBkMode(TRANSPARENT);
        if (layout == GRID_THUMBNAIL)
            PaintCaption(dc, cell, record, context);
        else if (layout == GRID_DETAIL)
            PaintDetail(dc, cell, record, context);
        dc.SetBkMode(mode);
        dc.SetTextColor(text);
    }
    if (selected)
        PaintSelection(dc, cell);
}

void GridCellPainter::PaintPicture(DeviceContext& dc, const Rect& rect, const Bitmap* thumbnail,
                                   bool small) const {
    if (thumbnail) {
        DrawFittedPicture(dc, rect, *thumbnail);
        return;
    }
    DrawBitmapInRect(dc, rect, PlaceholderPicture(small), true);
}

void GridCellPainter::PaintCaption(DeviceContext& dc, Size cell, CImageItem& record,
                                   const GridCellContext& context) const {
    const Rect caption{0, cell.cy - context.lineHeight - 3, cell.cx, cell.cy};
    DrawLine(dc, *context.font, record.FileName(), caption, DT_CENTER);
}

// The lines of a detail cell, L T R B being the cell and H the line height:
// location and dimensions at T + 4, category and size at T + H + 4, then
// the note (or date and time) down to B - 4, and the name from T + 58.
// With H at most 13 the date and time end by T + 4H + 4 <= T + 56, above
// the name.
void GridCellPainter::PaintDetail(DeviceContext& dc, Size cell, CImageItem& record,
                                  const GridCellContext& context) const {
    const Font& font = *context.font;
    const int32_t h = context.lineHeight;
    Rect location = LocationLine(cell, h);
    Rect category = CategoryLine(cell, h);
    DrawBitmapInRect(dc, {location.left, location.top, location.left + MARK_WIDTH, location.bottom},
                     DropDownMark(), false);
    DrawBitmapInRect(dc, {category.left, category.top, category.left + MARK_WIDTH, category.bottom},
                     DropDownMark(), false);
    location.left += MARK_TEXT_OFFSET;
    category.left += MARK_TEXT_OFFSET;
    location.right = std::min(location.right, DrawRightNumber(dc, font, record.DimensionsText(),
                                                              {cell.cx - 64, 4, cell.cx - 4, 4 + h},
                                                              location.left));
    category.right = std::min(category.right, DrawRightNumber(dc, font, record.SizeText(),
                                                              {cell.cx - 34, h + 4, cell.cx - 4, 2 * h + 4},
                                                              category.left));
    DrawLine(dc, font, LocationName(record, context.locations), location, DT_LEFT);
    const std::u16string categoryName =
        context.categories ? record.GetCategoryName(*context.categories) : u"Unfiled";
    DrawLine(dc, font, categoryName, category, DT_LEFT);

    const Rect block{DETAIL_TEXT_LEFT, 2 * h + 4, cell.cx - 4, cell.cy - 4};
    const int32_t blockBottom = PaintNoteOrDate(dc, block, record, context);
    const int32_t nameRight = blockBottom >= DETAIL_NAME_TOP ? 4 + DETAIL_NARROW_NAME : cell.cx;
    DrawLine(dc, font, record.FileName(), {4, DETAIL_NAME_TOP, nameRight, cell.cy}, DT_LEFT);
}

// Returns how far down the drawn text reaches.
int32_t GridCellPainter::PaintNoteOrDate(DeviceContext& dc, const Rect& block, CImageItem& record,
                                         const GridCellContext& context) const {
    const Font& font = *context.font;
    const int32_t h = context.lineHeight;
    if (record.HasNote()) {
        // Whole lines only: a line that does not fit is left out, not cut.
        Rect measure = block;
        DrawText(dc, font, record.GetNote(), measure, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
        const int32_t lines = std::max<int32_t>(0, block.Height() / h);
        const int32_t height = std::min(measure.Height(), lines * h);
        Rect note{block.left, block.top, block.right, block.top + height};
        DrawText(dc, font, record.GetNote(), note, DT_WORDBREAK | DT_NOPREFIX);
        return note.bottom;
    }
    DrawLine(dc, font, record.DateText(), {block.left, block.top, block.right, block.top + h}, DT_RIGHT);
    DrawLine(dc, font, record.TimeText(), {block.left, block.top + h, block.right, block.top + 2 * h},
             DT_RIGHT);
    return block.top + 2 * h;
}

// The 3-pixel pen is centred on the outline of the cell inset by 1, so the
// frame covers pixels 0 to 2 from each edge.
void GridCellPainter::PaintSelection(DeviceContext& dc, Size cell) const {
    const Pen pen(PS_SOLID, SELECTION_PEN, GetSysColor(COLOR_BTNSHADOW));
    const Pen* oldPen = dc.SelectObject(&pen);
    const Brush* oldBrush = dc.SelectObject(GetStockBrush(NULL_BRUSH));
    dc.Rectangle(1, 1, cell.cx - 1, cell.cy - 1);
    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);
}
