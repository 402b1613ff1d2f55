#include "TalkView.h"

#include "AccessibleRole.h"
#include "AppState.h"
#include "Delay.h"
#include "DrawingWishCanvas.h"
#include "Footer.h"
#include "Labels.h"
#include "RockImage.h"
#include "ScreenFocus.h"
#include "SketchBox.h"
#include "SketchButton.h"
#include "SubmitButton.h"
#include "Theme.h"
#include "WishHandOver.h"
#include "WishInputField.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <functional>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

/// The column's inset on either side.
constexpr int sideInset = 24;
/// The rock: its size and the space above it; the speech and the composer each 28 below the last.
constexpr double rockSize = 128;
constexpr double rockTop = 12;
constexpr double rockHop = 0.1;
constexpr double gap = 28;
/// The speech's extra space between lines.
constexpr double speechLineSpacing = 4;
/// The text area's insets in the box: 14 left, 48 right (room for the button).
constexpr int areaLeft = 14;
constexpr int areaRight = 48;
/// The submit button's distance from the box's right and bottom edges.
constexpr int submitInset = 8;
/// The bottom row's distance from the bottom edge, and its height (the mode switch's).
constexpr int bottomInset = 8;

constexpr Spring hopSpring{0.28, 0.45};
constexpr double hopSeconds = 0.22;
constexpr Spring modeSpring{0.24, 0.8};

const QString &speech()
{
    static const QString text = u"무슨 소원이든 들려줘.\n나 입 무거워."_s;
    return text;
}

QFont speechFont()
{
    return Theme::handwriting(16, QFont::DemiBold);
}

/// Lays out the rock's line centred at `width` and calls `visit` with each line and its top, counted
/// from the first line's top with 4 points between lines.
void forEachSpeechLine(double width, const std::function<void(const QTextLine &, double)> &visit)
{
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    double top = 0;
    for (const QString &paragraph : speech().split(u'\n')) {
        QTextLayout layout(paragraph, speechFont());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
            line.setLineWidth(std::max(width, 1.0));
        layout.endLayout();
        for (int i = 0; i < layout.lineCount(); ++i) {
            visit(layout.lineAt(i), top);
            top += layout.lineAt(i).height() + speechLineSpacing;
        }
    }
}

} // namespace

QString TalkView::placeholder()
{
    return u"소원은 말할수록 선명해져."_s;
}

QString TalkView::drawingPlaceholder()
{
    return u"소원은 그릴수록 선명해져."_s;
}

TalkView::TalkView(AppState *state, QWidget *parent)
    : QWidget(parent), m_state(state), m_mode(initialMode()), m_bounce(0), m_boxHeight(0)
{
    // The rock's line is painted; this stand-in over it puts its words in the accessibility tree.
    m_speechText = new QWidget(this);
    m_speechText->setAttribute(Qt::WA_TransparentForMouseEvents);
    AccessibleRole::set(m_speechText, QAccessible::StaticText);
    m_speechText->setAccessibleName(QString(speech()).replace(u'\n', u' '));
    makeComposer();
    makeBottomRow();
    connect(&m_bounce, &Animation::changed, this, [this] { update(QRect(0, 0, width(), composerTop())); });
    connect(&m_boxHeight, &Animation::changed, this, &TalkView::arrange);
    // The look may change while the screen is up; the store holds it once its signals are through.
    connect(m_state, &AppState::willChange, this,
            [this] { QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection); });
    applyComposer(Motion::instant());
}

TalkView::InputMode TalkView::initialMode()
{
    return qEnvironmentVariable("KIVVO_TALK") == u"drawing"_s ? InputMode::drawing : InputMode::text;
}

void TalkView::setMode(InputMode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    m_modeSwitch->setMode(mode);
    applyComposer(Motion::on(modeSpring));
    if (mode == InputMode::text)
        m_field->setFocus(Qt::OtherFocusReason);
}

bool TalkView::canSubmit() const
{
    // A syllable still being composed counts: the arrow sends what the user sees.
    return !(m_composing ? m_field->shownText() : m_text).trimmed().isEmpty();
}

bool TalkView::canSubmitDrawing() const
{
    const QList<DrawingStroke> &strokes = m_canvas->strokes();
    return std::any_of(strokes.cbegin(), strokes.cend(), [](const DrawingStroke &s) { return s.shows(); });
}

int TalkView::estimatedTextLineCount() const
{
    // What the box shows: the text with the syllable being composed, or the hint while empty.
    QString shown = m_field->shownText();
    if (shown.isEmpty())
        shown = placeholder();
    const int lines = WishInputField::countLines(shown, WishInputField::fieldFont(), textInputMeasureWidth);
    return std::clamp(lines, 1, textComposerMaxLines);
}

void TalkView::submit(const QString &text)
{
    if (text.trimmed().isEmpty())
        return;
    const std::optional<Wish> wish = m_state->addWish(text);
    if (!wish)
        return;
    m_text.clear();
    m_field->setText(QString());
    applyComposer(Motion::instant());
    completeSubmit(wish->id);
}

void TalkView::submitDrawing()
{
    if (!canSubmitDrawing())
        return;
    QList<DrawingStroke> strokes = m_canvas->strokes();
    strokes.removeIf([](const DrawingStroke &s) { return s.points.isEmpty(); });
    const std::optional<Wish> wish = m_state->addDrawingWish(strokes);
    if (!wish)
        return;
    m_canvas->setStrokes({});
    completeSubmit(wish->id);
}

void TalkView::completeSubmit(const QUuid &id)
{
    m_bounce.animateTo(1, hopSpring);
    auto *settle = new Delay(this);
    connect(settle, &Animation::finished, this, [this, settle] {
        m_bounce.animateTo(0, hopSpring);
        settle->deleteLater();
    });
    settle->start(hopSeconds);
    // The store's hand-over, not this screen, delivers it: the screen may be gone by then.
    WishHandOver::of(m_state)->handOver(id, handOverDelay);
}

void TalkView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    paintRockAtTop(painter);
    paintSpeech(painter);
}

void TalkView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Text is laid out when the width changes, not on each frame of the box's spring.
    m_speechHeight = speechHeight();
    m_speechText->setGeometry(QRectF(sideInset, rockTop + rockSize + gap, width() - 2 * sideInset, m_speechHeight)
                                  .toAlignedRect());
    arrange();
}

void TalkView::makeComposer()
{
    m_composer = new SketchBox(composerCorner, Theme::paper, 1.5, this);
    m_placeholder = Labels::make(placeholder(), Theme::placeholder(), Theme::inkSoft, m_composer);
    m_placeholder->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_placeholder->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_field = new WishInputField(maxWishLength, textComposerMaxLines, m_composer);
    // The painted placeholder is not the field's: a screen reader hears it as the description.
    m_field->setAccessibleName(u"소원"_s);
    m_field->setAccessibleDescription(placeholder());
    ScreenFocus::markStart(m_field);
    connect(m_field, &WishInputField::submitted, this, &TalkView::submit);
    connect(m_field, &WishInputField::textEdited, this, &TalkView::followText);
    connect(m_field, &WishInputField::composingChanged, this, [this](bool composing) {
        m_composing = composing;
        applyComposer(Motion::instant());
    });
    m_canvas = new DrawingWishCanvas(m_composer);
    connect(m_canvas, &DrawingWishCanvas::strokesChanged, this, &TalkView::followStrokes);
    m_drawingPlaceholder =
        Labels::make(drawingPlaceholder(), Theme::placeholder(), Theme::inkSoft, m_composer);
    m_drawingPlaceholder->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_drawingPlaceholder->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_submit = new SubmitButton(m_composer);
    connect(m_submit, &QAbstractButton::clicked, this, [this] {
        if (m_mode == InputMode::text)
            m_field->send(); // through Return's path, so a syllable being composed goes too
        else
            submitDrawing();
    });
}

void TalkView::makeBottomRow()
{
    m_erase =
        Footer::makeTextButton(u"지우기"_s, Theme::handwriting(10, QFont::Medium), Theme::inkSoft, this);
    m_erase->setObjectName(u"erase"_s);
    connect(m_erase, &QAbstractButton::clicked, this, [this] { m_canvas->setStrokes({}); });
    m_modeSwitch = new ModeSwitch(m_mode, this);
    connect(m_modeSwitch, &ModeSwitch::modeRequested, this, &TalkView::setMode);
}

void TalkView::followText(const QString &text)
{
    m_text = text;
    applyComposer(Motion::instant());
}

void TalkView::followStrokes()
{
    applyComposer(Motion::instant());
}

void TalkView::applyComposer(const Motion &motion)
{
    const bool writing = m_mode == InputMode::text;
    m_field->setVisible(writing);
    m_placeholder->setVisible(writing && m_text.isEmpty() && !m_composing);
    m_canvas->setVisible(!writing);
    m_drawingPlaceholder->setVisible(!writing && !canSubmitDrawing());
    m_submit->setOffered(writing ? canSubmit() : canSubmitDrawing());
    m_erase->setVisible(!writing && canSubmitDrawing());
    m_lines = estimatedTextLineCount();
    m_boxHeight.animateTo(composerHeight(), motion);
    arrange();
}

void TalkView::arrange()
{
    const int column = std::max(0, width() - 2 * sideInset);
    const int box = int(std::lround(m_boxHeight.value()));
    m_composer->setGeometry(sideInset, composerTop(), column, box);
    const int area = std::max(0, column - areaLeft - areaRight);
    const QRect textArea(areaLeft, textComposerVerticalPadding, area, textComposerLineStep * m_lines);
    m_field->setGeometry(textArea);
    m_placeholder->setGeometry(textArea);
    const int padHeight = textComposerLineStep * textComposerMaxLines + 2 * textComposerVerticalPadding;
    m_canvas->setGeometry(areaLeft, drawingComposerVerticalPadding, area, padHeight);
    if (m_canvas->size() != m_canvasMaskSize) {
        m_canvasMaskSize = m_canvas->size();
        QPainterPath clip;
        clip.addRoundedRect(QRectF(m_canvas->rect()), composerCorner, composerCorner);
        m_canvas->setMask(QRegion(clip.toFillPolygon().toPolygon()));
    }
    m_drawingPlaceholder->setGeometry(areaLeft, textComposerVerticalPadding, area, textComposerLineStep);
    m_submit->move(column - submitInset - SubmitButton::side, box - submitInset - SubmitButton::side);
    m_submit->raise();
    // The screen is laid out at its own height from the top, whatever its slot: a taller slot leaves
    // room below, a shorter one cuts the bottom row off rather than squeezing it up.
    const int rowTop = screenHeight - bottomInset - ModeSwitch::height;
    m_modeSwitch->move(width() - sideInset - ModeSwitch::width, rowTop);
    const QSize erase = m_erase->sizeHint();
    m_erase->setGeometry(sideInset, rowTop + (ModeSwitch::height - erase.height()) / 2, erase.width(),
                         erase.height());
}

int TalkView::composerHeight() const
{
    if (m_mode == InputMode::drawing)
        return textComposerLineStep * textComposerMaxLines + 2 * textComposerVerticalPadding +
               2 * drawingComposerVerticalPadding;
    return textComposerLineStep * m_lines + 2 * textComposerVerticalPadding;
}

int TalkView::composerTop() const
{
    return int(std::lround(rockTop + rockSize + gap + m_speechHeight + gap));
}

void TalkView::paintRockAtTop(QPainter &painter)
{
    const QRectF square(width() / 2.0 - rockSize / 2, rockTop, rockSize, rockSize);
    const double scale = 1 + rockHop * m_bounce.value();
    painter.save();
    // About the bottom centre: the rock hops up from where it sits.
    painter.translate(square.center().x(), square.bottom());
    painter.scale(scale, scale);
    painter.translate(-square.center().x(), -square.bottom());
    paintRock(painter, square, m_state->appearance(), 0.5, false, true);
    painter.restore();
}

void TalkView::paintSpeech(QPainter &painter)
{
    painter.setPen(Theme::ink);
    const QPointF origin(sideInset, rockTop + rockSize + gap);
    forEachSpeechLine(width() - 2 * sideInset, [&](const QTextLine &line, double top) {
        line.draw(&painter, origin + QPointF(0, top - line.y()));
    });
}

double TalkView::speechHeight() const
{
    double bottom = 0;
    forEachSpeechLine(width() - 2 * sideInset,
                      [&](const QTextLine &line, double top) { bottom = top + line.height(); });
    return bottom;
}
