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

void putLast(QWidget *screen, const QList<QWidget *> &widgets)
{
    // The chain runs round the whole window; the screen's last stop is its last descendant in it that
    // takes the focus (Qt orders only those).
    QWidget *after = screen;
    for (QWidget *next = screen->nextInFocusChain(); next != screen; next = next->nextInFocusChain())
        if (screen->isAncestorOf(next) && next->focusPolicy() != Qt::NoFocus && !widgets.contains(next))
            after = next;
    for (QWidget *widget : widgets) {
        QWidget::setTabOrder(after, widget);
        after = widget;
    }
}

} // namespace ScreenFocus
