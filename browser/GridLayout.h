#pragma once
#include <cstdint>

#include "platform/gdi/Geometry.h"

// The three arrangements of the photo grid.
enum GridLayoutKind : int {
    GRID_THUMBNAIL = 0,  // 3 columns, file name under each picture
    GRID_GALLERY = 1,    // 4 columns of bare pictures
    GRID_DETAIL = 2,     // one column of wide cells with the photo's facts
};

// Cell metrics of one layout, in pixels.
struct GridMetrics {
    int32_t initialColumns;
    int32_t initialRows;
    int32_t marginX;
    int32_t marginY;
    int32_t gapX;
    int32_t gapY;
    int32_t cellWidth;
    int32_t cellHeight;
};

const GridMetrics& GridMetricsOf(int layout);

// Where the cells of a layout fall in a client area, and the row arithmetic
// of scrolling. Rows are counted two ways: `rows` includes a partly visible
// last row (it is painted), `fullRows` only rows shown whole. Scrolling
// works with whole rows, so that every photo can be brought wholly into view:
// the largest top row leaves the last row of photos as the last whole row.
class GridLayout {
public:
    GridLayout() { SetLayout(GRID_THUMBNAIL); }

    void SetLayout(int layout);
    // Columns and rows for a client area of width x height.
    void Resize(int32_t width, int32_t height);
    void SetCount(int count) { m_count = count < 0 ? 0 : count; }

    int Layout() const { return m_layout; }
    const GridMetrics& Metrics() const { return *m_metrics; }
    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    int FullRows() const { return m_fullRows; }
    int Count() const { return m_count; }

    // Rows holding photos, and the top row that shows the last of them as
    // the last whole row (0 when they all fit).
    int PhotoRows() const;
    int LargestTopRow() const;
    int ClampTop(int top) const;

    // The cell of visible row r, column c (client coordinates).
    Rect CellRect(int r, int c) const;
    // The photo index shown in visible row r, column c under `top`.
    int IndexAt(int top, int r, int c) const { return (top + r) * m_columns + c; }
    // The photo under a client point, or -1.
    int HitTest(int top, Point p) const;
    // The cell of a photo when it is on screen under `top` (may be partly
    // visible); an empty rectangle otherwise.
    Rect CellOfIndex(int top, int index) const;
    // Shown whole under `top`.
    bool IsWhollyVisible(int top, int index) const;
    // The top row that brings the photo wholly into view, moving as little
    // as possible.
    int TopToShow(int top, int index) const;

private:
    int m_layout = GRID_THUMBNAIL;
    const GridMetrics* m_metrics = nullptr;
    int m_columns = 1;
    int m_rows = 1;
    int m_fullRows = 1;
    int m_count = 0;
};
