#pragma once

#include "CustomRockShape.h"
#include "EaseAnimation.h"
#include "SpringAnimation.h"

#include <QString>
#include <QWidget>

#include <array>
#include <optional>

class QLabel;
class RockDrawingCanvas;

/// Drawing a rock's outline, as the first run and the customize screen's redraw show it: a title,
/// the canvas, the line under it and, while a drawing waits, "다시 그리기" and "이걸로 할래", which come
/// and go with a spring. The step shows the draft and the hint it is given and what the canvas
/// makes of a stroke; the screen holding it decides what the two buttons do.
class RockDrawingStep : public QWidget {
    Q_OBJECT

public:
    /// How a screen sets the step out.
    struct Look {
        std::array<QString, 2> titles; ///< without a drawing, and with one
        bool fadesTitle = false;       ///< the titles cross-fade (ease-in-out, 0.25 s) rather than switch
        int buttonRowHeight = 46;
        /// Flexible space at least this high between the hint and the buttons; none: they follow it.
        std::optional<int> roomAboveButtons;
    };

    explicit RockDrawingStep(const Look &look, QWidget *parent = nullptr);

    /// The outline the canvas accepted and that is not yet kept or wiped.
    const std::optional<CustomRockShape> &draft() const { return m_draft; }
    /// The line under the canvas.
    const QString &hint() const { return m_hint; }
    /// Whether the canvas shows the tracing guide.
    bool showsOutline() const { return m_showsOutline; }
    /// The title on show, or the one it is fading into.
    QString title() const;
    RockDrawingCanvas *canvas() const { return m_canvas; }
    /// The two buttons' row: shown while a drawing waits, or fading.
    QWidget *draftButtons() const { return m_draftButtons; }

    /// Shows `draft` on the canvas, in the title and by the buttons, which come or go with their
    /// spring when `animated`, else at once.
    void setDraft(std::optional<CustomRockShape> draft, bool animated = true);
    void setHint(const QString &hint);
    void setShowsOutline(bool shows);

signals:
    /// "다시 그리기" was pressed.
    void clearPressed();
    /// "이걸로 할래" was pressed.
    void keepPressed();

private:
    QWidget *makeTitle(const Look &look);
    QWidget *makeButtons(int height);
    /// Shows the title and the buttons as their animations stand.
    void followTitle();
    void followButtons();

    std::optional<CustomRockShape> m_draft;
    QString m_hint;
    bool m_showsOutline = false;
    bool m_fadesTitle = false;

    std::array<QLabel *, 2> m_titles{}; ///< one over the other
    RockDrawingCanvas *m_canvas = nullptr;
    QLabel *m_hintLabel = nullptr;
    QWidget *m_draftButtons = nullptr;
    EaseAnimation<double> m_titleMix;          ///< 0 shows the first title, 1 the second
    SpringAnimation<double> m_buttonsPresence; ///< 0 gone, 1 fully in
};
