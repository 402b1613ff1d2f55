#pragma once

#include <QList>

class QWidget;

/// Where the keyboard goes when a screen comes up. A screen change deletes the widget that had the
/// focus, and Qt would hand it to the next button in the tab chain ("종료", say), where one press of
/// Space acts. Every screen change settles the focus itself instead.
namespace ScreenFocus {

/// Marks `widget` as where its screen's user starts typing.
void markStart(QWidget *widget);
/// Gives the focus to the first marked widget shown inside `screen`, else to `screen` itself, whose
/// keys reach nothing drastic. Nothing without a screen.
void settle(QWidget *screen);
/// Moves `widgets`, in the order given, to the end of `screen`'s part of the tab order: a footer made
/// before the content it sits under still comes after it.
void putLast(QWidget *screen, const QList<QWidget *> &widgets);

} // namespace ScreenFocus
