#pragma once

#include "IdleRockPicture.h"
#include "RockSurface.h"

#include <QWidget>

class AppState;
class IdleRockMetrics;
class IdleRockRoll;

/// The floating rock as a Qt window: the user's rock, turned by the roll, in a transparent square that
/// every click passes through and that never takes focus from the application being typed in. Used
/// where the rock cannot have an X connection of its own (`XcbRock`), which costs far less per frame.
class IdleRockView : public QWidget, public RockSurface {
    Q_OBJECT

public:
    /// Follows the store's look, the metrics' sizes and the roll's angle; the window is not shown yet.
    IdleRockView(AppState *state, const IdleRockMetrics *metrics, const IdleRockRoll *roll);

    void setFrame(const QRect &frame) override { setGeometry(frame); }
    void show() override;
    void hide() override { QWidget::hide(); }
    void raise() override { QWidget::raise(); }
    bool isVisible() const override { return QWidget::isVisible(); }

    void setUsesShapeMask(bool uses);

    /// The rock as the window shows it now (at the window's pixel ratio).
    const QImage &picture() const { return m_picture.image(); }
    /// How many times the picture was drawn; it is drawn again only when something visible changed.
    int pictureCount() const { return m_picture.count(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    /// Repaints and re-cuts the window for a new picture.
    void followPicture();
    void applyMask();

    IdleRockPicture m_picture;
    bool m_usesShapeMask = false;
};
