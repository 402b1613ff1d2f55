#pragma once

#include <QAccessible>

class QWidget;

/// What assistive technology is told a plain widget is: Qt calls every widget of its own a client
/// area, which a screen reader cannot name or operate.
namespace AccessibleRole {

/// Tells assistive technology that `widget` is a `role`; set it before anything asks (in the
/// constructor), as the answer is kept.
void set(QWidget *widget, QAccessible::Role role);

/// Has assistive technology read every widget of class `Widget` through a `Reading` made from it.
/// Call it in the widget's constructor before anything asks; the first call installs it, the rest
/// do nothing.
template <typename Widget, typename Reading>
void readAs()
{
    static const bool installed = [] {
        QAccessible::installFactory([](const QString &className, QObject *object) -> QAccessibleInterface * {
            if (className != QLatin1String(Widget::staticMetaObject.className()) || !object ||
                !object->isWidgetType())
                return nullptr;
            return new Reading(static_cast<Widget *>(object));
        });
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace AccessibleRole
