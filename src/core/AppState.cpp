#include "AppState.h"

#include "RockPile.h"

#include <QDir>
#include <QRandomGenerator>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

AppState::AppState(QObject *parent) : AppState(defaultFileLocation(), parent) {}

AppState::AppState(const QString &filePath, QObject *parent) : QObject(parent), m_file(filePath)
{
    if (filePath.isEmpty())
        return;
    m_file.createFolder();
    load();
}

AppState::AppState(const QString &filePath, const SaveData &values, QObject *parent)
    : QObject(parent), m_file(filePath, SaveFile::Target::ownPlainFile)
{
    m_file.createFolder();
    m_isLoading = true;
    assignAll(values);
    m_isLoading = false;
}

QString AppState::defaultFileLocation()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    // Without a data folder there is nowhere safe to write: run on memory alone rather than guess.
    if (folder.isEmpty())
        return {};
    return QDir(folder).filePath(u"Kivvo/data.json"_s);
}

RockAppearance AppState::appearance() const
{
    return {m_data.selectedCharacter, m_data.rockColor, m_data.rockExpression,
            m_data.usesCustomRock ? m_data.customRockShape : std::nullopt};
}

template <typename T, typename... Args>
void AppState::assign(T &field, T value, void (AppState::*signal)(Args...), bool isSaved)
{
    emit willChange();
    emit(this->*signal)(value);
    field = std::move(value);
    if (isSaved)
        persist();
}

void AppState::setHasOnboarded(bool value)
{
    assign(m_data.hasOnboarded, value, &AppState::hasOnboardedChanged, true);
}

void AppState::setWishes(QList<Wish> value)
{
    assign(m_data.wishes, std::move(value), &AppState::wishesChanged, true);
}

void AppState::setSelectedCharacter(KivvoCharacter value)
{
    assign(m_data.selectedCharacter, value, &AppState::selectedCharacterChanged, true);
}

void AppState::setCustomRockShape(std::optional<CustomRockShape> value)
{
    assign(m_data.customRockShape, std::move(value), &AppState::customRockShapeChanged, true);
}

void AppState::setUsesCustomRock(bool value)
{
    assign(m_data.usesCustomRock, value, &AppState::usesCustomRockChanged, true);
}

void AppState::setRockColor(RockColor value)
{
    assign(m_data.rockColor, value, &AppState::rockColorChanged, true);
}

void AppState::setRockExpression(RockExpression value)
{
    assign(m_data.rockExpression, value, &AppState::rockExpressionChanged, true);
}

void AppState::setIsIdleRockEnabled(bool value)
{
    assign(m_data.isIdleRockEnabled, value, &AppState::isIdleRockEnabledChanged, true);
}

void AppState::setIdleRockScale(double value)
{
    assign(m_data.idleRockScale, value, &AppState::idleRockScaleChanged, true);
}

void AppState::setIsTowerTall(bool value)
{
    assign(m_isTowerTall, value, &AppState::isTowerTallChanged, false);
}

void AppState::setIsPanelTall(bool value)
{
    assign(m_isPanelTall, value, &AppState::isPanelTallChanged, false);
}

Wish AppState::stamped(QString text, std::optional<QList<DrawingStroke>> strokes) const
{
    const double seed = QRandomGenerator::global()->generateDouble();
    return Wish{QUuid::createUuid(), std::move(text), Wish::now(), std::move(strokes), seed, appearance()};
}

std::optional<Wish> AppState::addWish(const QString &text)
{
    QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    Wish wish = stamped(std::move(trimmed), std::nullopt);
    QList<Wish> wishes = m_data.wishes;
    wishes.append(wish);
    setWishes(std::move(wishes));
    return wish;
}

std::optional<Wish> AppState::addDrawingWish(const QList<DrawingStroke> &strokes)
{
    const bool anyPoint = std::any_of(strokes.begin(), strokes.end(),
                                      [](const DrawingStroke &s) { return !s.points.isEmpty(); });
    if (!anyPoint)
        return std::nullopt;
    Wish wish = stamped(u"그림 소원"_s, strokes);
    QList<Wish> wishes = m_data.wishes;
    wishes.append(wish);
    setWishes(std::move(wishes));
    return wish;
}

void AppState::deleteWish(const Wish &wish)
{
    const auto found = std::find_if(m_data.wishes.cbegin(), m_data.wishes.cend(),
                                    [&](const Wish &w) { return w.id == wish.id; });
    if (found == m_data.wishes.cend())
        return;
    setWishes(RockPile::collapsed(m_data.wishes, found - m_data.wishes.cbegin()));
    if (m_data.wishes.isEmpty())
        setIsTowerTall(false);
}

void AppState::assignAll(const SaveData &values)
{
    setHasOnboarded(values.hasOnboarded);
    setWishes(values.wishes);
    setSelectedCharacter(values.selectedCharacter);
    setCustomRockShape(values.customRockShape);
    setUsesCustomRock(values.usesCustomRock);
    setRockColor(values.rockColor);
    setRockExpression(values.rockExpression);
    setIsIdleRockEnabled(values.isIdleRockEnabled);
    setIdleRockScale(values.idleRockScale);
}

void AppState::load()
{
    m_isLoading = true;
    const std::optional<QByteArray> bytes = m_file.read();
    const std::optional<SaveData> data = bytes ? SaveData::decode(*bytes) : std::nullopt;
    if (data) {
        setHasOnboarded(data->hasOnboarded);
        setWishes(data->wishes);
        setCustomRockShape(data->customRockShape);
        setIsIdleRockEnabled(data->isIdleRockEnabled);
        setIdleRockScale(data->idleRockScale);
        setSelectedCharacter(KivvoCharacter::vidovu);
        setRockColor(data->rockColor);
        setRockExpression(data->rockExpression);
        setUsesCustomRock(data->usesCustomRock);
    } else {
        // The defaults stay; whatever stands there must survive the first save.
        m_keepUnreadable = m_file.exists();
    }
    m_isLoading = false;
}

void AppState::persist()
{
    if (m_isLoading || m_file.path().isEmpty())
        return;
    const std::optional<QByteArray> bytes = m_data.encode(&m_jsonCache);
    if (!bytes) {
        emit saved(false);
        return;
    }
    if (m_keepUnreadable && m_file.exists() && !m_file.setAside(QDateTime::currentDateTime())) {
        // Overwriting would destroy the user's only copy: keep it and try again next time.
        emit saved(false);
        return;
    }
    m_keepUnreadable = false;
    emit saved(m_file.write(*bytes));
}
