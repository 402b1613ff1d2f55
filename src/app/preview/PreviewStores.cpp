#include "PreviewStores.h"

#include <QDir>

namespace PreviewStores {

QString fileLocation()
{
    return QDir(QDir::tempPath()).filePath(QStringLiteral("kivvo-preview.json"));
}

SaveData values(Kind kind, const QList<Wish> &wishes, const CustomRockShape &shape)
{
    SaveData data;
    const bool onboarded = kind != Kind::fresh && kind != Kind::choose;
    const bool withWishes = kind == Kind::sample || kind == Kind::tallTower || kind == Kind::defaultRock ||
                            kind == Kind::characterRock;
    const bool withShape = kind != Kind::fresh && kind != Kind::characterRock;
    data.hasOnboarded = onboarded;
    data.wishes = withWishes ? wishes : QList<Wish>{};
    data.customRockShape = withShape ? std::optional(shape) : std::nullopt;
    data.usesCustomRock = withShape && kind != Kind::defaultRock;
    return data;
}

std::unique_ptr<AppState> make(Kind kind, const QList<Wish> &wishes, const CustomRockShape &shape)
{
    auto store = std::make_unique<AppState>(fileLocation(), values(kind, wishes, shape));
    if (kind == Kind::tallTower)
        store->setIsTowerTall(true);
    return store;
}

Kind windowKind()
{
    const QString state = qEnvironmentVariableIsSet("KIVVO_STATE") ? qEnvironmentVariable("KIVVO_STATE")
                                                                   : QStringLiteral("talk");
    if (state == QLatin1String("onboarding"))
        return Kind::fresh;
    if (state == QLatin1String("custom"))
        return Kind::sample;
    if (state == QLatin1String("default"))
        return Kind::defaultRock;
    return Kind::characterRock;
}

} // namespace PreviewStores
