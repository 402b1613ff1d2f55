#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

/// Text labels as the screens use them.
namespace Labels {

/// A centred label in `font` and `colour`. Always plain text: a wish that looks like markup is shown as
/// typed, never rendered (no links, no images loaded).
QLabel *make(const QString &text, const QFont &font, const QColor &colour, QWidget *parent);

/// Gives `widget` the text colour `colour`.
void setTextColour(QWidget *widget, const QColor &colour);

} // namespace Labels
