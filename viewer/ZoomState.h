#pragma once
#include <cstdint>
#include <vector>

#include "platform/gdi/Geometry.h"

// The largest zoom: four screen pixels to one photo pixel.
constexpr double ZOOM_MAX = 4.0;

// Zoom and pan of a photo in a view: the factor (screen pixels per photo
// pixel, the photo as it stands on screen), the levels "+" and "-" step
// through, and the pan offset, the point of the zoomed photo at the view's
// top-left corner. A zoomed photo narrower or lower than the view is
// centred in that direction and cannot be panned in it.
class ZoomState {
public:
    // Starts at "fit": the whole photo in the view.
    void Reset(int32_t photoWidth, int32_t photoHeight, Size view);
    bool IsSet() const { return !m_levels.empty(); }

    double Factor() const { return m_levels.empty() ? 0.0 : m_levels[m_level]; }
    double FitFactor() const { return m_fit; }
    // The levels from the smallest up: fit, the steps above it up to 400 %,
    // and 100 % also when the photo is smaller than the view.
    const std::vector<double>& Levels() const { return m_levels; }
    int Level() const { return m_level; }
    // Each keeps the photo point at the view's centre where it can; returns
    // whether the level changed.
    bool SetLevel(int level);
    bool ZoomIn() { return SetLevel(m_level + 1); }
    bool ZoomOut() { return SetLevel(m_level - 1); }
    bool ZoomToFit() { return SetLevel(m_fitLevel); }
    bool ZoomToActual() { return SetLevel(m_actualLevel); }

    // The photo's size at the current factor.
    Size Zoomed() const;
    Point Pan() const { return m_pan; }
    // Limited to the photo's edges.
    void SetPan(Point pan);
    // Where the zoomed photo's top-left corner lands in the view.
    Point PhotoOrigin() const;
    // The part of the zoomed photo inside the view, in zoomed coordinates.
    Rect Visible() const;
    Size View() const { return m_view; }

private:
    int32_t m_width = 0;
    int32_t m_height = 0;
    Size m_view;
    double m_fit = 0;
    std::vector<double> m_levels;
    int m_level = 0;
    int m_fitLevel = 0;
    int m_actualLevel = 0;
    Point m_pan;
};
