#include "EnumNames.h"
#include "FakeArtwork.h"
#include "RockColorLook.h"
#include "RockImage.h"

#include <QPainter>
#include <QtTest>

#include <cmath>
#include <numbers>

namespace {

// Lighter than this is not the eye's ink any more (the ink is a near-black, the darkest body far above).
constexpr int inkLightness = 60;
// Rays cast from each eye's centre to look for the rim all the way round.
constexpr int rays = 16;

// An eye of the shipped eye layer in unit coordinates of the shared frame: the box of its ink.
using EyeBoxes = QList<QRectF>;

// The eyes found in the eye layer itself, so the checks follow the artwork wherever the eyes sit: each
// eye is a run of columns holding opaque ink, separated from the other by clear columns.
EyeBoxes eyeBoxes(const QImage &layer)
{
    const QImage eyes = layer.convertToFormat(QImage::Format_ARGB32);
    const auto isInk = [&](int x, int y) {
        const QColor c = eyes.pixelColor(x, y);
        return c.alpha() == 255 && c.lightness() < inkLightness;
    };
    QList<QRect> boxes;
    QRect current;
    for (int x = 0; x < eyes.width(); ++x) {
        int top = eyes.height(), bottom = -1;
        for (int y = 0; y < eyes.height(); ++y) {
            if (isInk(x, y)) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        if (bottom >= 0) {
            current = current.united(QRect(x, top, 1, bottom - top + 1));
        } else if (!current.isNull()) {
            boxes << current;
            current = QRect();
        }
    }
    if (!current.isNull())
        boxes << current;
    EyeBoxes unit;
    for (const QRect &box : boxes)
        unit << QRectF(qreal(box.x()) / eyes.width(), qreal(box.y()) / eyes.height(),
                       qreal(box.width()) / eyes.width(), qreal(box.height()) / eyes.height());
    return unit;
}

QImage paintedRock(int side, const RockAppearance &appearance)
{
    QImage image = filled(side, side, Qt::transparent);
    QPainter painter(&image);
    paintRock(painter, QRectF(0, 0, side, side), appearance, 0.5, false, true);
    return image;
}

int lightnessAt(const QImage &image, const QPointF &point)
{
    const QPoint pixel = point.toPoint();
    if (!image.rect().contains(pixel))
        return -1;
    return image.pixelColor(pixel).lightness();
}

} // namespace

Q_DECLARE_METATYPE(RockAppearance)

class TestEyes : public QObject {
    Q_OBJECT

    EyeBoxes m_eyes;

private slots:
    void initTestCase()
    {
        FakeArtwork::uninstall(); // the shipped artwork
        m_eyes = eyeBoxes(RockAsset::vidovuEyeImage());
        QCOMPARE(m_eyes.size(), 2);
    }

    void eyesHaveALightRim_data()
    {
        QTest::addColumn<RockAppearance>("appearance");
        QTest::addColumn<int>("side");
        // Drawn rocks take the same eyes; a square leaves the whole face inside the body.
        const CustomRockShape box{{{0.1, 0.1}, {0.9, 0.1}, {0.9, 0.9}, {0.1, 0.9}}};
        const auto addRows = [&](RockColor color, int side) {
            const QString name = rawValue(color);
            QTest::addRow("artwork %s at %d", qPrintable(name), side)
                << RockAppearance{KivvoCharacter::vidovu, color, RockExpression::none, std::nullopt} << side;
            QTest::addRow("drawn %s at %d", qPrintable(name), side)
                << RockAppearance{KivvoCharacter::vidovu, color, RockExpression::none, box} << side;
        };
        // At full size every colour shows the whole rim.
        for (RockColor color : allCases<RockColor>())
            addRows(color, 512);
        // About as big as the rock shows in the colour menu and the panel, where a light body may blend
        // the thin rim away but a black one must not.
        addRows(RockColor::black, 120);
    }

    // Dark eyes on a dark body vanish; a light ring around each keeps them readable on every colour.
    void eyesHaveALightRim()
    {
        QFETCH(RockAppearance, appearance);
        QFETCH(int, side);
        const QImage rock = paintedRock(side, appearance);
        const int body = RockColorLook::body(appearance.color).lightness();
        // Clearly lighter: at least halfway from the body to white.
        const int rimNeeded = body + (255 - body) / 2;
        // The rim is looked for within this distance past the last ink on a ray.
        const qreal rimSearch = std::max(3.0, side * 0.025);
        for (const QRectF &unitBox : m_eyes) {
            const QRectF box(unitBox.topLeft() * side, unitBox.size() * side);
            const QPointF centre = box.center();
            QVERIFY2(lightnessAt(rock, centre) < inkLightness, "the eye itself stays dark");
            for (int r = 0; r < rays; ++r) {
                const qreal angle = r * 2 * std::numbers::pi / rays;
                const QPointF direction(std::cos(angle) * box.width() / 2,
                                        std::sin(angle) * box.height() / 2);
                const qreal extent = std::hypot(direction.x(), direction.y());
                const QPointF step = direction / extent * 0.5; // half a pixel
                // The outermost ink within twice the eye's size along this ray.
                qreal lastInk = -1;
                for (qreal t = 0; t * 0.5 < 2 * extent; t += 1)
                    if (const int l = lightnessAt(rock, centre + step * t); l >= 0 && l < inkLightness)
                        lastInk = t;
                QVERIFY2(lastInk >= 0, "the eye is painted");
                int lightest = 0;
                for (qreal t = lastInk + 1; (t - lastInk) * 0.5 <= rimSearch; t += 1)
                    lightest = std::max(lightest, lightnessAt(rock, centre + step * t));
                QVERIFY2(lightest >= rimNeeded,
                         qPrintable(QStringLiteral("at %1 degrees around the eye at (%2, %3) the lightest is "
                                                   "%4, the body %5")
                                        .arg(r * 360 / rays)
                                        .arg(centre.x())
                                        .arg(centre.y())
                                        .arg(lightest)
                                        .arg(body)));
            }
        }
    }
};

QTEST_MAIN(TestEyes)
#include "tst_eyes.moc"
