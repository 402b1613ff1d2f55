#pragma once

#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>

class AppState;
class RootView;

/// The floating panel that holds every screen. Closing it only hides it (it is never deleted on
/// close, and closing the last window does not end the companion); it lives as long as the program.
/// The close is accepted (it hides), never ignored, so nothing can hold up quitting.
class PanelWindow : public QWidget {
    Q_OBJECT

public:
    /// A hidden panel around the root view of `state`.
    explicit PanelWindow(AppState *state);

    /// The panel's content.
    RootView *rootView() const { return m_root; }
    /// Height of the window manager's title bar and borders (0 before it has decorated the window).
    int chrome() const;
    /// True while the user can be taken to see the panel: active, or deactivated just now (a click on
    /// the tray icon itself may take the focus before the click is reported).
    bool isInSight() const;

signals:
    /// The window manager's decoration changed the chrome: the frame has to be worked out again.
    void chromeChanged();

protected:
    bool event(QEvent *event) override;

private:
    void checkChrome();

    RootView *m_root;
    int m_knownChrome = 0;
    QElapsedTimer m_sinceDeactivated; ///< invalid while active or never shown
};
