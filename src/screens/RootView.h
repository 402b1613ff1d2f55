#pragma once

#include <QWidget>

class AppState;
class QVBoxLayout;

/// The panel's content: the onboarding until the store says it is done, then the home screen, on the
/// theme's background.
class RootView : public QWidget {
    Q_OBJECT

public:
    /// Shows the screen that fits the store's `hasOnboarded` and follows every change of it.
    explicit RootView(AppState *state, QWidget *parent = nullptr);

    /// The screen on show.
    QWidget *currentScreen() const { return m_screen; }

protected:
    /// The background, behind whichever screen is on show.
    void paintEvent(QPaintEvent *event) override;

private:
    /// Puts the screen for `hasOnboarded` in place, unless it is already there.
    void showScreen(bool hasOnboarded);
    /// The screen of an onboarded user.
    QWidget *makeHome();

    AppState *m_state;
    QVBoxLayout *m_layout;
    QWidget *m_screen = nullptr;
    bool m_showsHome = false; ///< which screen `m_screen` is; meaningless while it is null
};
