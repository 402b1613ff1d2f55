#include "AppDelegate.h"

#include "AppState.h"
#include "IdleRockController.h"
#include "IdleRockView.h"
#include "KWinPointerFeed.h"
#include "LayerShellSurface.h"
#include "PanelPlacement.h"
#include "PanelWindow.h"
#include "PlatformChoice.h"
#include "ScreenCoordinates.h"
#include "ShellPointerFeed.h"
#include "ShellRockLink.h"
#include "ShellRockSurface.h"
#include "StatusItems.h"
#include "Theme.h"

#include <QGuiApplication>
#include <QScreen>

using namespace Qt::Literals::StringLiterals;

namespace {

/// A Wayland session with Kivvo on its X server: the display knows the pointer only over X11 windows.
bool isWaylandSession()
{
    return qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

/// The pointer as the compositor knows it: KWin's script, else Kivvo's GNOME Shell extension; the link
/// to the extension is kept for the rock's surface.
std::shared_ptr<PointerFeed> compositorFeed(const std::shared_ptr<QtDesktop> &desktop,
                                            std::shared_ptr<ShellRockLink> &shellLink)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    auto primaryHeight = [desktop] { return desktop->primaryHeight(); };
    if (std::shared_ptr<PointerFeed> feed = KWinPointerFeed::start(bus, primaryHeight))
        return feed;
    shellLink = ShellRockLink::open(bus);
    return shellLink ? std::make_shared<ShellPointerFeed>(shellLink, primaryHeight) : nullptr;
}

PlatformChoice::Feed feedKind(const std::shared_ptr<PointerFeed> &feed, const std::shared_ptr<ShellRockLink> &shellLink)
{
    if (!feed)
        return PlatformChoice::Feed::none;
    return shellLink ? PlatformChoice::Feed::gnomeShell : PlatformChoice::Feed::kwinScript;
}

IdleRockPlatform rockPlatform(const PlatformChoice &choice, std::shared_ptr<QtDesktop> desktop,
                              std::shared_ptr<PointerFeed> compositorFeed, std::shared_ptr<ShellRockLink> shellLink)
{
    IdleRockPlatform platform = IdleRockPlatform::x11(desktop);
    if (choice.feed != PlatformChoice::Feed::x11)
        platform.makeFeed = [compositorFeed] { return compositorFeed; };
    if (choice.surface == PlatformChoice::Surface::layerShell) {
        platform.makeSurface = [](AppState *state, const IdleRockMetrics *metrics, const IdleRockRoll *roll) {
            std::unique_ptr<RockSurface> surface = LayerShellSurface::make(state, metrics, roll);
            // The compositor went away between the probe and the first show: the X11 window still works.
            if (!surface)
                surface = std::make_unique<IdleRockView>(state, metrics, roll);
            return surface;
        };
    } else if (choice.surface == PlatformChoice::Surface::gnomeShell) {
        platform.makeSurface = [shellLink](AppState *state, const IdleRockMetrics *metrics, const IdleRockRoll *roll) {
            return std::make_unique<ShellRockSurface>(shellLink, state, metrics, roll);
        };
    }
    return platform;
}

/// Why the rock rests instead of following, or nothing when it follows.
QString idleRockNote(const PlatformChoice &choice)
{
    if (choice.feed != PlatformChoice::Feed::none)
        return {};
    // GNOME without Kivvo's extension: say how to turn it on (a shell loads it at the next login).
    if (ShellRockLink::isShellOnBus(QDBusConnection::sessionBus()))
        return u"따라다니게 하려면: gnome-extensions enable %1 (다음 로그인부터)"_s.arg(
            QLatin1String(ShellRockLink::extensionId));
    return u"이 데스크톱은 돌이 커서를 따라가게 두지 않아요"_s;
}

} // namespace

AppDelegate::Parts AppDelegate::desktopParts()
{
    auto desktop = std::make_shared<QtDesktop>();
    const bool wayland = isWaylandSession();
    // The layer shell first: KWin answers nothing while it compiles the script it is given.
    const bool layerShell = wayland && LayerShellSurface::isOffered();
    std::shared_ptr<ShellRockLink> shellLink;
    std::shared_ptr<PointerFeed> feed = wayland ? compositorFeed(desktop, shellLink) : nullptr;
    const PlatformChoice choice = PlatformChoice::choose(wayland, feedKind(feed, shellLink), layerShell);
    if (wayland)
        desktop->usePointerFeed(feed, false);
    Parts parts{desktop, [] { return std::make_unique<StatusItems>(QDBusConnection::sessionBus()); },
                [desktop, platform = rockPlatform(choice, desktop, feed, shellLink)](AppState *state) {
                    return std::make_unique<IdleRockController>(state, desktop, platform);
                },
                [] { return StatusItems::isAvailable(QDBusConnection::sessionBus()); }, idleRockNote(choice)};
    return parts;
}

AppDelegate::AppDelegate(std::unique_ptr<AppState> state, Parts parts, QObject *parent)
    : QObject(parent), m_state(std::move(state)), m_parts(std::move(parts))
{
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::launch()
{
    Theme::registerFonts();
    m_state->setIdleRockNote(m_parts.idleRockNote);
    m_statusItem = m_parts.makeStatusItem();
    m_statusItem->setAppearance(m_state->appearance());
    connect(m_statusItem.get(), &StatusItem::clicked, this, &AppDelegate::followClick);
    m_idleRock = m_parts.makeIdleRock(m_state.get());
    if (m_state->isIdleRockEnabled())
        m_idleRock->showRock(m_parts.desktop->pointer());
    subscribe();
    // Without a tray host the icon cannot be seen: show the panel once so the user can reach it.
    if (!m_parts.isTrayAvailable())
        showPanel();
}

RockAppearance AppDelegate::LookFields::appearance() const
{
    return {character, color, expression, usesCustomRock ? shape : std::nullopt};
}

void AppDelegate::subscribe()
{
    AppState *s = m_state.get();
    m_look = {s->selectedCharacter(), s->rockColor(), s->usesCustomRock(), s->customRockShape(),
              s->rockExpression()};
    connect(s, &AppState::selectedCharacterChanged, this, [this](KivvoCharacter v) {
        m_look.character = v;
        followLook();
    });
    connect(s, &AppState::rockColorChanged, this, [this](RockColor v) {
        m_look.color = v;
        followLook();
    });
    connect(s, &AppState::usesCustomRockChanged, this, [this](bool v) {
        m_look.usesCustomRock = v;
        followLook();
    });
    connect(s, &AppState::customRockShapeChanged, this, [this](const std::optional<CustomRockShape> &v) {
        m_look.shape = v;
        followLook();
    });
    connect(s, &AppState::rockExpressionChanged, this, [this](RockExpression v) {
        m_look.expression = v;
        followLook();
    });
    followLook(); // the first look passes at once, as a subscription's first value does

    connect(s, &AppState::isPanelTallChanged, this, &AppDelegate::followHeight);
    followHeight(s->isPanelTall());

    m_lastIdleRock = s->isIdleRockEnabled(); // the value at subscription is skipped
    connect(s, &AppState::isIdleRockEnabledChanged, this, &AppDelegate::followIdleRock);
}

void AppDelegate::followLook()
{
    const RockAppearance look = m_look.appearance();
    if (m_lastLook == look)
        return;
    m_lastLook = look;
    if (m_statusItem)
        m_statusItem->setAppearance(look);
}

void AppDelegate::followHeight(bool tall)
{
    if (m_lastTall == tall)
        return;
    m_lastTall = tall;
    applyHeight(tall);
}

void AppDelegate::followIdleRock(bool enabled)
{
    if (m_lastIdleRock == enabled)
        return;
    m_lastIdleRock = enabled;
    if (enabled)
        m_idleRock->showRock(m_parts.desktop->pointer());
    else
        m_idleRock->hideRock();
}

void AppDelegate::makePanel()
{
    m_panel = std::make_unique<PanelWindow>(m_state.get());
    // Once the window manager has framed the panel its chrome is known: place it again with it. The
    // height last followed, as this may come amid a change of height, before the state holds it.
    connect(m_panel.get(), &PanelWindow::chromeChanged, this, [this] { applyHeight(m_lastTall.value_or(false)); });
}

void AppDelegate::followClick(std::optional<QPointF> at)
{
    // The pointer is on the icon now; with the host's point it anchors the panel when the tray host
    // hides the icon's place.
    const Desktop &desktop = *m_parts.desktop;
    PanelPlacement::Click click;
    if (at) {
        click.hostPoint = ScreenCoordinates::flipped(*at, desktop.primaryHeight());
        const std::optional<DesktopScreen> screen = desktop.screenAt(*click.hostPoint);
        click.hostPointOnScreen = screen && screen->holds(*click.hostPoint);
    }
    if (desktop.knowsPointer())
        click.pointer = desktop.pointer();
    m_clickPoint = PanelPlacement::clickPoint(click);
    togglePanel();
}

void AppDelegate::togglePanel()
{
    if (m_panel && m_panel->isInSight()) {
        m_panel->hide();
        return;
    }
    showPanel();
}

void AppDelegate::showPanel()
{
    if (!m_panel)
        makePanel();
    // Out of sight (another workspace, minimised): mapped afresh here, whole and in front.
    if (!m_panel->isInSight())
        m_panel->withdraw();
    applyHeight(m_state->isPanelTall());
    m_panel->show();
    m_panel->raise();
    m_panel->activateWindow();
    // One "above" layer on X11: the last raised wins, and the rock floats above the panel.
    if (m_idleRock)
        m_idleRock->raise();
}

std::optional<AppDelegate::PanelFrame> AppDelegate::panelFrame(bool tall) const
{
    const double primaryHeight = m_parts.desktop->primaryHeight();
    const QRectF icon = m_statusItem ? m_statusItem->geometry() : QRectF();
    const QRectF iconUp = icon.isEmpty() ? QRectF() : ScreenCoordinates::flipped(icon, primaryHeight);
    const std::optional<QRectF> item = PanelPlacement::anchorRect(iconUp, m_clickPoint);
    if (!item)
        return std::nullopt;
    const std::optional<DesktopScreen> screen = m_parts.desktop->screenAt(item->center());
    if (!screen)
        return std::nullopt;
    const double chrome = m_panel ? m_panel->chrome(screen->pixelRatio) : 0;
    const QRectF frame = PanelPlacement::panelFrame({*item, screen->visibleFrame}, chrome, tall);
    return PanelFrame{PanelPlacement::integral(ScreenCoordinates::flipped(frame, primaryHeight)),
                      int(std::lround(chrome)), screen->pixelRatio};
}

void AppDelegate::applyHeight(bool tall)
{
    if (!m_panel)
        return;
    const std::optional<PanelFrame> frame = panelFrame(tall);
    if (!frame) {
        centrePanel();
        return;
    }
    setPanelFrame(*frame);
}

void AppDelegate::setPanelFrame(const PanelFrame &place)
{
    // Side borders, if any, widen the frame but not the content.
    const QRect &frame = place.frame;
    const QSize content(frame.width(), frame.height() - place.chrome);
    m_panel->placeFrame(frame.topLeft(), place.pixelRatio);
    m_panel->fitContent(content);
}

void AppDelegate::centrePanel()
{
    const double primaryHeight = m_parts.desktop->primaryHeight();
    const QPointF at = ScreenCoordinates::flipped(QPointF(m_panel->frameGeometry().center()), primaryHeight);
    const std::optional<DesktopScreen> screen = m_parts.desktop->screenAt(at);
    if (!screen)
        return;
    // Its size stays as it was, unless the screen is too short for it: then it is shrunk to fit.
    const QSizeF content = PanelPlacement::centredContent(
        screen->visibleFrame.height(), m_panel->chrome(screen->pixelRatio), m_panel->contentHeight());
    m_panel->fitContent(PanelPlacement::integral(QRectF(QPointF(), content)).size());
    QRectF frame(QPointF(), QSizeF(m_panel->frameGeometry().size()));
    frame.moveCenter(ScreenCoordinates::flipped(screen->visibleFrame, primaryHeight).center());
    m_panel->move(PanelPlacement::integral(frame).topLeft());
}
