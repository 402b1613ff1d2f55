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

bool anyPixel(const QImage &image, const std::function<bool(QRgb)> &test)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (test(image.pixel(x, y)))
                return true;
    return false;
}

/// Thin antialiased strokes never reach the pure colour; red mixed with the yellow fill or white
/// paper still keeps far more red than green, which neither fill nor ink has.
bool reddish(QRgb pixel)
{
    return qRed(pixel) > 150 && qGreen(pixel) < 110;
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
    void box_data();
    void box();
    void capsule_data();
    void capsule();
    void primaryButtonTakesOfferedWidth();
    void smallBoxesHugTheirText_data();
    void smallBoxesHugTheirText();
    void textColour_data();
    void textColour();
    void boxOutlinesOverItsChildren();
    void clickKeepsTypingFocus();
};

enum class Expect { clear, ink, fill };

void TestSketch::box_data()
{
    QTest::addColumn<qreal>("corner");
    QTest::addColumn<qreal>("line");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<int>("expect");
    // The box is (10, 10, 100, 60); a 4 point line covers 8..12 along each edge.
    QTest::newRow("sharp corner outlined") << 0.0 << 4.0 << QPoint(10, 10) << int(Expect::ink);
    QTest::newRow("sharp corner mitred") << 0.0 << 4.0 << QPoint(8, 8) << int(Expect::ink);
    QTest::newRow("round corner empty") << 18.0 << 4.0 << QPoint(11, 11) << int(Expect::clear);
    QTest::newRow("outer half of line") << 18.0 << 4.0 << QPoint(60, 8) << int(Expect::ink);
    QTest::newRow("inner half of line") << 18.0 << 4.0 << QPoint(60, 11) << int(Expect::ink);
    QTest::newRow("past the line") << 18.0 << 4.0 << QPoint(60, 13) << int(Expect::fill);
    QTest::newRow("beyond the line") << 18.0 << 4.0 << QPoint(60, 7) << int(Expect::clear);
    QTest::newRow("inside") << 18.0 << 4.0 << QPoint(60, 40) << int(Expect::fill);
    QTest::newRow("no line, corner filled") << 0.0 << 0.0 << QPoint(10, 10) << int(Expect::fill);
    QTest::newRow("no line, edge filled") << 0.0 << 0.0 << QPoint(60, 10) << int(Expect::fill);
    QTest::newRow("no line, nothing outside") << 0.0 << 0.0 << QPoint(60, 9) << int(Expect::clear);
}

void TestSketch::box()
{
    QFETCH(qreal, corner);
    QFETCH(qreal, line);
    QFETCH(QPoint, pixel);
    QFETCH(int, expect);
    QImage image = blank({120, 80});
    QPainter painter(&image);
    Sketch::paintBox(painter, QRectF(10, 10, 100, 60), corner, yellow, line);
    painter.end();
    const QRgb actual = image.pixel(pixel);
    switch (Expect(expect)) {
    case Expect::clear:
        QCOMPARE(qAlpha(actual), 0);
        break;
    case Expect::ink:
        QVERIFY2(near(actual, Theme::ink), qPrintable(QColor(actual).name()));
        break;
    case Expect::fill:
        QVERIFY2(near(actual, yellow), qPrintable(QColor(actual).name()));
        break;
    }
}

void TestSketch::capsule_data()
{
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<bool>("filled");
    // The capsule is (10, 10, 100, 40): half circles of radius 20 at both ends.
    QTest::newRow("corner") << QPoint(12, 12) << false;
    QTest::newRow("left end") << QPoint(11, 30) << true;
    QTest::newRow("right end") << QPoint(108, 30) << true;
    QTest::newRow("top of the round end") << QPoint(30, 11) << true;
    QTest::newRow("outside the round end") << QPoint(13, 15) << false;
}

void TestSketch::capsule()
{
    QFETCH(QPoint, pixel);
    QFETCH(bool, filled);
    QImage image = blank({120, 60});
    QPainter painter(&image);
    Sketch::paintCapsule(painter, QRectF(10, 10, 100, 40), Theme::ink);
    painter.end();
    if (filled)
        QVERIFY(near(image.pixel(pixel), Theme::ink));
    else
        QCOMPARE(qAlpha(image.pixel(pixel)), 0);
}

void TestSketch::primaryButtonTakesOfferedWidth()
{
    auto *button = new PrimaryButton(QStringLiteral("확인"));
    const auto window = column(button);
    QCOMPARE(button->width(), 300);
    QCOMPARE(button->height(), qCeil(QFontMetricsF(Theme::primaryButton()).height() + 28));

    // The paper-coloured text sits in the middle of the ink capsule.
    const QImage image = grabbed(*button);
    int left = image.width(), right = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (near(image.pixel(x, y), Theme::paper)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    QVERIFY(right > left);
    QVERIFY2(qAbs((left + right) / 2.0 - 150) <= 2,
             qPrintable(QString("text spans %1..%2").arg(left).arg(right)));
}

void TestSketch::smallBoxesHugTheirText_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<qreal>("extraWidth");
    QTest::addColumn<qreal>("extraHeight");
    QTest::newRow("secondary") << "secondary" << 28.0 << 24.0;
    QTest::newRow("chip") << "chip" << 16.0 << 10.0;
    QTest::newRow("chip with chevron") << "chevron" << 16.0 + 4 + 7 << 10.0;
}

void TestSketch::smallBoxesHugTheirText()
{
    QFETCH(QString, kind);
    QFETCH(qreal, extraWidth);
    QFETCH(qreal, extraHeight);
    const QString text = QStringLiteral("다시 그리기");
    SketchButton *button = nullptr;
    if (kind == "secondary") {
        button = new SecondaryButton(text);
    } else {
        auto *chip = new Chip(text);
        if (kind == "chevron")
            chip->setChevron(Chevron::Direction::down, 7);
        button = chip;
    }
    const auto window = column(button);
    const QFontMetricsF metrics(kind == "secondary" ? Theme::secondaryButton() : Theme::chip());
    QCOMPARE(button->width(), qCeil(metrics.horizontalAdvance(text) + extraWidth));
    QCOMPARE(button->height(), qCeil(metrics.height() + extraHeight));
}

void TestSketch::textColour_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("followsSurroundings");
    QTest::newRow("chip") << "chip" << true;
    QTest::newRow("secondary") << "secondary" << false;
}

void TestSketch::textColour()
{
    QFETCH(QString, kind);
    QFETCH(bool, followsSurroundings);
    QWidget parent;
    QPalette palette = parent.palette();
    palette.setColor(QPalette::WindowText, red);
    parent.setPalette(palette);
    SketchButton *button = kind == "chip"
                               ? static_cast<SketchButton *>(new Chip("돌 내리기", yellow, &parent))
                               : new SecondaryButton("돌 내리기", &parent);
    button->resize(button->sizeHint());
    const QImage image = grabbed(*button);
    QCOMPARE(anyPixel(image, reddish), followsSurroundings);
    QVERIFY(anyPixel(image, [](QRgb pixel) { return near(pixel, Theme::ink); })); // the outline at least
}

void TestSketch::boxOutlinesOverItsChildren()
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

void TestSketch::clickKeepsTypingFocus()
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

QTEST_MAIN(TestSketch)
#include "tst_sketch.moc"
