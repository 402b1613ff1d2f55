#pragma once

#include <QAccessible>

class QWidget;

/// What assistive technology is told a plain widget is: Qt calls every widget of its own a client
/// area, which a screen reader cannot name or operate.
namespace AccessibleRole {

/// Tells assistive technology that `widget` is a `role`; set it before anything asks (in the
/// constructor), as the answer is kept.
void set(QWidget *widget, QAccessible::Role role);

} // namespace AccessibleRole
