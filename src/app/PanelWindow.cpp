#include "PanelWindow.h"

#include "PanelMetrics.h"
#include "RootView.h"

#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {
// A deactivation this recent was caused by the click being handled, not by the user looking away.
constexpr qint64 clickDeactivationMs = 600;
// The window manager decorates a new window shortly after it is mapped.
constexpr int decorationDelayMs = 150;
} // namespace

PanelWindow::PanelWindow(AppState *state)
    // A title and a close button, nothing else: the panel is never minimised or maximised.
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      m_root(new RootView(state, this))
{
    setWindowTitle(u"키보"_s);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_root);
    setFixedSize(int(PanelMetrics::width), int(PanelMetrics::shortHeight));
}

int PanelWindow::chrome() const
{
    return frameGeometry().height() - geometry().height();
}

bool PanelWindow::isInSight() const
{
    if (!isVisible() || isMinimized())
        return false;
    if (isActiveWindow())
        return true;
    return m_sinceDeactivated.isValid() && m_sinceDeactivated.elapsed() < clickDeactivationMs;
}

bool PanelWindow::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowDeactivate:
        m_sinceDeactivated.start();
        break;
    case QEvent::WindowActivate:
        m_sinceDeactivated.invalidate();
        break;
    case QEvent::Show:
        // The chrome is known only once the window manager has framed the window.
        QTimer::singleShot(decorationDelayMs, this, &PanelWindow::checkChrome);
        break;
    case QEvent::Move:
    case QEvent::Resize:
        checkChrome();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void PanelWindow::checkChrome()
{
    const int now = chrome();
    if (now == m_knownChrome)
        return;
    m_knownChrome = now;
    emit chromeChanged();
}
