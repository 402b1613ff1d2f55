#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>
#include <QTextLayout>
#include <QWidget>

#include <memory>
#include <vector>

/// Plain text painted over the widget's full width, wrapping between words and, where a word does not
/// fit on a line (as a run of Hangul without spaces), anywhere between two characters. Every line break
/// in the text starts a new line; an empty piece is an empty line. The text is never read as markup.
/// Its height follows its width, so in a resizable scroll area text taller than the view scrolls.
class WrappedText : public QWidget {
    Q_OBJECT

public:
    /// One laid-out line: its place in the widget and the characters on it.
    struct Line {
        QRectF rect;
        QString text;
    };

    /// How a line is broken: between words, or anywhere when a word is wider than the line.
    static constexpr QTextOption::WrapMode wrapMode = QTextOption::WrapAtWordBoundaryOrAnywhere;

    WrappedText(const QFont &font, const QColor &colour, QWidget *parent = nullptr);
    ~WrappedText() override;

    /// Lines `text` takes in `font` at `width`: at least 1; each piece between line breaks at least 1.
    static int lineCount(const QString &text, const QFont &font, qreal width);

    /// The text shown.
    const QString &text() const { return m_text; }
    /// Shows `text`.
    void setText(const QString &text);
    /// The lines at the current width, top to bottom.
    QList<Line> lines() const;

    bool hasHeightForWidth() const override { return true; }
    /// The height of all lines at `width`.
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    /// Lays the text out at `width` unless it already is.
    void layOut(qreal width) const;
    /// The bottom of the last line as laid out.
    qreal laidHeight() const;

    QString m_text;
    QFont m_font;
    QColor m_colour;
    mutable std::vector<std::unique_ptr<QTextLayout>> m_layouts; ///< one per piece between breaks
    mutable qreal m_laidWidth = -1;                              ///< below 0: not laid out
};
