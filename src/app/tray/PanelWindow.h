#pragma once

#include <QEvent>
#include <QWidget>

class AppState;
class QGraphicsProxyWidget;
class QGraphicsView;
class QKeyEvent;
class RootView;

/// The floating panel that holds every screen. Closing it only hides it (it is never deleted on
/// close, and closing the last window does not end the companion); it lives as long as the program.
/// The close is accepted (it hides), never ignored, so nothing can hold up quitting. It offers no
/// minimise or maximise; Escape puts it away.
class PanelWindow : public QWidget {
    Q_OBJECT

public:
    /// A hidden panel around the root view of `state`.
    explicit PanelWindow(AppState *state);

    /// The panel's content.
    RootView *rootView() const { return m_root; }
    /// Height of the window manager's title bar and borders in points of a screen of `pixelRatio`
    /// (0 before it has decorated the window). The window manager draws them in the display's pixels,
    /// alike on every monitor, so a panel about to move to a monitor of another scale asks for that one's.
    double chrome(double pixelRatio) const;
    /// Puts the frame's top-left corner at `at` on a screen of `pixelRatio`; only a real change moves
    /// the window (both sides are whole points), or every show would flicker.
    void placeFrame(QPoint at, double pixelRatio);
    /// True while the panel is in front of the user: shown, not minimised, and on the workspace on
    /// show. Being inactive does not take it out of sight.
    bool isInSight() const;
    /// Takes the panel off a workspace or out of its minimised state, so the next show maps it afresh
    /// here, whole and above other windows.
    void withdraw();

    /// Gives the panel's client area `size`: a panel narrower than the content is drawn shrunk, width
    /// and height alike, so every control stays on screen.
    void fitContent(const QSize &size);
    /// How much the content is shrunk: 1 unless the screen is too short for it.
    double contentScale() const { return m_scale; }
    /// The content's height before shrinking, in points.
    double contentHeight() const { return height() / m_scale; }

signals:
    /// The window manager's decoration changed the chrome, or the window went to another screen: the
    /// frame has to be worked out again.
    void chromeChanged();

protected:
    bool event(QEvent *event) override;
    /// Escape puts the panel away, when nothing inside took the key.
    void keyPressEvent(QKeyEvent *event) override;
    /// Tab and Backtab in the shrunk view go round the content's controls.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void checkChrome();
    /// The frame's borders in the display's pixels, as the window manager says (Qt's own idea of them
    /// lags a change of screen) or else as Qt has them.
    QMargins framePixels() const;
    /// Moves the root view into the shrinking view, or back into the panel itself.
    void embedShrunk();
    void embedDirect();
    /// Moves the focus to the next (or previous) control of the content that Tab reaches, going round.
    void tabWithin(bool forward);

    RootView *m_root;
    QGraphicsView *m_view = nullptr;         ///< draws the root view shrunk; made when first needed
    QGraphicsProxyWidget *m_proxy = nullptr; ///< the root view inside it, while shrunk
    double m_scale = 1;
    QMargins m_knownFrame; ///< the borders last seen, in the display's pixels
};
