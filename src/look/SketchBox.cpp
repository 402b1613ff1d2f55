#include "SketchBox.h"

#include "Sketch.h"

#include <QChildEvent>
#include <QPainter>

/// The outline drawn over the children: the last child, transparent to the mouse.
class SketchBox::Outline : public QWidget {
public:
    explicit Outline(SketchBox *box) : QWidget(box), m_box(box)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const qreal line = m_box->line();
        Sketch::paintOutline(painter, Sketch::insideForLine(rect(), line), m_box->corner(), line);
    }

private:
    SketchBox *m_box;
};

SketchBox::SketchBox(qreal corner, const QColor &fill, qreal line, QWidget *parent)
    : QWidget(parent), m_outline(nullptr), m_corner(corner), m_fill(fill), m_line(line)
{
    m_outline = new Outline(this);
    m_outline->show();
}

void SketchBox::setFill(const QColor &fill)
{
    m_fill = fill;
    update();
}

void SketchBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The fill alone; the outline is the top layer's.
    Sketch::paintBox(painter, Sketch::insideForLine(rect(), m_line), m_corner, m_fill, 0);
}

void SketchBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_outline->setGeometry(rect());
}

void SketchBox::childEvent(QChildEvent *event)
{
    QWidget::childEvent(event);
    if (m_outline && event->added() && event->child() != m_outline && event->child()->isWidgetType())
        m_outline->raise();
}
