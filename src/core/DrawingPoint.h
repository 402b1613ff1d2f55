#pragma once

/// One point of an outline or a drawn stroke. The coordinate space belongs to the user of the point:
/// unit canvas coordinates inside a rock shape, canvas points inside a drawn wish.
struct DrawingPoint {
    double x = 0;
    double y = 0;

    bool operator==(const DrawingPoint &) const = default;
};
