#pragma once

#include "DrawingPoint.h"

#include <QList>

#include <algorithm>

/// One stroke of a drawn wish, in the order the pointer moved. May be empty.
struct DrawingStroke {
    QList<DrawingPoint> points;

    /// Whether it draws a line: two of its points differ. A lone point, or a click repeated on one
    /// spot, leaves nothing to see.
    bool shows() const
    {
        return std::any_of(points.cbegin(), points.cend(),
                           [this](const DrawingPoint &p) { return p != points.first(); });
    }

    bool operator==(const DrawingStroke &) const = default;
};
