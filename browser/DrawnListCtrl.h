#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/controls/ListViewControl.h"

class CImageItem;
class DeviceContext;
class ImageStrip;

// The base of the photo list: a report list whose rows show records. It
// paints each row (background by selection, the sorted column shaded, the
// focus rectangle) and hands every cell to the derived class, and adds
// what a handheld needs: type-ahead in the sorted column, paging with the
// rocker while nothing is selected, Enter to open the selected row, and
// tap-and-hold for a row's popup menu. What a row shows and what opening
// it does belong to the derived class.
class CDrawnListCtrl : public ListViewControl {
public:
    // Background of the sorted column on rows that are not selected.
    static constexpr COLORREF SORTED_COLUMN_SHADE = RGB(0xF6, 0xF6, 0xF6);

    // The operations a derived class provides, in their slot order.
    //
    // The column id (the header item's parameter) the rows are sorted by.
    virtual int GetSortColumn() const;
    // Draws one cell: `column` is the column's id, `format` its header
    // format (HDF_*).
    virtual void DrawCell(DeviceContext& dc, int32_t left, int32_t top, int32_t right,
                          int32_t bottom, int column, int format, CImageItem* record);
    // The record of a row, nullptr for none.
    virtual CImageItem* RecordAt(int row);
    virtual void OnRowSelectionChanged(int row, bool selected);
    // Whether the row is drawn as selected; `itemState` holds ODS_* bits.
    virtual bool IsRowSelected(UINT itemState, CImageItem* record);
    // The text type-ahead compares for a row.
    virtual std::u16string RowText(CImageItem* record, int column);
    // Opens the row's record.
    virtual void OnRowActivated(int row);
    // The row's popup menu at a screen point.
    virtual void OnContextMenu(CImageItem* record, Point screenPoint);
    virtual void OnBeginDrag(const NMLISTVIEW& notification);

    // For DrawCell: text on one line in (left + 3, top, right - 3, bottom),
    // aligned by the header format and cut with "..." when too wide.
    static void DrawCellText(DeviceContext& dc, int32_t left, int32_t top, int32_t right,
                             int32_t bottom, std::u16string_view text, int format);
    // For DrawCell: image `index` of `images`, transparent, at (left + 3, top + 1).
    static void DrawCellImage(DeviceContext& dc, int32_t left, int32_t top,
                              const ImageStrip& images, int index);

    // Forgets what was typed (shared by every list).
    static void ResetTypeAhead();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void DrawItem(const DRAWITEMSTRUCT& draw) override;
    bool ReflectNotify(NMHDR& header, LRESULT& result) override;

private:
    void DrawRow(DeviceContext& dc, int row, const Rect& rect, UINT itemState);
    void DrawCells(DeviceContext& dc, const Rect& rect, CImageItem* record, bool selected);
    bool TypeAhead(char16_t ch);
    LRESULT OnKeyDown(UINT key);
    void OnEnterReleased();
    void OnGesture(const NMRGINFO& info);
};
