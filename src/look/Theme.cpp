#include "Theme.h"

#include <QFontDatabase>
#include <QStringList>

namespace Theme {

namespace {

/// Families of the registered handwriting font; empty until a registration succeeded.
QStringList &registeredFamilies()
{
    static QStringList families;
    return families;
}

int addFontFile()
{
    const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/font/NanumPen.ttf"));
    if (id >= 0)
        return id;
    return QFontDatabase::addApplicationFont(QStringLiteral(KIVVO_SOURCE_DIR "/font/NanumPen.ttf"));
}

} // namespace

void registerFonts()
{
    // Once registered, a second font id would only duplicate the same faces.
    if (!registeredFamilies().isEmpty())
        return;
    const int id = addFontFile();
    if (id < 0)
        return;
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty())
        return;
    // The pen font has no emoji: the colour face comes next, before the system's fallback.
    QFont::insertSubstitutions(QString::fromLatin1(handwritingFamily),
                               families + QStringList{QString::fromLatin1(emojiFamily)});
    registeredFamilies() = families;
}

bool handwritingAvailable()
{
    return !registeredFamilies().isEmpty();
}

QFont handwriting(qreal size, QFont::Weight weight)
{
    QFont font(QString::fromLatin1(handwritingFamily));
    // Every length of the look is in device-independent pixels; a Qt point would be 4/3 of one at
    // 96 dpi, so sizes are set in pixels to keep text in proportion with the boxes around it.
    font.setPixelSize(qRound(size * handwritingScale));
    font.setWeight(weight);
    return font;
}

QFont emoji(qreal size)
{
    QFont font;
    font.setFamilies({QString::fromLatin1(emojiFamily)});
    font.setPixelSize(qRound(size));
    return font;
}

const QFont &title()
{
    static const QFont font = handwriting(24, QFont::Black);
    return font;
}

const QFont &primaryButton()
{
    static const QFont font = handwriting(16, QFont::Black);
    return font;
}

const QFont &secondaryButton()
{
    static const QFont font = handwriting(12, QFont::Bold);
    return font;
}

const QFont &sectionTitle()
{
    static const QFont font = handwriting(14, QFont::Bold);
    return font;
}

const QFont &caption()
{
    static const QFont font = handwriting(12, QFont::Medium);
    return font;
}

const QFont &placeholder()
{
    static const QFont font = handwriting(14, QFont::Medium);
    return font;
}

const QFont &chip()
{
    static const QFont font = handwriting(12, QFont::Medium);
    return font;
}

} // namespace Theme
