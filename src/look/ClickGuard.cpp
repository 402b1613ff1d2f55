#include "ClickGuard.h"

#include <QApplication>
#include <QEvent>
#include <QStyleHints>
#include <QWidget>

void ClickGuard::guard(QWidget *root)
{
    if (!root)
        return;
    if (auto *existing = root->findChild<ClickGuard *>(QString(), Qt::FindDirectChildrenOnly)) {
        existing->m_since.restart();
        return;
    }
    new ClickGuard(root);
}

ClickGuard::ClickGuard(QWidget *root) : QObject(root), m_root(root)
{
    m_since.start();
    // Application-wide, since the click goes to whichever child is under the pointer.
    qApp->installEventFilter(this);
}

bool ClickGuard::expired()
{
    if (m_since.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval())
        return false;
    qApp->removeEventFilter(this);
    deleteLater();
    return true;
}

bool ClickGuard::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return false;
    if (expired() || !m_root || !watched->isWidgetType())
        return false;
    const auto *widget = static_cast<QWidget *>(watched);
    return widget == m_root || m_root->isAncestorOf(widget);
}
