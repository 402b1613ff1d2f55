#pragma once

#include "Wish.h"

#include <QWidget>

class Chip;
class DrawingWishRenderer;
class QLabel;
class QScrollArea;
class SketchBox;
class WrappedText;

/// The card under the tower that shows the selected wish: its text or drawing in a sketch box, and
/// below it the date and the chip that takes the stone down in two presses.
class WishCard : public QWidget {
    Q_OBJECT

public:
    /// Between the box and the footer row, and the footer row's height.
    static constexpr int footerGap = 6;
    static constexpr int footerHeight = 26;
    /// Space between the box's edge and its text or drawing.
    static constexpr int insetX = 14;
    static constexpr int insetY = 12;

    explicit WishCard(QWidget *parent = nullptr);

    /// The font of a wish's text.
    static QFont textFont();
    /// Height of the box for `wish` on a card `width` wide: 46, 68 or 90 for the one, two or three and
    /// more lines its shown text takes there, 90 for a drawing.
    static int boxHeight(const Wish &wish, int width);
    /// The creation date as the card shows it, in the system's time zone; empty without a valid date.
    static QString dateString(double createdAt);
    /// What a screen reader calls `wish`: its text, or "그림 소원" and its date for a drawing.
    static QString spokenName(const Wish &wish);

    /// The wish on show.
    const Wish &wish() const { return m_wish; }
    /// Shows `wish` (as much of its text as a card shows) in a box `boxHeight` tall, sizing the card
    /// to it.
    void setWish(const Wish &wish, int boxHeight);
    /// Arms or disarms the delete chip; the chip darkens as `blend` goes from 0 to 1.
    void setArmed(bool armed);
    void setArmBlend(double blend);

    /// The delete chip, the text, its scroll area and the drawing (for tests and the preview).
    Chip *deleteChip() const { return m_delete; }
    WrappedText *text() const { return m_text; }
    QScrollArea *textArea() const { return m_textArea; }
    DrawingWishRenderer *drawing() const { return m_drawing; }

signals:
    /// The delete chip was pressed.
    void deletePressed();

protected:
    void resizeEvent(QResizeEvent *event) override;
    /// Taps on the card stay on the card; they do not reach the screen behind it.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    /// The focus mark of the text, around its box.
    void paintEvent(QPaintEvent *event) override;
    /// Repaints the mark as the text gains or loses the focus.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// The box with the text or the drawing.
    void makeBox();
    /// The row with the date and the delete chip.
    void makeFooter();
    /// Puts the box and the footer row in place.
    void arrange();

    Wish m_wish;
    int m_boxHeight = 0;
    bool m_armed = false;
    SketchBox *m_box = nullptr;
    QScrollArea *m_textArea = nullptr;
    WrappedText *m_text = nullptr;
    DrawingWishRenderer *m_drawing = nullptr;
    QWidget *m_footer = nullptr;
    QLabel *m_date = nullptr;
    Chip *m_delete = nullptr;
};
