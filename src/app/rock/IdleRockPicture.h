#pragma once

#include "RockAppearance.h"

#include <QImage>
#include <QObject>

#include <functional>

class AppState;
class IdleRockMetrics;
class IdleRockRoll;

/// The floating rock as a picture: the user's rock at the roll's angle, centred in the window's square.
/// Every surface shows this picture; it is drawn again only when something visible changed.
class IdleRockPicture : public QObject {
    Q_OBJECT

public:
    /// Whether the roll's angle is drawn into the picture, or left to a surface that turns it itself.
    enum class Angle { drawn, leftToSurface };

    /// Follows the store's look, the metrics' sizes, the roll's angle (when drawn) and the surface's
    /// pixel ratio (asked on every change).
    IdleRockPicture(AppState *state, const IdleRockMetrics *metrics, const IdleRockRoll *roll,
                    std::function<qreal()> pixelRatio, QObject *parent = nullptr, Angle angle = Angle::drawn);

    /// The picture now, at the surface's pixel ratio.
    const QImage &image() const { return m_image; }
    /// The square's size in points.
    QSizeF panelSize() const { return m_look.panelSize; }
    /// How many times the picture was drawn.
    int count() const { return m_count; }
    /// Draws again if anything visible changed (the pixel ratio, say, after a move to another screen).
    void refresh();
    /// The current look upright, drawn at `pixelRatio` instead of the surface's: for surfaces that
    /// turn a finer copy themselves.
    QImage uprightAt(qreal pixelRatio) const;

signals:
    /// A new picture was drawn.
    void changed();

private:
    /// What the picture depends on.
    struct Look {
        RockAppearance appearance;
        double degrees = 0;
        double rockSize = 0;
        QSizeF panelSize;
        qreal pixelRatio = 1;
        bool operator==(const Look &) const = default;
    };

    Look currentLook() const;
    /// The store signals before it holds the new value: look again once it does.
    void refreshLater();
    /// The picture of `look`, turned by `degrees`, at `pixelRatio`.
    static QImage drawn(const Look &look, double degrees, qreal pixelRatio);

    AppState *m_state;
    const IdleRockMetrics *m_metrics;
    const IdleRockRoll *m_roll;
    std::function<qreal()> m_pixelRatio;
    Angle m_angle;
    Look m_look;
    QImage m_image;
    int m_count = 0;
    bool m_refreshPending = false; ///< a queued look-again is on its way
};
