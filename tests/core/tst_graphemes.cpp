#include "Graphemes.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

/// Characters as people count them, which is how wish lengths are limited and cards are sized.
class TestGraphemes : public QObject {
    Q_OBJECT

private slots:
    void counting_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("count");
        QTest::newRow("empty") << QString() << qsizetype(0);
        QTest::newRow("latin") << u"abc"_s << qsizetype(3);
        QTest::newRow("hangul syllables") << u"안녕하세요"_s << qsizetype(5);
        // Conjoining jamo that make one syllable count once.
        QTest::newRow("decomposed syllable") << u"\u1112\u1161\u11AB"_s << qsizetype(1);
        QTest::newRow("emoji outside the BMP") << u"😀😀"_s << qsizetype(2);
        QTest::newRow("joined emoji") << u"😵‍💫"_s << qsizetype(1);
        QTest::newRow("family") << u"👨‍👩‍👧‍👦"_s << qsizetype(1);
        QTest::newRow("flag") << u"🇰🇷"_s << qsizetype(1);
        QTest::newRow("skin tone") << u"👍🏽"_s << qsizetype(1);
        QTest::newRow("accent") << u"e\u0301"_s << qsizetype(1);
        QTest::newRow("line break") << u"a\nb"_s << qsizetype(3);
        QTest::newRow("crlf is one") << u"a\r\nb"_s << qsizetype(3);
    }

    void counting()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, count);
        QCOMPARE(Graphemes::count(text), count);
    }

    void truncating_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("limit");
        QTest::addColumn<QString>("kept");
        QTest::newRow("shorter than the limit") << u"가나"_s << qsizetype(5) << u"가나"_s;
        QTest::newRow("exactly at the limit") << u"가나다"_s << qsizetype(3) << u"가나다"_s;
        QTest::newRow("cut") << u"가나다라"_s << qsizetype(2) << u"가나"_s;
        QTest::newRow("never splits a family")
            << u"a👨‍👩‍👧‍👦b"_s << qsizetype(2) << u"a👨‍👩‍👧‍👦"_s;
        QTest::newRow("never splits a flag") << u"🇰🇷🇰🇷"_s << qsizetype(1) << u"🇰🇷"_s;
        QTest::newRow("zero") << u"가"_s << qsizetype(0) << QString();
    }

    void truncating()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, limit);
        QFETCH(QString, kept);
        QCOMPARE(Graphemes::truncated(text, limit), kept);
    }
};

QTEST_GUILESS_MAIN(TestGraphemes)
#include "tst_graphemes.moc"
