#include "WrappedText.h"

#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

namespace {

/// Lays `text` out at `width`, one layout per piece between line breaks, stacked from the top.
std::vector<std::unique_ptr<QTextLayout>> layOutPieces(const QString &text, const QFont &font, qreal width)
{
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(WrappedText::wrapMode);
    std::vector<std::unique_ptr<QTextLayout>> layouts;
    qreal top = 0;
    for (const QString &piece : text.split(u'\n')) {
        auto layout = std::make_unique<QTextLayout>(piece, font);
        layout->setTextOption(option);
        layout->setCacheEnabled(true);
        layout->beginLayout();
        // An empty piece still gets its one (empty) line.
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLineWidth(std::max<qreal>(width, 0));
            line.setPosition(QPointF(0, top));
            top += line.height();
        }
        layout->endLayout();
        layouts.push_back(std::move(layout));
    }
    return layouts;
}

} // namespace

WrappedText::WrappedText(const QFont &font, const QColor &colour, QWidget *parent)
    : QWidget(parent), m_font(font), m_colour(colour)
{
    setFont(font);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

WrappedText::~WrappedText() = default;

int WrappedText::lineCount(const QString &text, const QFont &font, qreal width)
{
    int lines = 0;
    for (const auto &layout : layOutPieces(text, font, width))
        lines += layout->lineCount();
    return std::max(lines, 1);
}

void WrappedText::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    m_laidWidth = -1;
    // Read by assistive technology as the text it shows.
    setAccessibleName(text);
    updateGeometry();
    update();
}

QList<WrappedText::Line> WrappedText::lines() const
{
    layOut(width());
    QList<Line> result;
    for (const auto &layout : m_layouts)
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            result.append({line.naturalTextRect(), layout->text().mid(line.textStart(), line.textLength())});
        }
    return result;
}

int WrappedText::heightForWidth(int width) const
{
    layOut(width);
    return int(std::ceil(laidHeight()));
}

QSize WrappedText::sizeHint() const
{
    const int w = std::max(width(), 1);
    return {w, heightForWidth(w)};
}

QSize WrappedText::minimumSizeHint() const
{
    // Any width will do: the text wraps to it.
    return {0, 0};
}

void WrappedText::paintEvent(QPaintEvent *)
{
    layOut(width());
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(m_colour);
    for (const auto &layout : m_layouts)
        layout->draw(&painter, QPointF(0, 0));
}

void WrappedText::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (event->size().width() != event->oldSize().width())
        updateGeometry();
}

void WrappedText::layOut(qreal width) const
{
    if (width == m_laidWidth)
        return;
    m_layouts = layOutPieces(m_text, m_font, width);
    m_laidWidth = width;
}

qreal WrappedText::laidHeight() const
{
    if (m_layouts.empty() || m_layouts.back()->lineCount() == 0)
        return 0;
    const QTextLayout &last = *m_layouts.back();
    const QTextLine line = last.lineAt(last.lineCount() - 1);
    return line.y() + line.height();
}
