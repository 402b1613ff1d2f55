#include "Graphemes.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

/// `count` copies of a combining acute accent.
QString accents(qsizetype count)
{
    return QString(count, QChar(0x0301));
}

/// `count` women joined by zero-width joiners: one character however long.
QString joinedWomen(qsizetype count)
{
    return QStringList(count, u"👩"_s).join(QChar(0x200D));
}

/// `count` combining marks from outside the BMP (musical tremolo), two UTF-16 units each.
QString tremolos(qsizetype count)
{
    return u"\U0001D167"_s.repeated(count);
}

} // namespace

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
    void bounding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("limit");
        QTest::addColumn<QString>("kept");
        QTest::newRow("hangul untouched")
            << u"올해는 꼭 건강하기"_s << qsizetype(50) << u"올해는 꼭 건강하기"_s;
        QTest::newRow("joined emoji untouched")
            << u"👨‍👩‍👧‍👦😵‍💫🇰🇷👍🏽"_s << qsizetype(50)
            << u"👨‍👩‍👧‍👦😵‍💫🇰🇷👍🏽"_s;
        QTest::newRow("characters counted") << u"가나다라"_s << qsizetype(2) << u"가나"_s;
        QTest::newRow("a letter under 10,000 accents")
            << u"a"_s + accents(10000) << qsizetype(50) << u"a"_s + accents(31);
        QTest::newRow("300 joined emoji") << joinedWomen(300) << qsizetype(50) << u"👩\u200D"_s.repeated(16);
        QTest::newRow("pairs never split") << u"a"_s + tremolos(40) << qsizetype(50) << u"a"_s + tremolos(31);
        QTest::newRow("characters after a long one") << u"가"_s + u"a"_s + accents(10000) + u"나"_s
                                                     << qsizetype(50) << u"가a"_s + accents(31) + u"나"_s;
        QTest::newRow("the limit past a long one")
            << u"a"_s + accents(500) + u"bc"_s << qsizetype(2) << u"a"_s + accents(31) + u"b"_s;
        QTest::newRow("five million syllables")
            << QString(5'000'000, u'가') << qsizetype(50) << QString(50, u'가');
        // Nobody reads past a character this long; where it ends is left unknown.
        QTest::newRow("a character longer than what is read")
            << u"a"_s + accents(100'000) + u"b"_s << qsizetype(50) << u"a"_s + accents(31);
        QTest::newRow("zero") << u"가"_s << qsizetype(0) << QString();
    }

    void bounding()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, limit);
        QFETCH(QString, kept);
        QCOMPARE(Graphemes::bounded(text, limit), kept);
    }

    void excerpts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("short") << u"소원"_s << u"소원"_s;
        QTest::newRow("exactly fifty") << QString(50, u'가') << QString(50, u'가');
        QTest::newRow("fifty-one") << QString(51, u'가') << QString(50, u'가') + u"…"_s;
        QTest::newRow("fifty emoji") << u"😀"_s.repeated(50) << u"😀"_s.repeated(50);
        QTest::newRow("a cut character") << u"a"_s + accents(10000) << u"a"_s + accents(31) + u"…"_s;
        QTest::newRow("five million") << QString(5'000'000, u'a') << QString(50, u'a') + u"…"_s;
    }

    void excerpts()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(Graphemes::excerpt(text, 50), shown);
    }
};

QTEST_GUILESS_MAIN(TestGraphemes)
#include "tst_graphemes.moc"
