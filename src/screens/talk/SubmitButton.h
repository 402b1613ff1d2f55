#pragma once

#include "SpringAnimation.h"

#include <QAbstractButton>

/// The dark round button with an up arrow that sends a wish. It comes and goes with a fade and a
/// scale from 0.6 on a spring; while it is going or gone it takes no clicks.
class SubmitButton : public QAbstractButton {
    Q_OBJECT

public:
    /// Its side, in points.
    static constexpr int side = 28;
    /// The scale it grows from and shrinks to.
    static constexpr double hiddenScale = 0.6;

    explicit SubmitButton(QWidget *parent = nullptr);

    /// Whether it is (or is becoming) available.
    bool isOffered() const { return m_offered; }
    /// Brings it in or takes it away on its spring.
    void setOffered(bool offered);
    /// How far it has come in: 0 gone, 1 there.
    double presence() const { return m_presence.value(); }

    QSize sizeHint() const override { return {side, side}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_offered = false;
    SpringAnimation<double> m_presence;
};
