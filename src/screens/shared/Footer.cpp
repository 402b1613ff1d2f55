#include "Footer.h"

#include "SketchButton.h"
#include "Theme.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace Footer {

QFont font()
{
    return Theme::handwriting(11, QFont::Medium);
}

SketchButton *makeTextButton(const QString &text, const QFont &font, const QColor &colour, QWidget *parent)
{
    SketchButton::Style style;
    // Taller than the text, so the small word is easy to hit; the sides stay flush with the text.
    style.padding = QMarginsF(0, 8, 0, 8);
    style.fill = Qt::transparent;
    style.text = colour;
    return new SketchButton(text, font, style, parent);
}

QWidget *makeQuitFooter(QWidget *parent)
{
    auto *footer = new QWidget(parent);
    footer->setFixedHeight(height);
    auto *row = new QHBoxLayout(footer);
    row->setContentsMargins(padding, 0, padding, 0);
    SketchButton *quit = makeTextButton(u"종료"_s, font(), Theme::inkSoft, footer);
    quit->setObjectName(u"quit"_s);
    QObject::connect(quit, &QAbstractButton::clicked, qApp, &QCoreApplication::quit);
    row->addStretch(1);
    row->addWidget(quit, 0, Qt::AlignVCenter);
    return footer;
}

} // namespace Footer
