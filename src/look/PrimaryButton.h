#pragma once

#include "SketchButton.h"

/// The filled main button of a screen: paper text in an ink capsule, as wide as it is offered,
/// 14 points above and below the text.
class PrimaryButton : public SketchButton {
    Q_OBJECT

public:
    /// A main button labelled `text`.
    explicit PrimaryButton(const QString &text, QWidget *parent = nullptr);
};
