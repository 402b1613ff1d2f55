#include "Theme.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QtTest>

#include <algorithm>
#include <utility>

namespace {

/// Mean height of the ink of common Hangul syllables drawn one by one in `font`, in pixels.
double meanSyllableInk(const QFont &font)
{
    const QString syllables = QStringLiteral("소원은말할수록선명해져돌을누르면보여종료설정무슨들려줘");
    double total = 0;
    for (const QChar syllable : syllables) {
        QImage image(64, 64, QImage::Format_Grayscale8);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(8, 48, QString(syllable));
        painter.end();
        int top = image.height(), bottom = -1;
        for (int y = 0; y < image.height(); ++y) {
            const uchar *row = image.constScanLine(y);
            if (std::any_of(row, row + image.width(), [](uchar v) { return v < 128; })) {
                top = std::min(top, y);
                bottom = y;
            }
        }
        total += bottom - top + 1;
    }
    return total / syllables.size();
}

/// The box of the pixels `text` inks in `font`, and whether any of them is coloured.
std::pair<QRect, bool> inkOf(const QFont &font, const QString &text)
{
    QImage image(200, 80, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(10, 60, text);
    painter.end();
    QRect box;
    bool coloured = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel == Qt::white)
                continue;
            box |= QRect(x, y, 1, 1);
            coloured |= pixel.hsvSaturation() > 100 && pixel.value() > 100;
        }
    return {box, coloured};
}

} // namespace

using namespace Qt::Literals::StringLiterals;

class TestTheme : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Twice, as launch and a developer rendering may both register.
        Theme::registerFonts();
        Theme::registerFonts();
        QVERIFY(Theme::handwritingAvailable());
    }

    void textStyles_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("weight");
        QTest::newRow("title") << Theme::title() << 24 << int(QFont::Black);
        QTest::newRow("primaryButton") << Theme::primaryButton() << 16 << int(QFont::Black);
        QTest::newRow("secondaryButton") << Theme::secondaryButton() << 12 << int(QFont::Bold);
        QTest::newRow("sectionTitle") << Theme::sectionTitle() << 14 << int(QFont::Bold);
        QTest::newRow("caption") << Theme::caption() << 12 << int(QFont::Medium);
        QTest::newRow("placeholder") << Theme::placeholder() << 14 << int(QFont::Medium);
        QTest::newRow("chip") << Theme::chip() << 12 << int(QFont::Medium);
        QTest::newRow("plain handwriting") << Theme::handwriting(14) << 14 << int(QFont::Normal);
    }

    void textStyles()
    {
        QFETCH(QFont, font);
        QFETCH(int, size);
        QFETCH(int, weight);
        QCOMPARE(font.family(), QString::fromLatin1(Theme::handwritingFamily));
        // A size means nearly what it means in a common Korean interface face, whose syllables' ink is
        // about 0.88 of the size; unscaled, the pen font's would be 0.64.
        const double ink = meanSyllableInk(font);
        QVERIFY2(ink > 0.72 * size && ink < 0.92 * size, qPrintable(QString::number(ink)));
        QCOMPARE(int(font.weight()), weight);
        QCOMPARE(QFontInfo(font).family(), QStringLiteral("Nanum Pen Script"));
    }

    void emojiAreOneColourGlyph_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::addColumn<QString>("emoji");
        for (const QString &emoji : {u"😶"_s, u"🙂"_s, u"\U0001F635\u200D\U0001F4AB"_s}) {
            QTest::addRow("%s alone", qPrintable(emoji)) << Theme::emoji(40) << emoji;
            QTest::addRow("%s in handwriting", qPrintable(emoji)) << Theme::handwriting(30) << emoji;
        }
    }

    // Some faces have black outline emoji that would win the fallback, and a joined emoji must not
    // fall apart into its two pieces.
    void emojiAreOneColourGlyph()
    {
        if (!QFontDatabase::families().contains(QString::fromLatin1(Theme::emojiFamily)))
            QSKIP("the colour emoji font (fonts-noto-color-emoji) is not installed");
        QFETCH(QFont, font);
        QFETCH(QString, emoji);
        const auto [box, coloured] = inkOf(font, emoji);
        QVERIFY(coloured);
        const QRect single = inkOf(font, u"🙂"_s).first;
        QVERIFY2(box.width() < single.width() * 1.4, qPrintable(QString::number(box.width())));
    }
};

QTEST_MAIN(TestTheme)
#include "tst_theme.moc"
