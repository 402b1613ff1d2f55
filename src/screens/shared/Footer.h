#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;
class SketchButton;

/// The footer strip the panel's screens share, and its plain text buttons.
namespace Footer {

/// The strip's height.
inline constexpr int height = 36;
/// Its inset on the left and right.
inline constexpr int padding = 16;

/// The font of the footer's words: handwriting at 11 points, medium.
QFont font();
/// A text with no box around it, like a link.
SketchButton *makeTextButton(const QString &text, const QFont &font, const QColor &colour, QWidget *parent);
/// The strip with "종료" on the right, which ends the program.
QWidget *makeQuitFooter(QWidget *parent);

} // namespace Footer
