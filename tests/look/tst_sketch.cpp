#include "Chip.h"
#include "PrimaryButton.h"
#include "SecondaryButton.h"
#include "Sketch.h"
#include "SketchBox.h"
#include "Theme.h"

#include <QFontMetricsF>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>
#include <QtMath>
#include <QtTest>

#include <functional>
#include <memory>

namespace {
/// A fill that is neither paper nor ink, so the three can be told apart.
const QColor yellow(250, 200, 40);
const QColor red(200, 0, 0);

bool near(QRgb pixel, const QColor &colour)
{
    return qAlpha(pixel) >= 250 && qAbs(qRed(pixel) - colour.red()) <= 8 &&
           qAbs(qGreen(pixel) - colour.green()) <= 8 && qAbs(qBlue(pixel) - colour.blue()) <= 8;
}

QImage blank(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage grabbed(QWidget &widget)
{
    QImage image = blank(widget.size());
    widget.render(&image);
    return image;
}

/// The horizontal span of the pixels that pass `test`; empty when none does.
std::pair<int, int> span(const QImage &image, const std::function<bool(QRgb)> &test)
{
    int left = image.width(), right = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (test(image.pixel(x, y)))
                left = std::min(left, x), right = std::max(right, x);
    return {left, right};
}

/// A 300 point wide column holding `widget`, laid out.
std::unique_ptr<QWidget> column(QWidget *widget)
{
    auto window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(widget);
    layout->addStretch();
    window->resize(300, 200);
    window->show();
    layout->activate();
    return window;
}
} // namespace

class TestSketch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Theme::registerFonts(); }

    void shapes_data()
    {
        QTest::addColumn<qreal>("corner"); // below 0: the capsule (10, 10, 100, 40)
        QTest::addColumn<qreal>("line");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<QColor>("expected"); // transparent: untouched
        // The box is (10, 10, 100, 60); a 4 point line covers 8..12 along each edge.
        QTest::newRow("sharp corner mitred") << 0.0 << 4.0 << QPoint(8, 8) << Theme::ink;
        QTest::newRow("round corner empty") << 18.0 << 4.0 << QPoint(11, 11) << QColor(Qt::transparent);
        QTest::newRow("outer half of line") << 18.0 << 4.0 << QPoint(60, 8) << Theme::ink;
        QTest::newRow("inner half of line") << 18.0 << 4.0 << QPoint(60, 11) << Theme::ink;
        QTest::newRow("past the line") << 18.0 << 4.0 << QPoint(60, 13) << yellow;
        QTest::newRow("beyond the line") << 18.0 << 4.0 << QPoint(60, 7) << QColor(Qt::transparent);
        QTest::newRow("no line, edge filled") << 0.0 << 0.0 << QPoint(60, 10) << yellow;
        QTest::newRow("no line, nothing outside") << 0.0 << 0.0 << QPoint(60, 9) << QColor(Qt::transparent);
        // Half circles of radius 20 at both ends.
        QTest::newRow("capsule corner") << -1.0 << 0.0 << QPoint(12, 12) << QColor(Qt::transparent);
        QTest::newRow("capsule left end") << -1.0 << 0.0 << QPoint(11, 30) << yellow;
        QTest::newRow("capsule right end") << -1.0 << 0.0 << QPoint(108, 30) << yellow;
        QTest::newRow("outside the round end") << -1.0 << 0.0 << QPoint(13, 15) << QColor(Qt::transparent);
    }

    void shapes()
    {
        QFETCH(qreal, corner);
        QFETCH(qreal, line);
        QFETCH(QPoint, pixel);
        QFETCH(QColor, expected);
        QImage image = blank({120, 80});
        QPainter painter(&image);
        if (corner < 0)
            Sketch::paintCapsule(painter, QRectF(10, 10, 100, 40), yellow);
        else
            Sketch::paintBox(painter, QRectF(10, 10, 100, 60), corner, yellow, line);
        painter.end();
        const QRgb actual = image.pixel(pixel);
        if (expected.alpha() == 0)
            QCOMPARE(qAlpha(actual), 0);
        else
            QVERIFY2(near(actual, expected), qPrintable(QColor(actual).name()));
    }

    void buttons_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qreal>("extraWidth"); // below 0: the whole column
        QTest::addColumn<qreal>("extraHeight");
        QTest::addColumn<bool>("textFollowsSurroundings");
        QTest::newRow("primary takes the offered width") << "primary" << -1.0 << 28.0 << false;
        QTest::newRow("secondary") << "secondary" << 28.0 << 24.0 << false;
        QTest::newRow("chip") << "chip" << 16.0 << 10.0 << true;
        QTest::newRow("chip with chevron") << "chevron" << 16.0 + 4 + 7 << 10.0 << true;
    }

    void buttons()
    {
        QFETCH(QString, kind);
        QFETCH(qreal, extraWidth);
        QFETCH(qreal, extraHeight);
        QFETCH(bool, textFollowsSurroundings);
        const QString text = QStringLiteral("다시 그리기");
        SketchButton *button = nullptr;
        QFont font = Theme::chip();
        if (kind == "primary") {
            button = new PrimaryButton(text);
            font = Theme::primaryButton();
        } else if (kind == "secondary") {
            button = new SecondaryButton(text);
            font = Theme::secondaryButton();
        } else {
            auto *chip = new Chip(text, yellow);
            if (kind == "chevron")
                chip->setChevron(Chevron::Direction::down, 7);
            button = chip;
        }
        const auto window = column(button);
        const QFontMetricsF metrics(font);
        QCOMPARE(button->width(), extraWidth < 0 ? 300 : qCeil(metrics.horizontalAdvance(text) + extraWidth));
        QCOMPARE(button->height(), qCeil(metrics.height() + extraHeight));

        QPalette palette = window->palette();
        palette.setColor(QPalette::WindowText, red);
        window->setPalette(palette);
        const QImage image = grabbed(*button);
        // Antialiased red text mixed with yellow or white keeps far more red than green; nothing else does.
        QCOMPARE(span(image, [](QRgb p) { return qRed(p) > 150 && qGreen(p) < 110; }).second >= 0,
                 textFollowsSurroundings);
        QVERIFY(span(image, [](QRgb p) { return near(p, Theme::ink); }).second >= 0); // drawn at all
        if (kind == "primary") {
            // The paper-coloured text sits in the middle of the ink capsule.
            const auto [left, right] = span(image, [](QRgb p) { return near(p, Theme::paper); });
            QVERIFY2(right > left && qAbs((left + right) / 2.0 - 150) <= 2,
                     qPrintable(QString("%1..%2").arg(left).arg(right)));
        }
    }

    void boxOutlinesOverItsChildren()
    {
        SketchBox box(0, yellow, 4);
        box.resize(100, 60);
        auto *child = new QWidget(&box);
        child->setAutoFillBackground(true);
        QPalette palette = child->palette();
        palette.setColor(QPalette::Window, red);
        child->setPalette(palette);
        child->setGeometry(box.rect());
        box.show();
        const QImage image = grabbed(box);
        QVERIFY(near(image.pixel(1, 1), Theme::ink));
        QVERIFY(near(image.pixel(50, 2), Theme::ink));
        QVERIFY(near(image.pixel(50, 30), red));
    }

    void clickKeepsTypingFocus()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *field = new QLineEdit;
        auto *button = new SecondaryButton(QStringLiteral("보내기"));
        layout->addWidget(field);
        layout->addWidget(button);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        field->setFocus();
        QSignalSpy clicks(button, &QAbstractButton::clicked);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicks.count(), 1);
        QVERIFY(field->hasFocus());
        // Tab still reaches it, and Space presses it.
        QTest::keyClick(field, Qt::Key_Tab);
        QVERIFY(button->hasFocus());
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(clicks.count(), 2);
    }
};

QTEST_MAIN(TestSketch)
#include "tst_sketch.moc"
