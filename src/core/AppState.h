#pragma once

#include "CustomRockShape.h"
#include "DrawingStroke.h"
#include "KivvoCharacter.h"
#include "RockAppearance.h"
#include "RockColor.h"
#include "RockExpression.h"
#include "SaveData.h"
#include "SaveFile.h"
#include "Wish.h"
#include "WishJsonCache.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

/// The one store of state that outlives a screen. Every assignment first sends `willChange()` and
/// the field's own change signal (carrying the new value, before the field holds it), then stores the
/// value, then, for a saved field, rewrites the save file once. A new subscriber reads the current
/// value once, then connects.
class AppState : public QObject {
    Q_OBJECT

public:
    /// The normal store: loads "Kivvo/data.json" in the user's data folder.
    explicit AppState(QObject *parent = nullptr);
    /// A store on the given save file, created and loaded the normal way.
    explicit AppState(const QString &filePath, QObject *parent = nullptr);
    /// A preview store: reads no file, takes the given values without saving, saves later changes to
    /// `filePath`, which may lie in a shared folder: it never writes through a symlink or into another
    /// user's file there, and then keeps its changes in memory.
    AppState(const QString &filePath, const SaveData &values, QObject *parent = nullptr);

    /// Where the normal store keeps its file; empty when the platform names no data folder.
    static QString defaultFileLocation();

    bool hasOnboarded() const { return m_data.hasOnboarded; }
    const QList<Wish> &wishes() const { return m_data.wishes; }
    KivvoCharacter selectedCharacter() const { return m_data.selectedCharacter; }
    const std::optional<CustomRockShape> &customRockShape() const { return m_data.customRockShape; }
    bool usesCustomRock() const { return m_data.usesCustomRock; }
    RockColor rockColor() const { return m_data.rockColor; }
    RockExpression rockExpression() const { return m_data.rockExpression; }
    bool isIdleRockEnabled() const { return m_data.isIdleRockEnabled; }
    double idleRockScale() const { return m_data.idleRockScale; }
    bool isTowerTall() const { return m_isTowerTall; }
    bool isPanelTall() const { return m_isPanelTall; }
    /// True only while the file is being read; saving does nothing meanwhile.
    bool isLoading() const { return m_isLoading; }
    /// Where the save file lives; never changes. Empty when there is nowhere to save.
    QString fileURL() const { return m_file.path(); }
    /// All saved fields as one value.
    const SaveData &saveData() const { return m_data; }

    /// The rock's current look; the custom shape only while it is in use.
    RockAppearance appearance() const;

    void setHasOnboarded(bool value);
    void setWishes(QList<Wish> value);
    void setSelectedCharacter(KivvoCharacter value);
    void setCustomRockShape(std::optional<CustomRockShape> value);
    void setUsesCustomRock(bool value);
    void setRockColor(RockColor value);
    void setRockExpression(RockExpression value);
    void setIsIdleRockEnabled(bool value);
    void setIdleRockScale(double value);
    /// Not saved: the tower starts short at every launch.
    void setIsTowerTall(bool value);
    /// Not saved: the panel starts short at every launch.
    void setIsPanelTall(bool value);

    /// Adds a written wish with the trimmed text; nothing when the text is only white space.
    std::optional<Wish> addWish(const QString &text);
    /// Adds a drawn wish; nothing when no stroke has a point.
    std::optional<Wish> addDrawingWish(const QList<DrawingStroke> &strokes);
    /// Takes the wish with the same id off the pile; the stones above drop into the gap.
    /// (Named so because `delete` is a C++ keyword.)
    void deleteWish(const Wish &wish);

signals:
    /// Sent before any field changes; views redraw from it.
    void willChange();
    void hasOnboardedChanged(bool value);
    void wishesChanged(const QList<Wish> &value);
    void selectedCharacterChanged(KivvoCharacter value);
    void customRockShapeChanged(const std::optional<CustomRockShape> &value);
    void usesCustomRockChanged(bool value);
    void rockColorChanged(RockColor value);
    void rockExpressionChanged(RockExpression value);
    void isIdleRockEnabledChanged(bool value);
    void idleRockScaleChanged(double value);
    void isTowerTallChanged(bool value);
    void isPanelTallChanged(bool value);
    /// After every attempt to write the save file: whether the file now holds the state.
    void saved(bool ok);

private:
    void load();
    void persist();
    void assignAll(const SaveData &values);
    template <typename T, typename... Args>
    void assign(T &field, T value, void (AppState::*signal)(Args...), bool isSaved);
    Wish stamped(QString text, std::optional<QList<DrawingStroke>> strokes) const;

    SaveData m_data;
    bool m_isTowerTall = false;
    bool m_isPanelTall = false;
    bool m_isLoading = false;
    /// Something unreadable stands at the save path; it is moved aside before it would be replaced.
    bool m_keepUnreadable = false;
    SaveFile m_file;
    WishJsonCache m_jsonCache;
};
