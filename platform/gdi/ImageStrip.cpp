#include "platform/gdi/ImageStrip.h"

ImageStrip::ImageStrip(std::unique_ptr<Bitmap> strip, int32_t cellWidth, int32_t cellHeight,
                       int32_t gap, int32_t perColumn, COLORREF keyColour)
    : m_strip(std::move(strip)),
      m_cellWidth(cellWidth),
      m_cellHeight(cellHeight),
      m_gap(gap),
      m_perColumn(perColumn < 1 ? 1 : perColumn),
      m_key(keyColour) {}

Rect ImageStrip::CellRect(int32_t index) const {
    const int32_t left = (m_cellWidth + m_gap) * (index / m_perColumn) + m_gap;
    const int32_t top = (m_cellHeight + m_gap) * (index % m_perColumn) + m_gap;
    return {left, top, left + m_cellWidth, top + m_cellHeight};
}

// The mask technique: a monochrome mask marks the key-coloured pixels; the
// destination area, copied aside, keeps only those pixels (AND with the
// mask), gets the image with its key pixels made black (OR), and is copied
// back in one piece.
bool ImageStrip::Draw(DeviceContext& dc, int32_t index, int32_t x, int32_t y) const {
    if (!m_strip || index < 0 || m_cellWidth <= 0 || m_cellHeight <= 0) return false;
    const Rect cell = CellRect(index);
    const int32_t w = m_cellWidth, h = m_cellHeight;
    auto mask = Bitmap::Create(w, h, 1);
    auto image = Bitmap::Create(w, h, 32);
    auto aside = Bitmap::Create(w, h, 32);
    if (!mask || !image || !aside) return false;

    DeviceContext stripDc, maskDc, imageDc, asideDc;
    stripDc.SelectObject(m_strip.get());
    maskDc.SelectObject(mask.get());
    imageDc.SelectObject(image.get());
    asideDc.SelectObject(aside.get());

    stripDc.SetBkColor(m_key);
    maskDc.BitBlt(0, 0, w, h, &stripDc, cell.left, cell.top, SRCCOPY);

    imageDc.BitBlt(0, 0, w, h, &stripDc, cell.left, cell.top, SRCCOPY);
    imageDc.SetBkColor(RGB(0, 0, 0));
    imageDc.SetTextColor(RGB(255, 255, 255));
    imageDc.BitBlt(0, 0, w, h, &maskDc, 0, 0, SRCAND);

    asideDc.BitBlt(0, 0, w, h, &dc, x, y, SRCCOPY);
    asideDc.SetBkColor(RGB(255, 255, 255));
    asideDc.SetTextColor(RGB(0, 0, 0));
    asideDc.BitBlt(0, 0, w, h, &maskDc, 0, 0, SRCAND);
    asideDc.BitBlt(0, 0, w, h, &imageDc, 0, 0, SRCPAINT);

    return dc.BitBlt(x, y, w, h, &asideDc, 0, 0, SRCCOPY);
}
