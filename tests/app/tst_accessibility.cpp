#include "AnimationClock.h"
#include "AppState.h"
#include "RenderPreview.h"
#include "RootView.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QWidget>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

/// Roles a user operates, whatever the widget says about its focus.
bool operableRole(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::Slider:
    case QAccessible::SpinBox:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::PageTab:
    case QAccessible::ListItem:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
        return true;
    default:
        return false;
    }
}

/// Roles whose state is a value a user reads and sets.
bool valuedRole(QAccessible::Role role)
{
    return role == QAccessible::Slider || role == QAccessible::SpinBox || role == QAccessible::ComboBox;
}

/// Roles a screen reader reads the value of through the value interface, not only as text.
bool numericRole(QAccessible::Role role)
{
    return role == QAccessible::Slider || role == QAccessible::SpinBox;
}

/// Whether `element` offers an action besides taking the focus, which every focusable widget offers.
bool hasActions(QAccessibleInterface *element)
{
    QAccessibleActionInterface *actions = element->actionInterface();
    if (!actions)
        return false;
    QStringList names = actions->actionNames();
    names.removeAll(QAccessibleActionInterface::setFocusAction());
    return !names.isEmpty();
}

/// What is wrong with one element a user can operate, or nothing.
QString faultOf(QAccessibleInterface *element)
{
    const QAccessible::Role role = element->role();
    if (role == QAccessible::NoRole || role == QAccessible::Client || role == QAccessible::Pane)
        return QStringLiteral("no role");
    if (element->text(QAccessible::Name).trimmed().isEmpty())
        return QStringLiteral("no name");
    // A screen reader reads a slider's value from its value interface.
    if (valuedRole(role) && (element->text(QAccessible::Value).trimmed().isEmpty() ||
                             (numericRole(role) && !element->valueInterface())))
        return QStringLiteral("no value");
    return {};
}

/// Every element under `element` on show that a user can operate and that lacks a role, a name or
/// a value, as "class 'name': fault".
void collectFaults(QAccessibleInterface *element, QStringList &faults)
{
    const QAccessible::State state = element->state();
    if (state.invisible || state.offscreen)
        return;
    const auto *widget = qobject_cast<const QWidget *>(element->object());
    const bool reachable = widget && (widget->focusPolicy() & Qt::TabFocus);
    const bool operable = reachable || operableRole(element->role()) ||
                          hasActions(element);
    if (operable) {
        const QString fault = faultOf(element);
        if (!fault.isEmpty())
            faults.append(QStringLiteral("%1 '%2': %3")
                              .arg(QString::fromLatin1(element->object()->metaObject()->className()),
                                   element->text(QAccessible::Name), fault));
    }
    for (int i = 0; i < element->childCount(); ++i)
        if (QAccessibleInterface *child = element->child(i))
            collectFaults(child, faults);
}

/// The controls Tab reaches in `root`, in order, starting after `root` itself.
QList<QWidget *> tabChain(QWidget *root)
{
    QList<QWidget *> chain;
    for (QWidget *next = root->nextInFocusChain(); next != root; next = next->nextInFocusChain()) {
        if ((next->focusPolicy() & Qt::TabFocus) && next->isEnabled() && next->isVisibleTo(root) &&
            root->isAncestorOf(next))
            chain.append(next);
    }
    return chain;
}

QString nameOf(QWidget *widget)
{
    QAccessibleInterface *element = QAccessible::queryAccessibleInterface(widget);
    return element ? element->text(QAccessible::Name) : QString();
}

/// The screen of the shot at `index`, shown as a window of its own and settled.
RenderPreview::OpenShot shownShot(int index)
{
    const RenderPreview::Shot shot = RenderPreview::shots().at(index);
    return RenderPreview::openShot(shot, [&](RootView &root) {
        root.resize(320, int(shot.height()));
        root.show();
        for (int round = 0; round < 4; ++round)
            QCoreApplication::processEvents();
    });
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea)); }

    void everyControlIsNamed_data()
    {
        QTest::addColumn<int>("index");
        const QList<RenderPreview::Shot> shots = RenderPreview::shots();
        for (int i = 0; i < shots.size(); ++i)
            QTest::newRow(qPrintable(shots[i].name)) << i;
    }

    void everyControlIsNamed()
    {
        QFETCH(int, index);
        const RenderPreview::OpenShot screen = shownShot(index);
        QStringList faults;
        collectFaults(QAccessible::queryAccessibleInterface(screen.root.get()), faults);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; ")));
    }

    void focusIsSeenAndQuitIsLast_data() { everyControlIsNamed_data(); }

    // Every stop of the keyboard looks different while it has the focus, and "종료" is the last stop,
    // after the content.
    void focusIsSeenAndQuitIsLast()
    {
        QFETCH(int, index);
        AnimationClock::instance().setJumpToEnd(true);
        const RenderPreview::OpenShot screen = shownShot(index);
        screen.root->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(screen.root.get()));
        const QList<QWidget *> chain = tabChain(screen.root.get());
        QVERIFY(!chain.isEmpty());
        QCOMPARE(nameOf(chain.last()), QStringLiteral("종료"));
        QStringList unmarked;
        for (QWidget *stop : chain) {
            // The stop and what is around it, where a mark may go round the box that holds it.
            const QRect around(stop->mapTo(screen.root.get(), QPoint(-16, -16)), stop->size() + QSize(32, 32));
            screen.root->setFocus(Qt::OtherFocusReason);
            const QImage before = screen.root->grab(around).toImage();
            stop->setFocus(Qt::TabFocusReason);
            const QImage after = screen.root->grab(around).toImage();
            if (before == after)
                unmarked.append(nameOf(stop) + u'(' + QString::fromLatin1(stop->metaObject()->className()) + u')');
        }
        AnimationClock::instance().setJumpToEnd(false);
        QVERIFY2(unmarked.isEmpty(), qPrintable(u"no focus mark: "_s + unmarked.join(u", "_s)));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
