#pragma once

#include "CustomRockShape.h"
#include "SpringAnimation.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QWidget>

#include <optional>

class QPainter;

/// The square surface on which the user draws the outline of their own rock with one stroke. Without
/// a mouse, Return (or Enter) draws a plain rounded outline around the face room, judged like a drawn
/// one; the canvas takes the keyboard focus and says so in its accessible description.
/// The caller owns `draft` and `hint`: it hands the canvas their current values with the setters,
/// and the canvas reports its own changes through the signals (never for values set by the caller).
class RockDrawingCanvas : public QWidget {
    Q_OBJECT

public:
    explicit RockDrawingCanvas(QWidget *parent = nullptr);
    ~RockDrawingCanvas() override;

    /// The accepted outline; while set, the canvas shows it and ignores the pointer.
    const std::optional<CustomRockShape> &draft() const;
    void setDraft(std::optional<CustomRockShape> draft);
    /// The outcome text of the last stroke.
    const QString &hint() const;
    void setHint(QString hint);
    /// Shows a faint outline of the ready-made rock while nothing is drawn.
    bool showsOutline() const;
    void setShowsOutline(bool shows);
    /// The points of the stroke in progress, in canvas points; empty between strokes.
    const QList<QPointF> &rawPoints() const;

    /// The size the onboarding gives it: 224 by 224 points.
    QSize sizeHint() const override;

signals:
    /// The canvas accepted a stroke as an outline.
    void draftChanged(const std::optional<CustomRockShape> &draft);
    /// The canvas wrote the outcome of a stroke.
    void hintChanged(const QString &hint);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    /// A stroke whose release can no longer arrive is dropped without a verdict.
    void hideEvent(QHideEvent *event) override;

private:
    /// Adds one pointer position to the stroke, clamped to the margin and thinned by distance.
    void record(QPointF position);
    /// Judges the finished stroke on a canvas of `size` and writes the outcome.
    void complete(QSizeF size);
    /// Starts the drawn rock coming in (or going out) to match `m_draft`.
    void followDraft();
    /// The rounded paper the drawing lies on.
    void paintBackground(QPainter &painter) const;
    /// The stroke so far or the tracing guide, and the eyes over either.
    void paintDrawing(QPainter &painter) const;
    /// The drawn rock, scaled and faded by its transition.
    void paintDraft(QPainter &painter, qreal presence) const;

    std::optional<CustomRockShape> m_draft;
    QString m_hint;
    bool m_showsOutline = false;
    QList<QPointF> m_rawPoints;
    bool m_stroking = false;            ///< a left-button press was seen and its release not yet
    CustomRockShape m_shownRock;        ///< the draft on screen: the current one, or the last while it leaves
    SpringAnimation<double> m_presence; ///< 0 no drawn rock shown, 1 the drawn rock fully in
};
