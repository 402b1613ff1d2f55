#include "CustomizeView.h"

#include "AppState.h"
#include "Chevron.h"
#include "EnumNames.h"
#include "Labels.h"
#include "PreviewSwitches.h"
#include "RockCard.h"
#include "RockColorLook.h"
#include "SecondaryButton.h"
#include "Sketch.h"
#include "SketchMenu.h"
#include "Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString aroundFaceHint = u"표정 둘레를 한 바퀴 그려줘."_s;
const QString likeItHint = u"마음에 들어?"_s;

constexpr int sideInset = 24;
constexpr int cardsHeight = 128;
constexpr qreal backChevronWidth = 10;

/// "그만두기" with a left chevron before it; the whole rectangle takes the click.
class StopButton : public QAbstractButton {
public:
    explicit StopButton(QWidget *parent) : QAbstractButton(parent)
    {
        setText(u"그만두기"_s);
        setFont(Theme::handwriting(14, QFont::Bold));
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        const QSizeF chevron = Chevron::boxSize(backChevronWidth);
        setFixedSize(int(std::ceil(chevron.width() + 4 + QFontMetricsF(font()).horizontalAdvance(text()))),
                     24);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        const QSizeF chevron = Chevron::boxSize(backChevronWidth);
        Chevron::paint(painter, QPointF(0, (height() - chevron.height()) / 2), Chevron::Direction::left,
                       backChevronWidth);
        painter.setPen(Theme::inkSoft);
        const QRectF words(chevron.width() + 4, 0, width() - chevron.width() - 4, height());
        QRectF drawn;
        painter.drawText(words, Qt::AlignLeft | Qt::AlignVCenter, text(), &drawn);
        if (hasFocus())
            Sketch::paintFocusUnderline(painter, drawn, Theme::inkSoft);
    }
};

QLabel *sectionLabel(const QString &text, QWidget *parent)
{
    QLabel *label = Labels::make(text, Theme::sectionTitle(), Theme::inkSoft, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

/// What the closed menu shows: a mark, then a word in bold handwriting.
QWidget *menuField(QWidget *mark, const QString &word)
{
    auto *field = new QWidget;
    auto *row = new QHBoxLayout(field);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(5);
    mark->setParent(field);
    row->addWidget(mark, 0, Qt::AlignVCenter);
    QLabel *label = Labels::make(word, Theme::handwriting(13, QFont::Bold), Theme::ink, field);
    row->addWidget(label, 0, Qt::AlignVCenter);
    row->addStretch(1);
    return field;
}

QLabel *colorDot(RockColor color)
{
    constexpr int side = 14;
    const qreal ratio = 2;
    QPixmap dot(QSize(side, side) * ratio);
    dot.setDevicePixelRatio(ratio);
    dot.fill(Qt::transparent);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(RockColorLook::body(color));
    painter.drawEllipse(QRectF(0, 0, side, side));
    painter.end();
    auto *label = new QLabel;
    label->setPixmap(dot);
    label->setFixedSize(side, side);
    return label;
}

} // namespace

CustomizeView::CustomizeView(AppState *state, bool redrawing, QWidget *parent)
    : QWidget(parent), m_state(state), m_redrawing(redrawing)
{
    m_modes = new QStackedWidget(this);
    m_modes->addWidget(makePicker());
    m_modes->addWidget(makeRedraw());
    m_modes->setCurrentIndex(m_redrawing ? 1 : 0);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_modes);
    // The store's signals come before it holds the new values: read it once they are all through.
    connect(m_state, &AppState::willChange, this,
            [this] { QMetaObject::invokeMethod(this, &CustomizeView::followStore, Qt::QueuedConnection); });
    followStore();
}

QString CustomizeView::colorTitle(RockColor color)
{
    switch (color) {
    case RockColor::original:
        return u"안정 · 균형"_s;
    case RockColor::black:
        return u"강인함 · 보호"_s;
    case RockColor::red:
        return u"열정 · 사랑"_s;
    case RockColor::orange:
        return u"용기 · 긍정"_s;
    case RockColor::yellow:
        return u"행운 · 재물"_s;
    case RockColor::green:
        return u"건강 · 성장"_s;
    case RockColor::blue:
        return u"꿈 · 신뢰"_s;
    case RockColor::pink:
        return u"인연 · 행복"_s;
    }
    return {};
}

QString CustomizeView::expressionEmoji(RockExpression expression)
{
    switch (expression) {
    case RockExpression::none:
        return u"😶"_s;
    case RockExpression::smile:
        return u"🙂"_s;
    case RockExpression::scary:
        return u"\U0001F635\u200D\U0001F4AB"_s;
    }
    return {};
}

QString CustomizeView::expressionWord(RockExpression expression)
{
    switch (expression) {
    case RockExpression::none:
        return u"무표정"_s;
    case RockExpression::smile:
        return u"웃음"_s;
    case RockExpression::scary:
        return u"어지러움"_s;
    }
    return {};
}

QString CustomizeView::expressionTitle(RockExpression expression)
{
    return expressionEmoji(expression) + u"  "_s + expressionWord(expression);
}

void CustomizeView::startRedraw()
{
    applyNoDraft();
    applyRedrawing(true);
}

void CustomizeView::cancelRedraw()
{
    applyNoDraft();
    applyRedrawing(false);
}

void CustomizeView::keepDraft()
{
    if (!draft())
        return;
    const CustomRockShape kept = *draft();
    m_state->setCustomRockShape(kept);
    m_state->setUsesCustomRock(true);
    cancelRedraw();
}

void CustomizeView::clearDraft()
{
    applyNoDraft();
}

void CustomizeView::applyNoDraft()
{
    m_drawing->setDraft(std::nullopt);
    m_drawing->setHint(aroundFaceHint);
}

QWidget *CustomizeView::makePicker()
{
    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(sideInset, 12, sideInset, 0);
    column->setSpacing(10);
    auto *mine = new QVBoxLayout;
    mine->setSpacing(8);
    mine->addWidget(sectionLabel(u"내 돌"_s, page));
    mine->addWidget(makeCards(page));
    auto *redrawRow = new QHBoxLayout;
    redrawRow->addStretch(1);
    m_redraw = new SecondaryButton(QString(), page);
    connect(m_redraw, &QAbstractButton::clicked, this, &CustomizeView::startRedraw);
    redrawRow->addWidget(m_redraw);
    mine->addLayout(redrawRow);
    column->addLayout(mine);
    column->addSpacing(22);
    column->addWidget(makeMenus(page));
    column->addStretch(1);
    return page;
}

QWidget *CustomizeView::makeCards(QWidget *parent)
{
    auto *cards = new QWidget(parent);
    cards->setFixedHeight(cardsHeight);
    auto *row = new QHBoxLayout(cards);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    m_readyMade = new RockCard(u"기본 돌"_s, cards);
    m_drawn = new RockCard(u"내가 그린 돌"_s, cards);
    connect(m_readyMade, &QAbstractButton::clicked, this, [this] { m_state->setUsesCustomRock(false); });
    connect(m_drawn, &QAbstractButton::clicked, this, [this] { m_state->setUsesCustomRock(true); });
    row->addWidget(m_readyMade, 1);
    row->addWidget(m_drawn, 1);
    return cards;
}

QWidget *CustomizeView::makeMenus(QWidget *parent)
{
    auto *menus = new QWidget(parent);
    auto *column = new QVBoxLayout(menus);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    AppState *state = m_state;
    m_colorMenu = makeSketchMenu(
        allCases<RockColor>(), [state] { return state->rockColor(); },
        [state](const RockColor &color) { state->setRockColor(color); }, &CustomizeView::colorTitle,
        [](const RockColor &color) { return QIcon(QPixmap::fromImage(RockColorLook::menuSwatch(color))); },
        [](const RockColor &color) { return menuField(colorDot(color), colorTitle(color)); }, menus);
    // The swatches show at their own size, smaller than the menu's usual icons.
    m_colorMenu->setIconSize(RockColorLook::menuSwatch(RockColor::original).deviceIndependentSize().toSize());
    m_expressionMenu = makeSketchMenu(
        allCases<RockExpression>(), [state] { return state->rockExpression(); },
        [state](const RockExpression &expression) { state->setRockExpression(expression); },
        &CustomizeView::expressionTitle, {},
        [](const RockExpression &expression) {
            QLabel *emoji = new QLabel(expressionEmoji(expression));
            emoji->setFont(Theme::emoji(14));
            return menuField(emoji, expressionWord(expression));
        },
        menus);
    QStringList words;
    for (RockExpression expression : allCases<RockExpression>())
        words.append(expressionWord(expression));
    m_expressionMenu->setSpokenTitles(words);
    for (auto [title, menu] : {std::pair{u"색"_s, m_colorMenu}, std::pair{u"표정"_s, m_expressionMenu}}) {
        menu->setAccessibleName(title);
        menu->setFixedWidth(menuWidth);
        auto *row = new QHBoxLayout;
        row->setSpacing(12);
        QLabel *label = sectionLabel(title, menus);
        label->setBuddy(menu); // the label names the box for assistive technology
        row->addWidget(label);
        row->addStretch(1);
        row->addWidget(menu);
        column->addLayout(row);
    }
    return menus;
}

QWidget *CustomizeView::makeRedraw()
{
    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(sideInset, 0, sideInset, 0);
    column->setSpacing(0);
    column->addStretch(1);
    column->addSpacing(12);
    auto *back = new StopButton(page);
    connect(back, &QAbstractButton::clicked, this, &CustomizeView::cancelRedraw);
    column->addWidget(back, 0, Qt::AlignLeft);
    column->addSpacing(12);
    m_drawing = new RockDrawingStep({{u"돌 모양을 그려줘"_s, u"오. 너 닮은 돌."_s}, false, 48, std::nullopt}, page);
    // A prepared drawing is there from the start, not arriving.
    const std::optional<CustomRockShape> prepared = RenderPreview::previewDraft();
    m_drawing->setDraft(prepared, false);
    m_drawing->setHint(prepared ? likeItHint : aroundFaceHint);
    connect(m_drawing, &RockDrawingStep::clearPressed, this, &CustomizeView::clearDraft);
    connect(m_drawing, &RockDrawingStep::keepPressed, this, &CustomizeView::keepDraft);
    column->addWidget(m_drawing);
    column->addStretch(1);
    return page;
}

void CustomizeView::followStore()
{
    const RockAppearance look = m_state->appearance();
    RockAppearance readyMade = look;
    readyMade.customShape.reset();
    m_readyMade->setRock(readyMade);
    std::optional<RockAppearance> drawn;
    if (m_state->customRockShape()) {
        drawn = look;
        drawn->customShape = m_state->customRockShape();
    }
    m_drawn->setRock(drawn);
    const bool usesDrawn = m_state->usesCustomRock();
    m_readyMade->setSelected(!usesDrawn);
    m_drawn->setSelected(usesDrawn && drawn.has_value());
    m_redraw->setText(drawn ? u"다시 그리기"_s : u"내 돌 그리기"_s);
    m_colorMenu->refresh();
    m_expressionMenu->refresh();
}

void CustomizeView::applyRedrawing(bool redrawing)
{
    if (redrawing == m_redrawing)
        return;
    m_redrawing = redrawing;
    m_modes->setCurrentIndex(redrawing ? 1 : 0);
    emit redrawingChanged(redrawing);
}
