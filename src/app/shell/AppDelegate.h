#pragma once

#include "CustomRockShape.h"
#include "Desktop.h"
#include "KivvoCharacter.h"
#include "RockAppearance.h"
#include "RockColor.h"
#include "RockExpression.h"

#include <QObject>
#include <QPointF>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class AppState;
class IdleRock;
class PanelWindow;
class StatusItem;

/// The tray companion: owns the store, the tray icon, the panel and the floating rock, and keeps them
/// in step with the store. Subscriptions, made in this order at launch: the icon follows the rock's
/// look, the panel's height follows `isPanelTall`, the floating rock follows `isIdleRockEnabled`.
/// Each handler acts on the value the store delivers, since the store signals before it holds it.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    /// How the delegate makes its parts; tests replace them.
    struct Parts {
        std::shared_ptr<const Desktop> desktop;
        std::function<std::unique_ptr<StatusItem>()> makeStatusItem;
        std::function<std::unique_ptr<IdleRock>(AppState *)> makeIdleRock;
        /// Whether a tray host shows the icon; without one the panel is shown once at launch.
        std::function<bool()> isTrayAvailable;
        /// What the floating rock cannot do on this desktop, for the settings screen; empty where it
        /// can do everything.
        QString idleRockNote;
    };
    /// The parts on a real desktop.
    static Parts desktopParts();

    /// Takes the (already loaded) store; nothing is on screen until `launch`.
    AppDelegate(std::unique_ptr<AppState> state, Parts parts, QObject *parent = nullptr);
    ~AppDelegate() override;

    /// Fonts, tray icon, floating rock and the subscriptions; shows the panel when no tray can.
    void launch();
    /// A click on the tray icon: hides a panel in sight (inactive or not), else shows it under the icon,
    /// above other windows, and activates it; a panel minimised or left on another workspace comes back.
    void togglePanel();
    /// Shows the panel and activates it, whatever its state (another launch asked for it).
    void showPanel();
    /// Gives the panel the frame for `tall`, or centres it when there is none; nothing without a panel.
    void applyHeight(bool tall);
    /// Where the panel goes: its frame in Qt's global coordinates and the chrome's height in it, both
    /// in points of the screen it goes to.
    struct PanelFrame {
        QRect frame;
        int chrome = 0;
        double pixelRatio = 1; ///< of the screen it is on
    };
    /// The panel's frame for `tall`, or nothing when the icon and the click are unknown.
    std::optional<PanelFrame> panelFrame(bool tall) const;

    AppState *state() const { return m_state.get(); }
    StatusItem *statusItem() const { return m_statusItem.get(); }
    /// Null until the first click.
    PanelWindow *panel() const { return m_panel.get(); }

private:
    void subscribe();
    void followClick(std::optional<QPointF> at);
    void followLook();
    void followHeight(bool tall);
    void followIdleRock(bool enabled);
    void makePanel();
    void centrePanel();
    void setPanelFrame(const PanelFrame &place);

    std::unique_ptr<AppState> m_state;
    Parts m_parts;
    std::unique_ptr<StatusItem> m_statusItem;
    std::unique_ptr<IdleRock> m_idleRock;
    std::unique_ptr<PanelWindow> m_panel;
    std::optional<QPointF> m_clickPoint; ///< desktop coordinates; anchors a panel the tray cannot place

    /// The look as delivered so far, field by field.
    struct LookFields {
        KivvoCharacter character;
        RockColor color;
        bool usesCustomRock;
        std::optional<CustomRockShape> shape;
        RockExpression expression;
        RockAppearance appearance() const;
    };
    LookFields m_look{};
    std::optional<RockAppearance> m_lastLook;
    std::optional<bool> m_lastTall;
    std::optional<bool> m_lastIdleRock;
};
