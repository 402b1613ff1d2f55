#include "RootView.h"

#include "AppState.h"
#include "ClickGuard.h"
#include "HomeView.h"
#include "OnboardingView.h"
#include "PanelMetrics.h"
#include "ScreenFocus.h"
#include "Theme.h"

#include <QPainter>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

RootView::RootView(AppState *state, QWidget *parent) : QWidget(parent), m_state(state)
{
    setFixedWidth(int(PanelMetrics::width));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    showScreen(m_state->hasOnboarded());
    // The signal comes before the store holds the new value, so the delivered value decides.
    connect(m_state, &AppState::hasOnboardedChanged, this, &RootView::showScreen);
}

void RootView::paintEvent(QPaintEvent *)
{
    QPainter(this).fillRect(rect(), Theme::bg);
}

void RootView::showScreen(bool hasOnboarded)
{
    if (m_screen && m_showsHome == hasOnboarded)
        return;
    const bool replaces = m_screen != nullptr;
    if (m_screen) {
        m_layout->removeWidget(m_screen);
        m_screen->hide();
        // Later: the change usually comes from a click inside the screen being replaced.
        m_screen->deleteLater();
    }
    m_showsHome = hasOnboarded;
    m_screen = hasOnboarded ? makeHome() : new OnboardingView(m_state, this);
    m_layout->addWidget(m_screen);
    m_screen->show();
    ScreenFocus::settle(m_screen);
    // The click that finished onboarding must not land on the home screen's buttons as well.
    if (replaces)
        ClickGuard::guard(m_screen);
}

QWidget *RootView::makeHome()
{
    return new HomeView(m_state, this);
}
