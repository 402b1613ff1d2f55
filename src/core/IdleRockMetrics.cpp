#include "IdleRockMetrics.h"

#include <algorithm>
#include <cmath>

namespace {
// Scale 1 gives a tenth of the screen's shorter side, within these bounds.
constexpr double screenFraction = 0.1;
constexpr double smallestBaseSide = 84.0;
constexpr double largestBaseSide = 124.0;
// Shares of the panel side taken by the rock and by each margin.
constexpr double rockShare = 0.78;
constexpr double paddingShare = 0.11;

// Rounded half away from zero, never below 1.
double wholeAtLeastOne(double value)
{
    return std::max(std::round(value), 1.0);
}
} // namespace

IdleRockMetrics::IdleRockMetrics(QObject *parent) : QObject(parent) {}

QSizeF IdleRockMetrics::update(std::optional<QRectF> visibleFrame, double scale)
{
    if (visibleFrame) {
        const double shorter = std::min(visibleFrame->width(), visibleFrame->height());
        m_baseSide = std::clamp(shorter * screenFraction, smallestBaseSide, largestBaseSide);
    }
    const double side = panelSide(scale);
    const double rock = wholeAtLeastOne(side * rockShare);
    const double padding = wholeAtLeastOne(side * paddingShare);
    const double panel = rock + 2 * padding;
    // Assigned only on real change, in this order, so an unchanged size redraws nothing.
    if (rock != m_rockSize) {
        m_rockSize = rock;
        emit rockSizeChanged(m_rockSize);
    }
    if (padding != m_padding) {
        m_padding = padding;
        emit paddingChanged(m_padding);
    }
    if (panel != m_panelSize.width() || panel != m_panelSize.height()) {
        m_panelSize = QSizeF(panel, panel);
        emit panelSizeChanged(m_panelSize);
    }
    return m_panelSize;
}

double IdleRockMetrics::panelSide(double scale) const
{
    if (scale < 1.0) {
        // A straight line from the common smallest side at 0.5 to this screen's side at 1.
        const double lo = std::min(m_baseSide, minimumSide);
        return lo + 2 * (scale - 0.5) * (m_baseSide - lo);
    }
    return m_baseSide * scale;
}
