#pragma once
#include <vector>

#include "platform/gdi/Geometry.h"

// Region complexity, as GDI reports it from clipping calls.
constexpr int REGION_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// A set of pixels kept as disjoint, non-empty rectangles. Clip regions of a
// device context are a handful of rectangles, so plain lists serve.
class Region {
public:
    Region() = default;
    explicit Region(const Rect& rect);

    const std::vector<Rect>& Rects() const { return m_rects; }
    bool IsEmpty() const { return m_rects.empty(); }
    bool Contains(int32_t x, int32_t y) const;
    Rect Bounds() const;
    int Complexity() const;

    void Intersect(const Rect& rect);
    void Intersect(const Region& other);
    void Subtract(const Rect& rect);
    void Union(const Rect& rect);
    void Offset(int32_t dx, int32_t dy);

private:
    std::vector<Rect> m_rects;
};
