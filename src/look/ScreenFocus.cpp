#include "ScreenFocus.h"

#include <QVariant>
#include <QWidget>

namespace {
constexpr char startProperty[] = "kivvoStartsHere";
}

namespace ScreenFocus {

void markStart(QWidget *widget)
{
    widget->setProperty(startProperty, true);
}

void settle(QWidget *screen)
{
    if (!screen)
        return;
    const auto children = screen->findChildren<QWidget *>();
    for (QWidget *child : children) {
        if (child->property(startProperty).toBool() && child->isVisibleTo(screen) && child->isEnabled()) {
            child->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    screen->setFocus(Qt::OtherFocusReason);
}

} // namespace ScreenFocus
