#pragma once

#include "Desktop.h"

#include <QList>

/// A desktop whose pointer and screens the test sets; y grows upwards as in the placement rules.
class FakeDesktop : public Desktop {
public:
    QPointF pointerAt;
    QList<DesktopScreen> screens;
    double height = 900;
    bool pointerKnown = true;

    QPointF pointer() const override { return pointerAt; }
    bool knowsPointer() const override { return pointerKnown; }
    std::optional<DesktopScreen> screenAt(QPointF point) const override
    {
        for (const DesktopScreen &screen : screens) {
            if (screen.holds(point))
                return screen;
        }
        if (screens.isEmpty())
            return std::nullopt;
        return screens.first();
    }
    double primaryHeight() const override { return height; }
};

/// Distinct screen ids for fakes.
inline const void *screenId(int n)
{
    static const char ids[4] = {};
    return &ids[n];
}
