#include "RenderPreview.h"

#include "AnimationClock.h"
#include "PanelMetrics.h"
#include "PreviewStores.h"
#include "RootView.h"
#include "Theme.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QScreen>

using namespace Qt::Literals::StringLiterals;

namespace RenderPreview {

namespace {

/// Sets a shot's variables for as long as it lives, then removes them again.
class ScopedEnvironment {
public:
    explicit ScopedEnvironment(const QList<std::pair<QByteArray, QByteArray>> &variables)
    {
        for (const auto &[name, value] : variables) {
            m_previous.append({name, qEnvironmentVariableIsSet(name.constData())
                                         ? std::optional(qgetenv(name.constData()))
                                         : std::nullopt});
            qputenv(name.constData(), value);
        }
    }
    ~ScopedEnvironment()
    {
        // As they were before: set again, or gone.
        for (const auto &[name, value] : m_previous) {
            if (value)
                qputenv(name.constData(), *value);
            else
                qunsetenv(name.constData());
        }
    }

private:
    QList<std::pair<QByteArray, std::optional<QByteArray>>> m_previous;
};

/// Jumps every animation to its end while a capture is made, so screens are captured settled.
class SettledAnimations {
public:
    SettledAnimations() : m_was(AnimationClock::instance().jumpsToEnd())
    {
        AnimationClock::instance().setJumpToEnd(true);
    }
    ~SettledAnimations() { AnimationClock::instance().setJumpToEnd(m_was); }

private:
    bool m_was;
};

double shortHeight()
{
    return PanelMetrics::shortHeight;
}

double tallHeight()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return PanelMetrics::tallContentHeight(
        screen ? std::optional(double(screen->availableGeometry().height())) : std::nullopt);
}

} // namespace

QList<Shot> shots()
{
    using Kind = PreviewStores::Kind;
    const QList<Wish> wishes = sampleWishes();
    const CustomRockShape shape = sampleShape();
    const auto store = [=](Kind kind) { return [=] { return PreviewStores::make(kind, wishes, shape); }; };
    const auto tallTower = [=] { return PreviewStores::make(Kind::tallTower, sampleWishes(), shape); };
    const QByteArray screen = "KIVVO_SCREEN";
    QList<Shot> list{
        {u"01-onboarding-draw"_s, {}, shortHeight, store(Kind::fresh)},
        {u"02-onboarding-drawn"_s, {{"KIVVO_DRAWN", "1"}}, shortHeight, store(Kind::fresh)},
        {u"03-onboarding-blank"_s, {{"KIVVO_BLANK", "1"}}, shortHeight, store(Kind::fresh)},
        {u"04-onboarding-choose"_s, {}, shortHeight, store(Kind::choose)},
        {u"05-talk"_s, {{screen, "talk"}}, shortHeight, store(Kind::sample)},
        {u"06-talk-drawing"_s,
         {{screen, "talk"}, {"KIVVO_TALK", "drawing"}},
         shortHeight,
         store(Kind::sample)},
        {u"07-tower-empty"_s, {{screen, "tower"}}, shortHeight, store(Kind::emptyTower)},
        {u"08-tower"_s, {{screen, "tower"}}, shortHeight, store(Kind::sample)},
        {u"09-tower-selected"_s,
         {{screen, "tower"}, {"KIVVO_SELECT", "1"}},
         shortHeight,
         store(Kind::sample)},
        {u"10-tower-tall"_s, {{screen, "tower"}, {"KIVVO_WISHES", "22"}}, tallHeight, tallTower},
        {u"11-customize"_s, {{screen, "customize"}}, shortHeight, store(Kind::sample)},
        {u"12-customize-redraw"_s, {{screen, "redraw"}}, shortHeight, store(Kind::sample)},
        {u"13-customize-redrawn"_s,
         {{screen, "redraw"}, {"KIVVO_DRAWN", "1"}},
         shortHeight,
         store(Kind::sample)},
        {u"14-settings"_s, {{screen, "settings"}}, shortHeight, store(Kind::sample)},
    };
    return list;
}

QImage capture(AppState &state, const QSizeF &size, qreal devicePixelRatio)
{
    RootView view(&state);
    return captureView(view, size, devicePixelRatio);
}

QImage captureView(QWidget &view, const QSizeF &size, qreal devicePixelRatio,
                   const std::function<void()> &prepare)
{
    SettledAnimations settled;
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.resize(size.toSize());
    view.show();
    if (prepare)
        prepare();
    // Layouts and scroll positions arrive as posted events, sometimes posting more.
    for (int round = 0; round < 4; ++round)
        QCoreApplication::processEvents();
    QImage image((size * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Theme::bg);
    // On the theme's background, not the window's.
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

void savePicture(const QImage &image, const QString &folder, const QString &name, Written &written)
{
    QDir().mkpath(folder); // a folder that cannot be made shows as files that cannot be written
    const QString path = QDir(folder).filePath(name + u".png"_s);
    (image.save(path) ? written.files : written.failed).append(path);
}

OpenShot openShot(const Shot &shot, const std::function<void(RootView &)> &show)
{
    ScopedEnvironment environment(shot.env);
    OpenShot open{shot.makeState(), nullptr};
    open.root = std::make_unique<RootView>(open.state.get());
    show(*open.root);
    return open;
}

Written shootAll(const QString &folder)
{
    Written written;
    for (const Shot &entry : shots()) {
        openShot(entry, [&](RootView &root) {
            const QImage image = captureView(root, QSizeF(PanelMetrics::width, entry.height()), 2);
            savePicture(image, folder, entry.name, written);
        });
    }
    return written;
}

QByteArray pinnedScreenPlatform(const QString &configPath)
{
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    config.write(
        R"({"screens":[{"name":"preview","x":0,"y":0,"width":1440,"height":900,"logicalDpi":96,"dpr":2}]})");
    config.close();
    return "offscreen:configfile=" + QFile::encodeName(configPath);
}

int runDebugWindow()
{
    const auto state = PreviewStores::make(PreviewStores::windowKind(), sampleWishes(), sampleShape());
    RootView view(state.get());
    view.setWindowTitle(u"키보 미리보기"_s);
    view.resize(int(PanelMetrics::width), int(PanelMetrics::shortHeight));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        view.move(screen->availableGeometry().center() - view.rect().center());
    view.show();
    view.raise();
    view.activateWindow();
    return QApplication::exec();
}

} // namespace RenderPreview
