// Writes the fuzzer's seed corpus: save files made by the program's own encoder from a few varied
// values, so fuzzing starts from every part of the format instead of rediscovering JSON.
//
// usage: savefile_seeds DIR   (the committed seeds are in fuzz/corpus)
#include "EnumNames.h"
#include "SaveData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cmath>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

// Fixed ids and times, so the seeds come out the same on every run.
QUuid idOf(int n)
{
    return QUuid::fromString(u"5E0D%1-0000-4000-8000-00000000C0DE"_s.arg(n, 4, 10, QChar(u'0')));
}

Wish written(int n, const QString &text, std::optional<RockAppearance> rock)
{
    return Wish{idOf(n), text, 7.5e8 + n * 3600.25, std::nullopt, std::fmod(0.137 * n, 1.0), std::move(rock)};
}

CustomRockShape blob()
{
    return CustomRockShape{{{0.18, 0.42},
                            {0.3, 0.2},
                            {0.55, 0.16},
                            {0.8, 0.28},
                            {0.86, 0.58},
                            {0.7, 0.82},
                            {0.42, 0.86},
                            {0.2, 0.7}}};
}

SaveData writtenAndDrawn()
{
    SaveData data;
    data.hasOnboarded = true;
    const RockAppearance plain{KivvoCharacter::vidovu, RockColor::original, RockExpression::none,
                               std::nullopt};
    data.wishes.append(written(1, u"wish one"_s, plain));
    // Records from before wishes kept their rock have none.
    data.wishes.append(written(2, u"older wish"_s, std::nullopt));
    Wish drawn =
        written(3, u"drawing"_s,
                RockAppearance{KivvoCharacter::vidovu, RockColor::blue, RockExpression::smile, blob()});
    drawn.drawingStrokes = QList<DrawingStroke>{{{{12, 40}, {13.5, 41.25}, {20, 47}}}, {{{100, 100}}}, {}};
    data.wishes.append(drawn);
    return data;
}

SaveData customShape()
{
    SaveData data;
    data.hasOnboarded = true;
    data.customRockShape = blob();
    data.usesCustomRock = true;
    data.rockColor = RockColor::pink;
    data.rockExpression = RockExpression::scary;
    data.isIdleRockEnabled = false;
    data.idleRockScale = 0.75;
    return data;
}

SaveData everyLook()
{
    SaveData data;
    data.hasOnboarded = true;
    // A drawn rock kept but not in use, and the largest size.
    data.customRockShape = blob();
    data.rockColor = RockColor::green;
    data.rockExpression = RockExpression::smile;
    data.idleRockScale = SaveData::maximumScale;
    // Every colour once, the expressions taking turns.
    constexpr auto expressions = allCases<RockExpression>();
    int n = 10;
    for (RockColor color : allCases<RockColor>()) {
        const RockExpression expression = expressions[std::size_t(n) % expressions.size()];
        data.wishes.append(written(n, rawValue(color) + u' ' + rawValue(expression),
                                   RockAppearance{KivvoCharacter::vidovu, color, expression, std::nullopt}));
        ++n;
    }
    return data;
}

SaveData unicodeAndNumbers()
{
    SaveData data;
    data.hasOnboarded = true;
    data.idleRockScale = SaveData::minimumScale;
    data.wishes.append(written(40, u"시험 잘 보게 해 주세요"_s, std::nullopt));
    // Emoji outside the basic plane (surrogate pairs), a joined family, a flag, a skin tone.
    data.wishes.append(written(41, u"🪨✨ 👩‍👩‍👧 🇰🇷 👍🏽"_s, std::nullopt));
    // Hangul as conjoining jamo, quotes, a backslash, control characters and a line separator.
    data.wishes.append(
        written(42, u"\u1100\u1161\u11A8 \"quoted\" back\\slash\ttab\nline\x01\u2028end"_s, std::nullopt));
    // Numbers at the edges of what a double prints: tiny, huge, negative, many digits.
    Wish edges = written(43, u""_s, std::nullopt);
    edges.createdAt = -978307200.125;
    edges.seed = 0.9999999999999999;
    edges.drawingStrokes =
        QList<DrawingStroke>{{{{5e-324, 1.7976931348623157e308}, {-0.5, 1e21}, {123456789012, 3}}}};
    data.wishes.append(edges);
    return data;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: savefile_seeds DIR\n");
        return 2;
    }
    const QDir folder(app.arguments().at(1));
    if (!folder.mkpath(u"."_s)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(folder.path()));
        return 1;
    }
    const QList<std::pair<QString, SaveData>> seeds{
        {u"empty.json"_s, SaveData{}},
        {u"written-and-drawn.json"_s, writtenAndDrawn()},
        {u"custom-shape.json"_s, customShape()},
        {u"every-look.json"_s, everyLook()},
        {u"unicode-and-numbers.json"_s, unicodeAndNumbers()},
    };
    for (const auto &[name, data] : seeds) {
        const std::optional<QByteArray> bytes = data.encode();
        QFile file(folder.filePath(name));
        if (!bytes || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(*bytes) != bytes->size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}
