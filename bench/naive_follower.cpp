// The baseline for bench/idle_rock_cpu: the simplest pointer follower one would write first.
// Every 60 Hz tick it asks the X server where the pointer is, moves the window there and repaints,
// whether or not anything changed. Its CPU time is the figure the idle rock is compared against.

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

class NaiveFollower : public QWidget {
public:
    NaiveFollower()
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setFixedSize(92, 92);
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, &QTimer::timeout, this, [this] {
            move(QCursor::pos() + QPoint(15, 18));
            update();
        });
        timer.start(16);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(128, 128, 128));
        painter.drawEllipse(rect().adjusted(6, 10, -6, -10));
    }

private:
    QTimer timer;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    NaiveFollower follower;
    follower.show();
    return app.exec();
}
