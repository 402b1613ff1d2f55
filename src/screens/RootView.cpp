#include "RootView.h"

#include "AppState.h"
#include "Footer.h"
#include "OnboardingView.h"
#include "PanelMetrics.h"
#include "RockPileView.h"
#include "TalkView.h"
#include "Theme.h"
#include "TowerView.h"
#include "WishHandOver.h"

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
}

QWidget *RootView::makeHome()
{
    // The home screen's place until its tabs come: the talk screen (the tower when KIVVO_SCREEN says
    // "tower"), the tower with the new stone falling once a wish is told, and the footer, so the
    // companion can always be quit from its panel.
    auto *home = new QWidget(this);
    home->setObjectName(QStringLiteral("home"));
    auto *column = new QVBoxLayout(home);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    QWidget *first = qEnvironmentVariable("KIVVO_SCREEN") == u"tower"_s
                         ? static_cast<QWidget *>(new TowerView(m_state))
                         : new TalkView(m_state);
    column->addWidget(first, 1);
    column->addWidget(Footer::makeQuitFooter(home));
    connect(WishHandOver::of(m_state), &WishHandOver::handedOver, home, [this, column](const QUuid &id) {
        QLayoutItem *item = column->itemAt(0);
        QWidget *shown = item ? item->widget() : nullptr;
        if (auto *tower = qobject_cast<TowerView *>(shown)) {
            tower->pile()->setDropId(id);
            return;
        }
        auto *tower = new TowerView(m_state, id, id);
        column->insertWidget(0, tower, 1);
        if (shown) {
            column->removeWidget(shown);
            shown->hide();
            shown->deleteLater();
        }
        tower->show();
    });
    return home;
}
