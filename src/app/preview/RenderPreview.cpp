#include "RenderPreview.h"

#include "AnimationClock.h"
#include "PanelMetrics.h"
#include "PreviewStores.h"
#include "RockAsset.h"
#include "RockColorLook.h"
#include "RockImage.h"
#include "RootView.h"
#include "Theme.h"
#include "TowerView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QScreen>

#include <cmath>
#include <cstdio>
#include <numbers>

using namespace Qt::Literals::StringLiterals;

namespace RenderPreview {

namespace {

struct SampleText {
    QString text;
    double seed;
};

const QList<SampleText> &sampleTexts()
{
    static const QList<SampleText> texts{{u"올해는 마음이 단단해지기"_s, 0.2},
                                         {u"가족 모두 건강하기"_s, 0.72},
                                         {u"매일 산책 30분"_s, 0.4},
                                         {u"좋아하는 일로 먹고살기"_s, 0.86},
                                         {u"더 자주 웃기"_s, 0.3}};
    return texts;
}

Wish sampleWish(const QString &text, double seed)
{
    return Wish{QUuid::createUuid(), text, Wish::now(), std::nullopt, seed, std::nullopt};
}

/// KIVVO_WISHES when it is a plain decimal number of at least 1, at most `maxSampleWishes`: a
/// bigger number would only exhaust memory.
std::optional<int> requestedWishCount()
{
    const QString value = qEnvironmentVariable("KIVVO_WISHES");
    static const QRegularExpression digits(u"^[0-9]+$"_s);
    if (!digits.match(value).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qlonglong count = value.toLongLong(&ok);
    if (!ok || count < 1) // a number too long for 64 bits counts as none, as before
        return std::nullopt;
    return int(std::min<qlonglong>(count, maxSampleWishes));
}

constexpr double sheetCell = 224; ///< the canvas side of the sample drawings

QList<QPointF> wobblyStroke(double rx, double ry, double w, double cx, double cy)
{
    QList<QPointF> points;
    for (int i = 0; i < 64; ++i) {
        const double t = 2 * std::numbers::pi * i / 64;
        const double r = 1 + w * std::sin(4 * t + 1);
        points.append(QPointF(cx + rx * r * std::cos(t), cy + ry * r * std::sin(t)));
    }
    return points;
}

RockAppearance characterRock(RockColor color, RockExpression expression = RockExpression::none)
{
    return RockAppearance{KivvoCharacter::vidovu, color, expression, std::nullopt};
}

RockAppearance drawnRock(RockColor color, RockExpression expression = RockExpression::none)
{
    return RockAppearance{KivvoCharacter::vidovu, color, expression, sampleShape()};
}

void paintPortrait(QPainter &painter, const QRectF &cell, const RockAppearance &appearance, double inset)
{
    paintRock(painter, cell.adjusted(inset, inset, -inset, -inset), appearance, 0.5, false, true);
}

void paintMenuBarIcon(QPainter &painter, const QSizeF &size)
{
    // A light strip like a menu bar, so the icon is judged on the background it will sit on.
    painter.fillRect(QRectF(QPointF(), size), QColor(236, 236, 236));
    const QImage icon = RockAsset::menuBarIcon(drawnRock(RockColor::original));
    const QSizeF iconSize(22, 22);
    painter.drawImage(QRectF(QPointF((size.width() - 22) / 2, (size.height() - 22) / 2), iconSize), icon);
}

/// Every colour: the ready-made rock above, the drawn sample rock below.
void paintColors(QPainter &painter, const QSizeF &size)
{
    const auto colors = allCases<RockColor>();
    const double side = size.width() / colors.size();
    for (std::size_t i = 0; i < colors.size(); ++i) {
        paintPortrait(painter, QRectF(i * side, 0, side, side), characterRock(colors[i]), 6);
        paintPortrait(painter, QRectF(i * side, side, side, side), drawnRock(colors[i]), 6);
    }
}

/// Every mouth on the rock's own colour and on black (whose mouth is drawn white), ready-made above,
/// drawn below.
void paintExpressions(QPainter &painter, const QSizeF &size)
{
    const auto expressions = allCases<RockExpression>();
    const double side = size.height() / 2;
    int column = 0;
    for (RockColor color : {RockColor::original, RockColor::black}) {
        for (RockExpression expression : expressions) {
            const double x = column++ * side;
            paintPortrait(painter, QRectF(x, 0, side, side), characterRock(color, expression), 4);
            paintPortrait(painter, QRectF(x, side, side, side), drawnRock(color, expression), 4);
        }
    }
}

void paintStroke(QPainter &painter, const QList<QPointF> &stroke)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(stroke));
    QColor line = Theme::inkSoft;
    line.setAlphaF(0.9);
    painter.setPen(QPen(line, 1.5, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

QString verdictName(RockDrawing::Kind kind)
{
    switch (kind) {
    case RockDrawing::Kind::rock:
        return u"rock"_s;
    case RockDrawing::Kind::tooSmall:
        return u"tooSmall"_s;
    case RockDrawing::Kind::tooTight:
        return u"tooTight"_s;
    }
    return {};
}

/// Each sample stroke in its own canvas, with the rock it became, if any.
void paintDrawnShapes(QPainter &painter, const QSizeF &)
{
    const QList<SampleDrawing> drawings = sampleDrawings();
    for (qsizetype i = 0; i < drawings.size(); ++i) {
        const QRectF cell(i * sheetCell, 0, sheetCell, sheetCell);
        painter.save();
        painter.translate(cell.topLeft());
        painter.setPen(QPen(Theme::inkSoft, 1));
        painter.drawRoundedRect(QRectF(2, 2, sheetCell - 4, sheetCell - 4), 20, 20);
        if (drawings[i].result.kind == RockDrawing::Kind::rock)
            paintRock(painter, QRectF(0, 0, sheetCell, sheetCell),
                      RockAppearance{KivvoCharacter::vidovu, RockColor::original, RockExpression::none,
                                     drawings[i].result.shape},
                      0.5, false, true);
        paintStroke(painter, drawings[i].stroke);
        painter.setPen(Theme::inkSoft);
        painter.setFont(Theme::caption());
        painter.drawText(QRectF(14, sheetCell - 26, sheetCell - 28, 18), Qt::AlignLeft | Qt::AlignVCenter,
                         verdictName(drawings[i].result.kind));
        painter.restore();
    }
}

/// The panel's first screen for a newcomer.
void paintOnboarding(QPainter &painter, const QSizeF &size)
{
    const auto store = PreviewStores::make(PreviewStores::Kind::fresh, {}, {});
    painter.drawImage(QRectF(QPointF(), size), capture(*store, size, painter.device()->devicePixelRatioF()));
}

/// The talk screen on the sample wishes, with the ready-made rock.
void paintTalk(QPainter &painter, const QSizeF &size)
{
    const auto store = PreviewStores::make(PreviewStores::Kind::characterRock, sampleWishes(), sampleShape());
    painter.drawImage(QRectF(QPointF(), size), capture(*store, size, painter.device()->devicePixelRatioF()));
}

/// The tower of the sample wishes with the first one's card open.
void paintTower(QPainter &painter, const QSizeF &size)
{
    const auto store = PreviewStores::make(PreviewStores::Kind::sample, sampleWishes(), sampleShape());
    TowerView tower(store.get());
    const QImage image = captureView(tower, size, painter.device()->devicePixelRatioF(),
                                     [&] { tower.select(store->wishes().first()); });
    painter.drawImage(QRectF(QPointF(), size), image);
}

using SheetPainter = void (*)(QPainter &, const QSizeF &);

struct SheetEntry {
    const char *name;
    QSizeF size;
    SheetPainter paint;
};

const QList<SheetEntry> &sheetEntries()
{
    static const QList<SheetEntry> entries{
        {"01-onboarding-draw", {PanelMetrics::width, PanelMetrics::shortHeight}, paintOnboarding},
        {"02-talk", {PanelMetrics::width, 400}, paintTalk},
        {"03-tower", {PanelMetrics::width, PanelMetrics::shortHeight}, paintTower},
        {"04-menubar-icon", {44, 44}, paintMenuBarIcon},
        {"05-colors", {608, 152}, paintColors},
        {"06-expressions", {552, 184}, paintExpressions},
        {"07-drawn-shapes", {sheetCell * 5, sheetCell}, paintDrawnShapes},
    };
    return entries;
}

} // namespace

QList<Wish> sampleWishes()
{
    const QList<SampleText> &texts = sampleTexts();
    QList<Wish> wishes;
    if (const std::optional<int> count = requestedWishCount()) {
        for (int i = 0; i < *count; ++i)
            wishes.append(sampleWish(texts[i % texts.size()].text, ((37 * i) % 100) / 100.0));
        return wishes;
    }
    for (const SampleText &text : texts)
        wishes.append(sampleWish(text.text, text.seed));
    return wishes;
}

QList<SampleDrawing> sampleDrawings()
{
    struct Parameters {
        double rx, ry, w, cx, cy;
    };
    static constexpr Parameters parameters[] = {{86, 74, 0.14, 106, 112},
                                                {40, 34, 0.06, 66, 70},
                                                {74, 82, 0.12, 140, 100},
                                                {42, 96, 0.10, 112, 112},
                                                {100, 34, 0.09, 112, 112}};
    QList<SampleDrawing> drawings;
    for (const Parameters &p : parameters) {
        QList<QPointF> stroke = wobblyStroke(p.rx, p.ry, p.w, p.cx, p.cy);
        RockDrawing result = CustomRockShape::read(stroke, QSizeF(sheetCell, sheetCell));
        drawings.append({std::move(stroke), std::move(result)});
    }
    return drawings;
}

QList<Sheet> renderSheets()
{
    QList<Sheet> sheets;
    for (const SheetEntry &entry : sheetEntries())
        sheets.append({QString::fromLatin1(entry.name), entry.size});
    return sheets;
}

QImage renderSheet(const QString &name, qreal devicePixelRatio)
{
    for (const SheetEntry &entry : sheetEntries()) {
        if (name != QLatin1String(entry.name))
            continue;
        QImage image((entry.size * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(devicePixelRatio);
        image.fill(Theme::bg);
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        entry.paint(painter, entry.size);
        return image;
    }
    return {};
}

int renderAll(const QString &folder)
{
    QDir().mkpath(folder);
    int written = 0;
    for (const Sheet &sheet : renderSheets())
        written += renderSheet(sheet.name).save(QDir(folder).filePath(sheet.name + u".png"_s)) ? 1 : 0;
    return written;
}

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

int shootAll(const QString &folder)
{
    QDir().mkpath(folder);
    int shot = 0;
    for (const Shot &entry : shots()) {
        ScopedEnvironment environment(entry.env);
        const std::unique_ptr<AppState> state = entry.makeState();
        capture(*state, QSizeF(PanelMetrics::width, entry.height()))
            .save(QDir(folder).filePath(entry.name + u".png"_s));
        ++shot;
    }
    std::fprintf(stderr, "shot %d screens to %s\n", shot, folder.toUtf8().constData());
    return shot;
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
