#pragma once
#include <vector>

#include "platform/gdi/Colour.h"

class DeviceContext;

// Base of everything a device context can select. An object remembers the
// contexts it is selected into, so that destroying it while selected puts
// the stock default back in those contexts instead of leaving them with a
// dangling pointer.
class GdiObject {
public:
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

protected:
    GdiObject() = default;
    virtual ~GdiObject();

private:
    friend class DeviceContext;
    mutable std::vector<DeviceContext*> m_selectedIn;
};

constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;

// A pen. Wide solid pens are centred on the outline of the figure. Styles
// other than PS_NULL draw solid.
class Pen : public GdiObject {
public:
    Pen(int style, int width, COLORREF colour)
        : m_style(style), m_width(width < 1 ? 1 : width), m_colour(colour) {}

    int Style() const { return m_style; }
    int Width() const { return m_width; }
    COLORREF Colour() const { return m_colour; }
    bool IsNull() const { return m_style == PS_NULL; }

private:
    int m_style;
    int m_width;
    COLORREF m_colour;
};

constexpr int BS_SOLID = 0;
constexpr int BS_NULL = 1;
constexpr int BS_HOLLOW = BS_NULL;

class Brush : public GdiObject {
public:
    explicit Brush(COLORREF colour) : m_style(BS_SOLID), m_colour(colour) {}
    // BS_SOLID or BS_NULL (the hollow brush, which fills nothing).
    Brush(int style, COLORREF colour) : m_style(style), m_colour(colour) {}

    int Style() const { return m_style; }
    COLORREF Colour() const { return m_colour; }
    bool IsNull() const { return m_style == BS_NULL; }

private:
    int m_style;
    COLORREF m_colour;
};

// Stock object numbers.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;

// Stock objects live for the whole process; nullptr for other numbers.
const Brush* GetStockBrush(int object);
const Pen* GetStockPen(int object);
