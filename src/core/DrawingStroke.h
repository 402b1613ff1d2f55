#pragma once

#include "DrawingPoint.h"

#include <QList>

/// One stroke of a drawn wish, in the order the pointer moved. May be empty.
struct DrawingStroke {
    QList<DrawingPoint> points;

    bool operator==(const DrawingStroke &) const = default;
};
