#pragma once

#include "RockAppearance.h"

#include <QImage>
#include <QWidget>

class AppState;
class IdleRockMetrics;
class IdleRockRoll;

/// The floating rock's window: the user's rock, turned by the roll, in a transparent square that
/// every click passes through and that never takes focus from the application being typed in.
class IdleRockView : public QWidget {
    Q_OBJECT

public:
    /// Follows the store's look, the metrics' sizes and the roll's angle; the window is not shown yet.
    IdleRockView(AppState *state, const IdleRockMetrics *metrics, const IdleRockRoll *roll);

    /// Whether the window is cut to the rock's outline. Needed where no compositor blends the
    /// translucent window: it would otherwise be a black square.
    bool usesShapeMask() const { return m_usesShapeMask; }
    void setUsesShapeMask(bool uses);

    /// The rock as the window shows it now (at the window's pixel ratio).
    const QImage &picture() const { return m_picture; }
    /// How many times the picture was drawn; it is drawn again only when something visible changed.
    int pictureCount() const { return m_pictureCount; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    /// What the picture depends on; a new picture is drawn only when this changes.
    struct Look {
        RockAppearance appearance;
        double degrees = 0;
        double rockSize = 0;
        QSizeF panelSize;
        qreal pixelRatio = 1;
        bool operator==(const Look &) const = default;
    };

    Look currentLook() const;
    /// Draws the picture again when the look changed, then repaints and re-cuts the window.
    void followLook();
    /// The store signals before it holds the new value: look again once it does.
    void followLookLater();
    void applyMask();

    AppState *m_state;
    const IdleRockMetrics *m_metrics;
    const IdleRockRoll *m_roll;
    Look m_look;
    QImage m_picture;
    int m_pictureCount = 0;
    bool m_usesShapeMask = false;
    bool m_lookPending = false; ///< a queued look-again is on its way
};
