#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class QWidget;

/// Keeps a double click from reaching what a screen change just put under the pointer: for the
/// platform's double-click interval after `guard`, mouse presses, releases and double clicks on the
/// widget or anything inside it are dropped. The second click of a double click on "keep" must not
/// press the button the next step shows in the same place.
class ClickGuard : public QObject {
    Q_OBJECT

public:
    /// Guards `root` from now on for the double-click interval; guarding again restarts the interval.
    static void guard(QWidget *root);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit ClickGuard(QWidget *root);
    /// Whether the interval has passed; the guard then removes itself.
    bool expired();

    QPointer<QWidget> m_root;
    QElapsedTimer m_since;
};
