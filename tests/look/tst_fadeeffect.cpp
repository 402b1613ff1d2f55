#include "FadeEffect.h"

#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QTest>

namespace {
/// A black bar at the top of a white block, faded to half, the block a little down in its window.
QWidget *fadedBlock(QWidget *window)
{
    window->setFixedSize(200, 200);
    window->setAutoFillBackground(true);
    window->setPalette(QPalette(Qt::white));
    auto *block = new QWidget(window);
    block->setGeometry(0, 100, 200, 100);
    auto *bar = new QWidget(block);
    bar->setGeometry(0, 0, 200, 20);
    bar->setAutoFillBackground(true);
    bar->setPalette(QPalette(Qt::black));
    return block;
}
} // namespace

class TestFadeEffect : public QObject {
    Q_OBJECT

private slots:
    void fadesWhole_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("unscaled") << 1.0;
        QTest::newRow("drawn at half size") << 0.5;
    }
    /// The bar shows at half grey where the scaled block puts it, also when drawn shrunk.
    void fadesWhole()
    {
        QFETCH(double, scale);
        auto *window = new QWidget(nullptr, Qt::Window | Qt::BypassGraphicsProxyWidget);
        QWidget *block = fadedBlock(window);
        auto *fade = new FadeEffect(block);
        fade->setOpacity(0.5);
        block->setGraphicsEffect(fade);
        QGraphicsView view;
        view.setScene(new QGraphicsScene(&view));
        view.scene()->addWidget(window);
        view.setFrameShape(QFrame::NoFrame);
        view.setAlignment(Qt::AlignLeft | Qt::AlignTop);
        view.setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
        view.setTransform(QTransform::fromScale(scale, scale));
        view.resize(220, 220);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QImage shot = view.viewport()->grab().toImage();
        const QColor bar = shot.pixelColor(QPointF(100 * scale, 110 * scale).toPoint());
        QVERIFY2(qAbs(bar.red() - 128) < 12, qPrintable(QString::number(bar.red())));
        const QColor below = shot.pixelColor(QPointF(100 * scale, 150 * scale).toPoint());
        QCOMPARE(below.red(), 255);
    }
};

QTEST_MAIN(TestFadeEffect)
#include "tst_fadeeffect.moc"
