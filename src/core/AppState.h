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
    /// A store on the given save file, created and loaded the normal way. An empty path keeps
    /// everything in memory.
    explicit AppState(const QString &filePath, QObject *parent = nullptr);
    /// A store on a save file whose calls a test controls.
    explicit AppState(SaveFile file, QObject *parent = nullptr);
    /// A preview store: reads no file, takes the given values without saving, saves later changes to
    /// `filePath`, which may lie in a shared folder: it never writes through a symlink or into another
    /// user's file there, and then keeps its changes in memory.
    AppState(const QString &filePath, const SaveData &values, QObject *parent = nullptr);

    /// Where the normal store keeps its file; empty when there is no absolute data folder to put it in.
    static QString defaultFileLocation();
    /// The per-user data folder by the XDG rules: $XDG_DATA_HOME when absolute (a relative one is
    /// ignored), else $HOME/.local/share when HOME is absolute; empty otherwise.
    static QString dataFolder(const QString &xdgDataHome, const QString &home);

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
    /// What the floating rock cannot do on this desktop, in one short line for the settings screen;
    /// empty where it can do everything. Not saved: the shell sets it at launch.
    const QString &idleRockNote() const { return m_idleRockNote; }
    /// True when nothing is saved: there is no file path, the file could not be read, or saves are held.
    bool runsInMemory() const { return m_file.path().isEmpty() || m_couldNotRead || m_savesHeld; }
    /// Keeps every change in memory from now on, the file untouched: another companion may own it.
    void holdSaves() { m_savesHeld = true; }
    /// True when a save file exists but could not be read (an I/O error, not a broken file): it is
    /// left untouched and nothing is saved over it.
    bool couldNotRead() const { return m_couldNotRead; }
    /// True while saves fail: the last attempt did not reach the file.
    bool isSaveFailing() const { return m_isSaveFailing; }
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
    /// Refuses a value that is not a finite number: it could never be saved.
    void setIdleRockScale(double value);
    /// Not saved: the tower starts short at every launch.
    void setIsTowerTall(bool value);
    /// Not saved: the panel starts short at every launch.
    void setIsPanelTall(bool value);
    void setIdleRockNote(const QString &value);

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
    void idleRockNoteChanged(const QString &value);
    /// After every attempt to write the save file: whether the file now holds the state.
    void saved(bool ok);

private:
    void load();
    void persist();
    /// Notes a save's outcome, saying so once when saving starts to fail.
    void noteSave(bool ok);
    void assignAll(const SaveData &values);
    template <typename T, typename... Args>
    void assign(T &field, T value, void (AppState::*signal)(Args...), bool isSaved);
    Wish stamped(QString text, std::optional<QList<DrawingStroke>> strokes) const;

    SaveData m_data;
    bool m_isTowerTall = false;
    bool m_isPanelTall = false;
    QString m_idleRockNote;
    bool m_isLoading = false;
    /// Something unreadable stands at the save path; it is moved aside before it would be replaced.
    bool m_keepUnreadable = false;
    bool m_savesHeld = false; ///< set once it is unsure that this is the only companion
    bool m_couldNotRead = false;  ///< see couldNotRead()
    bool m_isSaveFailing = false; ///< see isSaveFailing()
    SaveFile m_file;
    WishJsonCache m_jsonCache;
};
