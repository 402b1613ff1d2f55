#include "Theme.h"

#include <QFontInfo>
#include <QtTest>

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
        QCOMPARE(font.pixelSize(), size);
        QCOMPARE(int(font.weight()), weight);
        QCOMPARE(QFontInfo(font).family(), QStringLiteral("Nanum Pen Script"));
    }
};

QTEST_MAIN(TestTheme)
#include "tst_theme.moc"
