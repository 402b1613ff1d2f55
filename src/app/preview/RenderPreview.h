#pragma once

#include "AppState.h"
#include "CustomRockShape.h"
#include "PreviewSwitches.h"
#include "RootView.h"
#include "Wish.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;

/// The developer tool that renders the program's looks with fixed sample data into PNG files.
namespace RenderPreview {

/// The side of the canvas the sample strokes are drawn on, as the onboarding canvas is.
inline constexpr double sampleCanvas = 224;
/// One recognised sample stroke of the drawn-shapes sheet.
struct SampleDrawing {
    QList<QPointF> stroke; ///< canvas points
    RockDrawing result;
};

/// Five sample wishes, or KIVVO_WISHES of them when that holds a whole number of at least 1.
QList<Wish> sampleWishes();
/// Five wobbly sample strokes, each with its recognition on the sample canvas.
QList<SampleDrawing> sampleDrawings();

/// A named sheet and its size in points.
struct Sheet {
    QString name;
    QSizeF size;
};
/// The sheets render mode writes, in order.
QList<Sheet> renderSheets();
/// The most sample wishes KIVVO_WISHES can ask for.
inline constexpr int maxSampleWishes = 1000;
/// Paints the named sheet at the given pixel ratio; a null image for an unknown name.
QImage renderSheet(const QString &name, qreal devicePixelRatio = 2);
/// The pictures a mode wrote into its folder, and those it could not write, as paths.
struct Written {
    QStringList files;
    QStringList failed;
};
/// Saves `image` as FOLDER/name.png, making the folder where missing, and notes it in `written`.
void savePicture(const QImage &image, const QString &folder, const QString &name, Written &written);
/// Writes every sheet as FOLDER/name.png at scale 2.
Written renderAll(const QString &folder);

/// One screen of the panel to capture.
struct Shot {
    QString name;                                         ///< also the file name without extension
    QList<std::pair<QByteArray, QByteArray>> env;         ///< set only while the shot is made
    std::function<double()> height;                       ///< content height; the width is always 320
    std::function<std::unique_ptr<AppState>()> makeState; ///< called after `env` is set
};
/// Every shot, in order; sample wishes and shape are made now, once.
QList<Shot> shots();
/// A shot's screen: its state, and the root view over it, handed to `show` (to capture it, or to show
/// it as a window) while the shot's variables are set.
struct OpenShot {
    std::unique_ptr<AppState> state;
    std::unique_ptr<RootView> root;
};
OpenShot openShot(const Shot &shot, const std::function<void(RootView &)> &show);
/// The panel's root view over `state`, settled, at the given size and pixel ratio.
QImage capture(AppState &state, const QSizeF &size, qreal devicePixelRatio = 2);
/// `view` shown off screen at `size`, `prepare`d, settled and drawn at `devicePixelRatio`.
QImage captureView(QWidget &view, const QSizeF &size, qreal devicePixelRatio,
                   const std::function<void()> &prepare = {});
/// Writes every shot as FOLDER/name.png.
Written shootAll(const QString &folder);
/// The offscreen platform on a pinned 1440 x 900 screen described in the file `configPath` (written
/// here), so shots look the same on every machine; the value for QT_QPA_PLATFORM, empty if the file
/// cannot be written.
QByteArray pinnedScreenPlatform(const QString &configPath);
/// Opens the panel's content in an ordinary window and runs the event loop until it closes.
int runDebugWindow();

} // namespace RenderPreview
