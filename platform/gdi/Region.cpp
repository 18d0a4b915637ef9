#include "platform/gdi/Region.h"

namespace {

// Appends the parts of `rect` outside `hole` (at most four bands).
void AppendDifference(const Rect& rect, const Rect& hole, std::vector<Rect>& out) {
    const Rect common = rect.Intersect(hole);
    if (common.IsEmpty()) {
        out.push_back(rect);
        return;
    }
    if (rect.top < common.top) out.push_back({rect.left, rect.top, rect.right, common.top});
    if (common.bottom < rect.bottom)
        out.push_back({rect.left, common.bottom, rect.right, rect.bottom});
    if (rect.left < common.left)
        out.push_back({rect.left, common.top, common.left, common.bottom});
    if (common.right < rect.right)
        out.push_back({common.right, common.top, rect.right, common.bottom});
}

}  // namespace

Region::Region(const Rect& rect) {
    if (!rect.IsEmpty()) m_rects.push_back(rect);
}

bool Region::Contains(int32_t x, int32_t y) const {
    for (const Rect& r : m_rects)
        if (r.Contains(x, y)) return true;
    return false;
}

Rect Region::Bounds() const {
    if (m_rects.empty()) return {};
    Rect b = m_rects.front();
    for (const Rect& r : m_rects) {
        b.left = std::min(b.left, r.left);
        b.top = std::min(b.top, r.top);
        b.right = std::max(b.right, r.right);
        b.bottom = std::max(b.bottom, r.bottom);
    }
    return b;
}

int Region::Complexity() const {
    if (m_rects.empty()) return NULLREGION;
    return m_rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

void Region::Intersect(const Rect& rect) {
    std::vector<Rect> kept;
    for (const Rect& r : m_rects) {
        const Rect common = r.Intersect(rect);
        if (!common.IsEmpty()) kept.push_back(common);
    }
    m_rects.swap(kept);
}

void Region::Intersect(const Region& other) {
    // Pairwise intersections of two disjoint sets are disjoint themselves.
    std::vector<Rect> kept;
    for (const Rect& a : m_rects)
        for (const Rect& b : other.m_rects) {
            const Rect common = a.Intersect(b);
            if (!common.IsEmpty()) kept.push_back(common);
        }
    m_rects.swap(kept);
}

void Region::Subtract(const Rect& rect) {
    if (rect.IsEmpty()) return;
    std::vector<Rect> kept;
    for (const Rect& r : m_rects) AppendDifference(r, rect, kept);
    m_rects.swap(kept);
}

void Region::Union(const Rect& rect) {
    if (rect.IsEmpty()) return;
    std::vector<Rect> pieces{rect};
    for (const Rect& r : m_rects) {
        std::vector<Rect> rest;
        for (const Rect& p : pieces) AppendDifference(p, r, rest);
        pieces.swap(rest);
    }
    m_rects.insert(m_rects.end(), pieces.begin(), pieces.end());
}

void Region::Offset(int32_t dx, int32_t dy) {
    for (Rect& r : m_rects) r = r.Offset(dx, dy);
}
