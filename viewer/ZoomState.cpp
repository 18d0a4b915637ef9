#include "viewer/ZoomState.h"

#include <algorithm>
#include <cmath>

namespace {

// Steps above fit, as photo viewers offer them.
constexpr double kSteps[] = {1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3, 1.0 / 2, 2.0 / 3,
                             1.0,     1.5,     2.0,     3.0,     4.0};
// Levels closer than this to fit are fit itself.
constexpr double kSameLevel = 1.02;

int32_t Scaled(int32_t side, double factor) {
    return std::max<int32_t>(1, int32_t(std::lround(side * factor)));
}

}  // namespace

void ZoomState::Reset(int32_t photoWidth, int32_t photoHeight, Size view) {
    m_width = photoWidth;
    m_height = photoHeight;
    m_view = view;
    m_levels.clear();
    m_pan = {};
    if (photoWidth <= 0 || photoHeight <= 0 || view.cx <= 0 || view.cy <= 0) return;
    m_fit = std::min(double(view.cx) / photoWidth, double(view.cy) / photoHeight);
    m_levels.push_back(m_fit);
    for (double step : kSteps)
        if (step > m_fit * kSameLevel && step <= ZOOM_MAX) m_levels.push_back(step);
    if (m_fit > kSameLevel) m_levels.insert(m_levels.begin(), 1.0);
    // 100 % is fit itself when the two are as good as equal.
    const auto actual = std::find(m_levels.begin(), m_levels.end(), 1.0);
    m_fitLevel = int(std::find(m_levels.begin(), m_levels.end(), m_fit) - m_levels.begin());
    m_actualLevel = actual == m_levels.end() ? m_fitLevel : int(actual - m_levels.begin());
    m_level = m_fitLevel;
}

bool ZoomState::SetLevel(int level) {
    if (m_levels.empty()) return false;
    level = std::clamp(level, 0, int(m_levels.size()) - 1);
    if (level == m_level) return false;
    // The photo point under the view's centre, with the exact centring
    // offset rather than the rounded one, so that zooming in and out
    // again comes back to the same place.
    const double factor = Factor();
    const double originX = std::max(0.0, (m_view.cx - m_width * factor) / 2);
    const double originY = std::max(0.0, (m_view.cy - m_height * factor) / 2);
    const double centreX = (m_pan.x + m_view.cx / 2.0 - originX) / factor;
    const double centreY = (m_pan.y + m_view.cy / 2.0 - originY) / factor;
    m_level = level;
    const double zoomed = Factor();
    SetPan({int32_t(std::lround(centreX * zoomed - m_view.cx / 2.0)),
            int32_t(std::lround(centreY * zoomed - m_view.cy / 2.0))});
    return true;
}

Size ZoomState::Zoomed() const {
    if (m_levels.empty()) return {};
    return {Scaled(m_width, Factor()), Scaled(m_height, Factor())};
}

void ZoomState::SetPan(Point pan) {
    const Size zoomed = Zoomed();
    m_pan.x = std::clamp(pan.x, 0, std::max(0, zoomed.cx - m_view.cx));
    m_pan.y = std::clamp(pan.y, 0, std::max(0, zoomed.cy - m_view.cy));
}

Point ZoomState::PhotoOrigin() const {
    const Size zoomed = Zoomed();
    return {std::max(0, (m_view.cx - zoomed.cx) / 2), std::max(0, (m_view.cy - zoomed.cy) / 2)};
}

Rect ZoomState::Visible() const {
    const Size zoomed = Zoomed();
    return Rect{m_pan.x, m_pan.y, m_pan.x + m_view.cx, m_pan.y + m_view.cy}.Intersect(
        {0, 0, zoomed.cx, zoomed.cy});
}
