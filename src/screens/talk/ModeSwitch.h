#pragma once

#include "SpringAnimation.h"

#include <QWidget>

class QColor;
class QPainter;

/// The two-segment switch between writing ("글") and drawing ("그림"): a dark knob slides under the
/// chosen word. Assistive technology reads it as one control named "입력 방식" whose value is the word.
class ModeSwitch : public QWidget {
    Q_OBJECT

public:
    /// Which way a wish is told.
    enum class Mode { text, drawing };

    /// Its size, and the knob's and segments' sizes, in points.
    static constexpr int width = 88;
    static constexpr int height = 40;
    static constexpr int segmentWidth = 42;

    explicit ModeSwitch(Mode mode = Mode::text, QWidget *parent = nullptr);

    Mode mode() const { return m_mode; }
    /// Slides the knob to `mode` on its spring.
    void setMode(Mode mode);
    /// The word of a mode.
    static QString label(Mode mode);
    /// Where the knob is: 0 under "글", 1 under "그림".
    double knob() const { return m_knob.value(); }

    QSize sizeHint() const override { return {width, height}; }

signals:
    /// A segment was tapped (its mode, even the current one).
    void modeRequested(Mode mode);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    /// Both words in `colour`, each centred in its segment.
    void paintLabels(QPainter &painter, const QColor &colour) const;

    Mode m_mode;
    SpringAnimation<double> m_knob;
};
