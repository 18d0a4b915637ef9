#pragma once
#include <memory>
#include <string>

#include "browser/DrawnListCtrl.h"

class CKestrelviewView;

// The list mode's rows: one displayed photo per row, drawn cell by cell
// from its record (location with the card symbol, name, category, size,
// dimensions, date, and the note symbol). Rows hold no text of their own:
// row r shows the r-th displayed record of the view's catalogue.
class CPhotoListCtrl : public CDrawnListCtrl {
public:
    explicit CPhotoListCtrl(CKestrelviewView& view);
    ~CPhotoListCtrl() override;

    void SetSortColumn(int column) { m_sortColumn = column; }
    int GetSortColumn() const override { return m_sortColumn; }

    void DrawCell(DeviceContext& dc, int32_t left, int32_t top, int32_t right, int32_t bottom,
                  int column, int format, CImageItem* record) override;
    CImageItem* RecordAt(int row) override;
    void OnRowSelectionChanged(int row, bool selected) override;
    // Type-ahead looks for the file name whatever the sorted column.
    std::u16string RowText(CImageItem* record, int column) override;
    void OnRowActivated(int row) override;
    void OnContextMenu(CImageItem* record, Point screenPoint) override;

    // The note (0) and storage card (1) symbols, also shown in the header.
    const ImageStrip& Symbols() const { return *m_symbols; }

private:
    CKestrelviewView& m_view;
    int m_sortColumn = 1;
    std::unique_ptr<ImageStrip> m_symbols;
};
