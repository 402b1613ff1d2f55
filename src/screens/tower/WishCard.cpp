#include "WishCard.h"

#include "AccessibleRole.h"
#include "Chip.h"
#include "DrawingWishRenderer.h"
#include "Labels.h"
#include "Sketch.h"
#include "SketchBox.h"
#include "Theme.h"
#include "WrappedText.h"

#include <QPainter>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

/// The box's heights: one line, and each further line up to three.
constexpr int oneLineHeight = 46;
constexpr int lineStep = 22;
constexpr int maxLines = 3;

} // namespace

WishCard::WishCard(QWidget *parent) : QWidget(parent)
{
    makeBox();
    makeFooter();
}

QFont WishCard::textFont()
{
    return Theme::handwriting(15, QFont::Medium);
}

int WishCard::boxHeight(const Wish &wish, int width)
{
    if (wish.drawingStrokes)
        return oneLineHeight + (maxLines - 1) * lineStep;
    // The lines the card itself lays out, so a line that wraps is never hidden under the box's edge.
    const int lines = WrappedText::lineCount(wish.shownText(), textFont(), width - 2 * insetX);
    return oneLineHeight + (std::min(lines, maxLines) - 1) * lineStep;
}

QString WishCard::dateString(double createdAt)
{
    const std::optional<QDateTime> date = Wish::dateOf(createdAt);
    if (!date)
        return {};
    return QLocale(u"ko_KR"_s).toString(date->toLocalTime(), u"yyyy.MM.dd HH:mm"_s);
}

void WishCard::setWish(const Wish &wish, int boxHeight)
{
    m_wish = wish;
    m_boxHeight = boxHeight;
    const bool drawn = wish.drawingStrokes.has_value();
    m_textArea->setVisible(!drawn);
    m_drawing->setVisible(drawn);
    m_text->setText(drawn ? QString() : wish.shownText());
    m_drawing->setStrokes(drawn ? *wish.drawingStrokes : QList<DrawingStroke>());
    m_textArea->verticalScrollBar()->setValue(0);
    m_date->setText(dateString(wish.createdAt));
    // The wish is the card's name, and the text's, whose scroll area is a stop of the keyboard.
    setAccessibleName(spokenName(wish));
    m_textArea->setAccessibleName(spokenName(wish));
    m_delete->setAccessibleDescription(u"'%1' 돌을 탑에서 내려."_s.arg(spokenName(wish)));
    setFixedHeight(boxHeight + footerGap + footerHeight);
    arrange();
}

QString WishCard::spokenName(const Wish &wish)
{
    if (!wish.drawingStrokes)
        return wish.shownText();
    const QString date = dateString(wish.createdAt);
    return date.isEmpty() ? u"그림 소원"_s : u"그림 소원, "_s + date;
}

void WishCard::setArmed(bool armed)
{
    m_armed = armed;
    m_delete->setText(armed ? u"진짜 내려?"_s : u"돌 내리기"_s);
}

void WishCard::setArmBlend(double blend)
{
    m_delete->setFill(Sketch::blend(Theme::paper, Theme::ink, blend));
    Labels::setTextColour(m_delete, Sketch::blend(Theme::inkSoft, Theme::paper, blend));
}

void WishCard::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrange();
}

void WishCard::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void WishCard::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void WishCard::paintEvent(QPaintEvent *)
{
    if (!m_textArea->hasFocus())
        return;
    QPainter painter(this);
    constexpr double reach = 3;
    Sketch::paintFocusRing(painter, QRectF(m_box->geometry()).adjusted(-reach, -reach, reach, reach),
                           m_box->corner() + reach, Theme::inkSoft, 0);
}

bool WishCard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_textArea && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        update();
    return QWidget::eventFilter(watched, event);
}

void WishCard::makeBox()
{
    m_box = new SketchBox(18, Theme::paper, 1.5, this);
    m_textArea = new QScrollArea(m_box);
    // A stop of the keyboard (the arrows scroll a long wish): read as the wish's text.
    AccessibleRole::set(m_textArea, QAccessible::StaticText);
    m_textArea->installEventFilter(this);
    m_textArea->setFrameShape(QFrame::NoFrame);
    m_textArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_textArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_textArea->setWidgetResizable(true);
    m_textArea->viewport()->setAutoFillBackground(false);
    m_text = new WrappedText(textFont(), Theme::ink);
    m_textArea->setWidget(m_text);
    // The scroll area paints its content's background; the card's paper shows through instead.
    m_text->setAutoFillBackground(false);
    m_drawing = new DrawingWishRenderer(m_box);
    m_drawing->setFitted(true);
    m_drawing->hide();
}

void WishCard::makeFooter()
{
    m_footer = new QWidget(this);
    auto *row = new QHBoxLayout(m_footer);
    row->setContentsMargins(4, 0, 4, 0);
    row->setSpacing(8);
    m_date = Labels::make(QString(), Theme::caption(), Theme::inkSoft, m_footer);
    row->addWidget(m_date, 0, Qt::AlignVCenter);
    row->addStretch(1);
    m_delete = new Chip(u"돌 내리기"_s, Theme::paper, m_footer);
    m_delete->setObjectName(u"deleteChip"_s);
    m_delete->setToolTip(u"이 돌 내리기"_s);
    Labels::setTextColour(m_delete, Theme::inkSoft);
    row->addWidget(m_delete, 0, Qt::AlignVCenter);
    connect(m_delete, &QAbstractButton::clicked, this, &WishCard::deletePressed);
}

void WishCard::arrange()
{
    const int box = m_boxHeight;
    m_box->setGeometry(0, 0, width(), box);
    const QRect inside(insetX, insetY, std::max(0, width() - 2 * insetX), std::max(0, box - 2 * insetY));
    m_textArea->setGeometry(inside);
    m_drawing->setGeometry(inside);
    m_footer->setGeometry(0, box + footerGap, width(), footerHeight);
}
