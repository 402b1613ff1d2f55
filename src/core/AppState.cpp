#include "AppState.h"

#include "RockPile.h"

#include <QDir>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <cmath>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

AppState::AppState(QObject *parent) : AppState(defaultFileLocation(), parent) {}

AppState::AppState(const QString &filePath, QObject *parent) : AppState(SaveFile(filePath), parent) {}

AppState::AppState(SaveFile file, QObject *parent) : QObject(parent), m_file(std::move(file))
{
    if (m_file.path().isEmpty())
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

QString AppState::dataFolder(const QString &xdgDataHome, const QString &home)
{
    if (QDir::isAbsolutePath(xdgDataHome))
        return QDir::cleanPath(xdgDataHome);
    if (QDir::isAbsolutePath(home))
        return QDir::cleanPath(home + u"/.local/share"_s);
    return {};
}

QString AppState::defaultFileLocation()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QString folder = dataFolder(qEnvironmentVariable("XDG_DATA_HOME"), qEnvironmentVariable("HOME"));
#else
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!QDir::isAbsolutePath(folder))
        folder.clear();
#endif
    // Without an absolute data folder a relative path would land wherever the program was started:
    // run on memory alone rather than guess.
    if (folder.isEmpty()) {
        std::fprintf(stderr, "kivvo: no data folder (HOME and XDG_DATA_HOME are unset or not absolute); "
                             "wishes are kept in memory only and lost when Kivvo quits\n");
        return {};
    }
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
    if (!std::isfinite(value))
        return;
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

void AppState::setIdleRockNote(const QString &value)
{
    assign(m_idleRockNote, value, &AppState::idleRockNoteChanged, false);
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
    const SaveFile::ReadResult found = m_file.read();
    if (found.status == SaveFile::ReadResult::Status::unreadable) {
        // Probably passing (an I/O error): the file may hold years of wishes. Leave it alone and
        // save nothing over it; the next start reads it again.
        m_couldNotRead = true;
        std::fprintf(stderr, "kivvo: could not read %s; your wishes are left untouched there and "
                             "nothing is saved until Kivvo is started again\n",
                     qPrintable(m_file.path()));
        return;
    }
    m_file.removeLeftovers();
    m_isLoading = true;
    const bool wasRead = found.status == SaveFile::ReadResult::Status::read;
    const std::optional<SaveData> data = wasRead ? SaveData::decode(found.bytes) : std::nullopt;
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
        // The defaults stay; bytes that do not decode must survive the first save.
        m_keepUnreadable = wasRead;
    }
    m_isLoading = false;
}

void AppState::persist()
{
    if (m_isLoading || runsInMemory())
        return;
    const std::optional<QByteArray> bytes = m_data.encode(&m_jsonCache);
    if (!bytes) {
        noteSave(false);
        return;
    }
    if (m_keepUnreadable && m_file.exists() && !m_file.setAside(QDateTime::currentDateTime())) {
        // Overwriting would destroy the user's only copy: keep it and try again next time.
        noteSave(false);
        return;
    }
    m_keepUnreadable = false;
    noteSave(m_file.write(*bytes));
}

void AppState::noteSave(bool ok)
{
    if (!ok && !m_isSaveFailing)
        std::fprintf(stderr, "kivvo: could not save %s; changes are kept in memory and saving is "
                             "tried again at the next change\n",
                     qPrintable(m_file.path()));
    m_isSaveFailing = !ok;
    emit saved(ok);
}
