#pragma once

#include <QPointF>
#include <QtMath>

#include <cmath>

/// The pointer `distance` points from `centre` at `degrees` counter-clockwise (y up).
inline QPointF around(QPointF centre, double distance, double degrees)
{
    const double a = qDegreesToRadians(degrees);
    return centre + distance * QPointF(std::cos(a), std::sin(a));
}
