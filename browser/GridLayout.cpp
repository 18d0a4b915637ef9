#include "browser/GridLayout.h"

#include <algorithm>

namespace {

constexpr GridMetrics LAYOUTS[] = {
    // cols rows  mx  my gapx gapy  w   h
    {3, 3, 5, 3, 5, 3, 66, 77},     // thumbnail
    {4, 4, 3, 12, 3, 5, 51, 51},    // gallery
    {1, 3, 3, 5, 3, 4, 221, 75},    // detail
};

}  // namespace

const GridMetrics& GridMetricsOf(int layout) {
    return LAYOUTS[layout >= GRID_THUMBNAIL && layout <= GRID_DETAIL ? layout : GRID_DETAIL];
}

void GridLayout::SetLayout(int layout) {
    m_layout = layout >= GRID_THUMBNAIL && layout <= GRID_DETAIL ? layout : GRID_DETAIL;
    m_metrics = &GridMetricsOf(m_layout);
    m_columns = m_metrics->initialColumns;
    m_rows = m_metrics->initialRows;
    m_fullRows = m_rows;
}

void GridLayout::Resize(int32_t width, int32_t height) {
    const GridMetrics& m = *m_metrics;
    const int32_t pitchX = m.cellWidth + m.gapX;
    const int32_t pitchY = m.cellHeight + m.gapY;
    m_columns = std::max<int32_t>(1, (width - 2 * m.marginX) / pitchX);
    const int32_t span = height - 2 * m.marginY + m.gapY;
    m_rows = std::max<int32_t>(1, span / pitchY + (span % pitchY > 0 ? 1 : 0));
    // A row is whole when its cell ends inside the client area.
    m_fullRows = std::max<int32_t>(1, (height - m.marginY - m.cellHeight) / pitchY + 1);
    m_fullRows = std::min(m_fullRows, m_rows);
}

int GridLayout::PhotoRows() const { return (m_count + m_columns - 1) / m_columns; }

int GridLayout::LargestTopRow() const { return std::max(0, PhotoRows() - m_fullRows); }

int GridLayout::ClampTop(int top) const { return std::clamp(top, 0, LargestTopRow()); }

Rect GridLayout::CellRect(int r, int c) const {
    const GridMetrics& m = *m_metrics;
    const int32_t left = (m.cellWidth + m.gapX) * c + m.marginX;
    const int32_t top = (m.cellHeight + m.gapY) * r + m.marginY;
    return {left, top, left + m.cellWidth, top + m.cellHeight};
}

int GridLayout::HitTest(int top, Point p) const {
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_columns; ++c) {
            const int index = IndexAt(top, r, c);
            if (index < m_count && CellRect(r, c).Contains(p.x, p.y))
                return index;
        }
    return -1;
}

Rect GridLayout::CellOfIndex(int top, int index) const {
    const int row = index / m_columns - top;
    if (index < 0 || row < 0 || row >= m_rows)
        return {};
    return CellRect(row, index % m_columns);
}

bool GridLayout::IsWhollyVisible(int top, int index) const {
    return index >= top * m_columns && index < (top + m_fullRows) * m_columns;
}

int GridLayout::TopToShow(int top, int index) const {
    if (index < 0 || IsWhollyVisible(top, index))
        return ClampTop(top);
    const int row = index / m_columns;
    return ClampTop(row < top ? row : row - m_fullRows + 1);
}
