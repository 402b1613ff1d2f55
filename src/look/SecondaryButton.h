#pragma once

#include "SketchButton.h"

/// The small outlined button: ink text on a paper box with corner 18 and a 1.2 point outline, 14
/// points beside and 12 above and below the text; only as wide as its text.
class SecondaryButton : public SketchButton {
    Q_OBJECT

public:
    /// A small button labelled `text`.
    explicit SecondaryButton(const QString &text, QWidget *parent = nullptr);
};
