#include "AppState.h"
#include "RenderPreview.h"
#include "RootView.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QWidget>
#include <QTest>

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
    if (valuedRole(role) && (element->text(QAccessible::Value).trimmed().isEmpty() || !element->valueInterface()))
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
        const RenderPreview::Shot shot = RenderPreview::shots().at(index);
        for (const auto &[name, value] : shot.env)
            qputenv(name.constData(), value);
        const std::unique_ptr<AppState> state = shot.makeState();
        RootView root(state.get());
        RenderPreview::captureView(root, QSizeF(320, shot.height()), 1);
        for (const auto &[name, value] : shot.env)
            qunsetenv(name.constData());
        QStringList faults;
        collectFaults(QAccessible::queryAccessibleInterface(&root), faults);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; ")));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
