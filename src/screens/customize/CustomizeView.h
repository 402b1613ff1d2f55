#pragma once

#include "CustomRockShape.h"
#include "RockColor.h"
#include "RockDrawingStep.h"
#include "RockExpression.h"

#include <QString>
#include <QWidget>

#include <optional>

class AppState;
class QStackedWidget;
class RockCard;
class SketchButton;
class SketchMenu;

/// The screen where the user dresses their rock: which rock is theirs (the ready-made one or the one
/// they drew), its colour and its expression; and, in its redraw mode, a canvas to draw a new outline.
/// Only what is written into the store outlives it; the home screen owns the redraw flag and hides its
/// header while it is on.
class CustomizeView : public QWidget {
    Q_OBJECT

public:
    /// The picker's and the redraw mode's heights.
    static constexpr int pickerHeight = 378;
    static constexpr int redrawHeight = 434;
    /// The menus' width.
    static constexpr int menuWidth = 124;

    /// A customize screen on `state`, in its redraw mode when `redrawing`. A prepared drawing
    /// (KIVVO_DRAWN) starts as the draft.
    CustomizeView(AppState *state, bool redrawing, QWidget *parent = nullptr);

    /// The colour's meaning as the menu shows it, and the expression's menu text.
    static QString colorTitle(RockColor color);
    static QString expressionTitle(RockExpression expression);
    static QString expressionEmoji(RockExpression expression);
    static QString expressionWord(RockExpression expression);

    bool isRedrawing() const { return m_redrawing; }
    /// The outline drawn and not yet kept, and the line under the canvas.
    const std::optional<CustomRockShape> &draft() const { return m_drawing->draft(); }
    const QString &hint() const { return m_drawing->hint(); }

    /// Into the redraw mode with an empty canvas.
    void startRedraw();
    /// Back to the picker, keeping nothing.
    void cancelRedraw();
    /// Stores the draft as the user's rock and switches to it; nothing without a draft.
    void keepDraft();
    /// Wipes the draft for a new try.
    void clearDraft();

    /// The parts, for tests and the preview.
    RockCard *readyMadeCard() const { return m_readyMade; }
    RockCard *drawnCard() const { return m_drawn; }
    SketchButton *redrawButton() const { return m_redraw; }
    SketchMenu *colorMenu() const { return m_colorMenu; }
    SketchMenu *expressionMenu() const { return m_expressionMenu; }
    RockDrawingCanvas *canvas() const { return m_drawing->canvas(); }
    QString heading() const { return m_drawing->title(); }
    QWidget *draftButtons() const { return m_drawing->draftButtons(); }

signals:
    /// The redraw mode was entered or left.
    void redrawingChanged(bool redrawing);

private:
    /// The picker: the two cards, the redraw button and the two menus.
    QWidget *makePicker();
    /// The redraw mode: back, heading, canvas, hint and the keep buttons.
    QWidget *makeRedraw();
    /// The row of the two cards.
    QWidget *makeCards(QWidget *parent);
    /// The colour and expression rows.
    QWidget *makeMenus(QWidget *parent);
    /// Shows the store's rock on the cards and the menus (after the store holds it).
    void followStore();
    /// Switches the mode and tells the home.
    void applyRedrawing(bool redrawing);
    /// An empty canvas, and the words that ask for an outline.
    void applyNoDraft();

    AppState *m_state;
    bool m_redrawing;

    QStackedWidget *m_modes = nullptr;
    RockCard *m_readyMade = nullptr;
    RockCard *m_drawn = nullptr;
    SketchButton *m_redraw = nullptr;
    SketchMenu *m_colorMenu = nullptr;
    SketchMenu *m_expressionMenu = nullptr;
    RockDrawingStep *m_drawing = nullptr;
};
