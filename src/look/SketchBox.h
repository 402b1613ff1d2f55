#pragma once

#include <QColor>
#include <QWidget>

/// A container drawn as a sketch box: its rectangle filled behind the children and outlined in ink
/// over them. Padding is the caller's, through the layout's margins. The outline is drawn just
/// inside the widget's edge, since a widget cannot paint outside itself.
class SketchBox : public QWidget {
    Q_OBJECT

public:
    /// A box with corner radius `corner`, filled with `fill`, outlined `line` points wide (0: none).
    SketchBox(qreal corner, const QColor &fill, qreal line, QWidget *parent = nullptr);

    /// Corner radius in points.
    qreal corner() const { return m_corner; }
    /// The fill colour.
    QColor fill() const { return m_fill; }
    /// Outline width in points.
    qreal line() const { return m_line; }
    /// Refills the box.
    void setFill(const QColor &fill);

protected:
    /// The fill, under the children.
    void paintEvent(QPaintEvent *event) override;
    /// Keeps the outline layer the size of the box.
    void resizeEvent(QResizeEvent *event) override;
    /// Keeps the outline layer above every child added later.
    void childEvent(QChildEvent *event) override;

private:
    class Outline;
    Outline *m_outline;
    qreal m_corner;
    QColor m_fill;
    qreal m_line;
};
