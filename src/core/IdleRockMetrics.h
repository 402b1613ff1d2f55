#pragma once

#include <QObject>
#include <QRectF>
#include <QSizeF>

#include <optional>

/// The floating rock's sizes, derived from the pointer's screen and the user's size setting.
/// After every `update`, the panel is square with side `rockSize` + 2 × `padding`, both whole and ≥ 1.
class IdleRockMetrics : public QObject {
    Q_OBJECT
    /// Size of the floating panel; always square.
    Q_PROPERTY(QSizeF panelSize READ panelSize NOTIFY panelSizeChanged)
    /// Side of the square the rock image is drawn in.
    Q_PROPERTY(double rockSize READ rockSize NOTIFY rockSizeChanged)
    /// Empty margin on every side between the rock's square and the panel's edge.
    Q_PROPERTY(double padding READ padding NOTIFY paddingChanged)

public:
    /// The panel side reached at the smallest scale (0.5).
    static constexpr double minimumSide = 77.0;
    /// The rock's side and its margin before any screen is known...
    static constexpr double initialRock = 72;
    static constexpr double initialPadding = 10;
    /// ...and the panel side they make: the rock with a margin on either side.
    static constexpr double initialSide = initialRock + 2 * initialPadding;

    /// Sizes for scale 1 before any screen is known.
    explicit IdleRockMetrics(QObject *parent = nullptr);

    /// Current panel size.
    QSizeF panelSize() const { return m_panelSize; }
    /// Current side of the rock's square.
    double rockSize() const { return m_rockSize; }
    /// Current margin around the rock's square.
    double padding() const { return m_padding; }
    /// The panel side scale 1 gives on the last screen seen.
    double baseSide() const { return m_baseSide; }

    /// Recomputes the sizes for the screen's visible frame (kept from last time when absent) and a
    /// scale in [0.5, 1.5]; notifies only the fields that changed. Returns the new panel size.
    QSizeF update(std::optional<QRectF> visibleFrame, double scale);

signals:
    /// The panel size changed.
    void panelSizeChanged(QSizeF panelSize);
    /// The rock's side changed.
    void rockSizeChanged(double rockSize);
    /// The margin changed.
    void paddingChanged(double padding);

private:
    /// The panel side before rounding its parts.
    double panelSide(double scale) const;

    QSizeF m_panelSize{initialSide, initialSide};
    double m_rockSize = initialRock;    ///< published rock side
    double m_padding = initialPadding;  ///< published margin
    double m_baseSide = initialSide;    ///< kept while no screen is given
};
