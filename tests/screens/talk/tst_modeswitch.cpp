#include "ClockSteps.h"
#include "ModeSwitch.h"
#include "Theme.h"

#include <array>

#include <QAccessible>
#include <QImage>
#include <QList>
#include <QTest>

using Mode = ModeSwitch::Mode;

namespace {

/// Drawing scale of the pictures: fine enough for the strokes of an 11-point word.
constexpr int scale = 2;

/// The switch drawn at `scale`.
QImage drawn(ModeSwitch &control)
{
    QImage image(control.size() * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    control.render(&image);
    return image;
}

/// Pixels of a segment's word that stand out from what lies behind them: light on the knob (42 x 22,
/// 2 in from the ends of the 88 x 40 switch, sliding by `knob`), dark on the paper beside it. Pixels
/// on the knob's anti-aliased edge are left out.
int standingOut(const QImage &image, Mode segment, double knob)
{
    const double knobLeft = 2 + 44 * knob;
    const int left = segment == Mode::text ? 2 : 44;
    int count = 0;
    for (int y = 12 * scale; y < 28 * scale; ++y)
        for (int x = left * scale; x < (left + 42) * scale; ++x) {
            const double centre = (x + 0.5) / scale;
            const bool onKnob = centre > knobLeft + 1 && centre < knobLeft + 42 - 1;
            const bool onPaper = centre < knobLeft - 1 || centre > knobLeft + 42 + 1;
            const int lightness = image.pixelColor(x, y).lightness();
            count += (onKnob && lightness > 128) || (onPaper && lightness < 128);
        }
    return count;
}

} // namespace

class TestModeSwitch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Theme::registerFonts(); }

    void labelsFollowTheKnob_data()
    {
        QTest::addColumn<Mode>("from");
        QTest::newRow("to drawing") << Mode::text;
        QTest::newRow("to text") << Mode::drawing;
    }

    /// Through every frame of the slide both words stay readable: the part of a word over the knob is
    /// light, the rest dark.
    void labelsFollowTheKnob()
    {
        QFETCH(Mode, from);
        const Mode to = from == Mode::text ? Mode::drawing : Mode::text;
        ModeSwitch control(from);
        connect(&control, &ModeSwitch::modeRequested, &control, &ModeSwitch::setMode);
        control.show();
        const auto counts = [&control] {
            const QImage image = drawn(control);
            return std::array{standingOut(image, Mode::text, control.knob()),
                              standingOut(image, Mode::drawing, control.knob())};
        };
        const std::array before = counts();
        QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(to == Mode::drawing ? 66 : 22, 20));
        QCOMPARE(control.mode(), to);
        QList<std::array<int, 2>> slide;
        QList<double> knobs;
        const double end = to == Mode::drawing ? 1.0 : 0.0;
        while (control.knob() != end && slide.size() < 120) {
            runClock(1.0 / 60);
            slide.append(counts());
            knobs.append(control.knob());
        }
        const std::array after = slide.last();
        QVERIFY(slide.size() > 3); // it slid, it did not jump
        // A word reads lighter on the knob than dark on paper: compare with the fainter of its two ends.
        for (int word = 0; word < 2; ++word) {
            const int faint = std::min(before[word], after[word]);
            QVERIFY(faint > 20);
            for (int i = 0; i < slide.size(); ++i)
                QVERIFY2(slide[i][word] * 10 >= faint * 6,
                         qPrintable(QStringLiteral("knob %1, %2: %3 of %4 pixels")
                                        .arg(knobs[i])
                                        .arg(ModeSwitch::label(Mode(word)))
                                        .arg(slide[i][word])
                                        .arg(faint)));
        }
    }

    /// A screen reader reads the chosen word as the value and sets it as a tap would.
    void readAndSetWithoutAPointer()
    {
        ModeSwitch control(Mode::text);
        connect(&control, &ModeSwitch::modeRequested, &control, &ModeSwitch::setMode);
        QAccessibleInterface *element = QAccessible::queryAccessibleInterface(&control);
        QCOMPARE(element->text(QAccessible::Name), QStringLiteral("입력 방식"));
        QCOMPARE(element->text(QAccessible::Value), QStringLiteral("글"));
        QVERIFY(element->valueInterface());
        element->valueInterface()->setCurrentValue(1);
        QCOMPARE(control.mode(), Mode::drawing);
        QCOMPARE(element->text(QAccessible::Value), QStringLiteral("그림"));
        element->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(control.mode(), Mode::text);
        element->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
        QCOMPARE(control.mode(), Mode::text);
    }
};

QTEST_MAIN(TestModeSwitch)
#include "tst_modeswitch.moc"
