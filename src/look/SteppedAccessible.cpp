#include "SteppedAccessible.h"

#include <algorithm>
#include <cmath>

void *SteppedAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString SteppedAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value)
        return word(step());
    return QAccessibleWidget::text(kind);
}

void SteppedAccessible::setCurrentValue(const QVariant &value)
{
    const int wanted = std::clamp(int(std::lround(value.toDouble())), 0, lastStep());
    if (wanted != step())
        requestStep(wanted);
}

QStringList SteppedAccessible::actionNames() const
{
    return QAccessibleWidget::actionNames() << increaseAction() << decreaseAction();
}

void SteppedAccessible::doAction(const QString &name)
{
    if (name == increaseAction() || name == decreaseAction())
        setCurrentValue(step() + (name == increaseAction() ? 1 : -1));
    else
        QAccessibleWidget::doAction(name);
}
