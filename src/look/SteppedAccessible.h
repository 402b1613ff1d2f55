#pragma once

#include <QAccessibleWidget>

/// A control read as a slider of whole steps from 0, each step with its word: the word is its value
/// text, and a screen reader sets it through the value interface or the increase and decrease actions,
/// which go where the control's own keys would.
class SteppedAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SteppedAccessible(QWidget *widget) : QAccessibleWidget(widget, QAccessible::Slider) {}

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text kind) const override;
    QVariant currentValue() const override { return step(); }
    /// Goes to the step nearest `value`, within the steps.
    void setCurrentValue(const QVariant &value) override;
    QVariant maximumValue() const override { return lastStep(); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }
    QStringList actionNames() const override;
    void doAction(const QString &name) override;

protected:
    /// The step the control is on, its last step, and a step's word.
    virtual int step() const = 0;
    virtual int lastStep() const = 0;
    virtual QString word(int step) const = 0;
    /// Asks the control for `step`, as its own input would; only a step other than the current one.
    virtual void requestStep(int step) = 0;
};
