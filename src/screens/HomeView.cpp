#include "HomeView.h"

#include "AppState.h"
#include "Chevron.h"
#include "ClickGuard.h"
#include "CustomizeView.h"
#include "Footer.h"
#include "Labels.h"
#include "ScreenFocus.h"
#include "SettingsView.h"
#include "Sketch.h"
#include "SketchButton.h"
#include "TalkView.h"
#include "Theme.h"
#include "TowerView.h"
#include "WishHandOver.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int sideInset = 16;
constexpr int segmentSpacing = 8;
/// Changing the chosen segment shades the buttons over this long.
constexpr double segmentSeconds = 0.2;
constexpr int backSide = 28;
/// The header leaving for the redraw mode, and coming back.
constexpr Spring redrawSpring{0.32, 0.82};
constexpr qreal backChevronWidth = 10;
/// The back button's focus ring: a circle just inside its square.
constexpr qreal backFocusInset = 2;

constexpr std::array<HomeView::Screen, 3> screens{HomeView::Screen::talk, HomeView::Screen::tower,
                                                  HomeView::Screen::customize};

QString segmentTitle(HomeView::Screen screen)
{
    switch (screen) {
    case HomeView::Screen::talk:
        return u"소원빌기"_s;
    case HomeView::Screen::tower:
        return u"돌탑"_s;
    case HomeView::Screen::customize:
        return u"돌꾸"_s;
    }
    return {};
}

SketchButton::Style segmentStyle()
{
    SketchButton::Style style;
    style.padding = QMarginsF(14, 8, 14, 8);
    style.corner = 16;
    style.fill = Theme::paper;
    style.line = 1.5;
    return style;
}

/// The settings header's way back: a left chevron in a square that takes the click everywhere.
class BackButton : public QAbstractButton {
public:
    explicit BackButton(QWidget *parent) : QAbstractButton(parent)
    {
        setFixedSize(backSide, backSide);
        setAccessibleName(u"뒤로"_s);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QSizeF box = Chevron::boxSize(backChevronWidth);
        const QPointF topLeft((backSide - box.width()) / 2, (backSide - box.height()) / 2);
        Chevron::paint(painter, topLeft, Chevron::Direction::left, backChevronWidth);
        if (hasFocus())
            Sketch::paintFocusRing(painter, rect(), backSide / 2.0, Theme::inkSoft, backFocusInset);
    }
};

} // namespace

HomeView::HomeView(AppState *state, QWidget *parent) : QWidget(parent), m_state(state)
{
    const Start start = startFor(qEnvironmentVariable("KIVVO_SCREEN"));
    m_screen = start.screen;
    m_showsSettings = start.showsSettings;
    m_redrawsRock = start.redrawsRock;
    m_headerRoom.setValue(m_redrawsRock ? 0 : headerHeight);
    connect(&m_headerRoom, &Animation::changed, this, &HomeView::arrange);
    m_contentArea = new QWidget(this);
    makeHeader();
    makeFooter();
    connect(m_state, &AppState::wishesChanged, this,
            [this](const QList<Wish> &wishes) { followWishCount(wishes.size()); });
    connect(m_state, &AppState::isTowerTallChanged, this, [this](bool) {
        // The store holds the new value only after its signal.
        QMetaObject::invokeMethod(this, &HomeView::applyTallPanel, Qt::QueuedConnection);
    });
    connect(WishHandOver::of(m_state), &WishHandOver::handedOver, this, &HomeView::receiveWish);
    followWishCount(m_state->wishes().size());
    applyContent();
    applyChrome();
}

HomeView::Start HomeView::startFor(const QString &value)
{
    if (value == u"tower"_s)
        return {Screen::tower, false, false};
    if (value == u"customize"_s)
        return {Screen::customize, false, false};
    if (value == u"redraw"_s)
        return {Screen::customize, false, true};
    if (value == u"settings"_s)
        return {Screen::talk, true, false};
    return {};
}

bool HomeView::wantsTallPanel() const
{
    return m_state->isTowerTall() && m_screen == Screen::tower && !m_showsSettings;
}

void HomeView::choose(Screen screen)
{
    if (screen == m_screen && !m_showsSettings)
        return;
    m_showsSettings = false;
    m_screen = screen;
    applyContent();
    applyChrome();
}

void HomeView::setShowingSettings(bool shows)
{
    if (shows == m_showsSettings)
        return;
    m_showsSettings = shows;
    applyContent();
    applyChrome();
}

void HomeView::setRedrawingRock(bool redraws)
{
    if (redraws == m_redrawsRock)
        return;
    m_redrawsRock = redraws;
    // The header slides away (or back) and the customize screen takes (or gives back) its room.
    m_headerRoom.animateTo(redraws ? 0 : headerHeight, Motion::on(redrawSpring));
    if (!redraws && m_screen != Screen::customize && !m_showsSettings) {
        // A wish told just before the redraw began: its tower has waited for the redraw to end.
        applyContent();
        applyChrome();
        return;
    }
    applyChrome();
    // The same customize screen goes on, in its other mode and with the header's room.
    ClickGuard::guard(m_content);
    ScreenFocus::settle(m_content);
}

void HomeView::receiveWish(const QUuid &id)
{
    m_lastAddedId = id;
    m_pendingDropId = id;
    if (auto *tower = qobject_cast<TowerView *>(m_content)) {
        // Already on the tower: it is not made again, so it is told directly.
        tower->dropIn(id);
        return;
    }
    m_screen = Screen::tower;
    // Settings or a redraw the user began meanwhile stay as they are: the tower waits for them, its
    // stone still to fall.
    if (!m_showsSettings && !m_redrawsRock)
        applyContent();
    applyChrome();
}

SketchButton *HomeView::segment(Screen screen) const
{
    return m_segments[std::size_t(screen)];
}

void HomeView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrange();
}

void HomeView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    applyTallPanel();
}

void HomeView::makeHeader()
{
    m_header = new QWidget(this);
    m_segmentsRow = new QWidget(m_header);
    auto *row = new QHBoxLayout(m_segmentsRow);
    row->setContentsMargins(sideInset, 0, sideInset, 0);
    row->setSpacing(segmentSpacing);
    for (Screen screen : screens) {
        auto *button = new SketchButton(segmentTitle(screen), Theme::handwriting(14, QFont::Bold),
                                        segmentStyle(), m_segmentsRow);
        // Checked is the current segment, as a screen reader tells it.
        button->setCheckable(true);
        button->setChecked(screen == m_screen);
        auto *shade = new EaseAnimation<double>(screen == m_screen ? 1.0 : 0.0, button);
        const auto follow = [button, shade] {
            button->setFill(Sketch::blend(Theme::paper, Theme::ink, shade->value()));
            Labels::setTextColour(button, Sketch::blend(Theme::ink, Theme::paper, shade->value()));
        };
        follow();
        connect(shade, &Animation::changed, button, follow);
        connect(button, &QAbstractButton::clicked, this, [this, screen, button] {
            choose(screen);
            button->setChecked(screen == m_screen); // a click on the current one keeps it current
        });
        m_segments[std::size_t(screen)] = button;
        m_segmentShades[std::size_t(screen)] = shade;
        row->addWidget(button, 0, Qt::AlignVCenter);
    }
    row->addStretch(1);
    m_count = Labels::make(QString(), Theme::handwriting(13, QFont::Bold), Theme::inkSoft, m_segmentsRow);
    row->addWidget(m_count, 0, Qt::AlignVCenter);

    m_settingsTitle = new QWidget(m_header);
    auto *title = Labels::make(u"설정"_s, Theme::handwriting(14, QFont::Bold), Theme::ink, m_settingsTitle);
    m_back = new BackButton(m_settingsTitle);
    connect(static_cast<QAbstractButton *>(m_back), &QAbstractButton::clicked, this,
            [this] { setShowingSettings(false); });
    auto *layout = new QHBoxLayout(m_settingsTitle);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    m_back->raise();
}

void HomeView::makeFooter()
{
    m_footer = Footer::makeQuitFooter(this);
    m_settingsButton = Footer::makeTextButton(u"설정"_s, Footer::font(), Theme::inkSoft, m_footer);
    m_settingsButton->setObjectName(u"settings"_s);
    connect(m_settingsButton, &QAbstractButton::clicked, this, [this] { setShowingSettings(true); });
    static_cast<QHBoxLayout *>(m_footer->layout())->insertWidget(0, m_settingsButton, 0, Qt::AlignVCenter);
}

void HomeView::applyContent()
{
    const bool leftTower = qobject_cast<TowerView *>(m_content) != nullptr;
    const bool replaces = m_content != nullptr;
    if (m_content) {
        m_content->hide();
        // Later: the change usually comes from a click inside the screen being replaced.
        m_content->deleteLater();
    }
    m_content = makeContent();
    if (leftTower && !qobject_cast<TowerView *>(m_content))
        m_pendingDropId.reset(); // the stone has fallen; a later visit shows it in place
    m_content->setGeometry(m_contentArea->rect());
    m_content->show();
    // The footer's words come after the content, "종료" last.
    ScreenFocus::putLast(this, {m_settingsButton, m_footer->findChild<QWidget *>(u"quit"_s)});
    ScreenFocus::settle(m_content);
    // The second click of a double click on a segment or a button must not land on the new screen.
    if (replaces)
        ClickGuard::guard(m_content);
    applyTallPanel();
}

QWidget *HomeView::makeContent()
{
    if (m_showsSettings)
        return new SettingsView(m_state, m_contentArea);
    switch (m_screen) {
    case Screen::talk:
        return new TalkView(m_state, m_contentArea);
    case Screen::tower:
        return new TowerView(m_state, m_lastAddedId, m_pendingDropId, m_contentArea);
    case Screen::customize: {
        auto *customize = new CustomizeView(m_state, m_redrawsRock, m_contentArea);
        connect(customize, &CustomizeView::redrawingChanged, this, &HomeView::setRedrawingRock);
        return customize;
    }
    }
    return new QWidget(m_contentArea);
}

void HomeView::applyChrome()
{
    m_segmentsRow->setVisible(!m_showsSettings);
    m_settingsTitle->setVisible(m_showsSettings);
    m_settingsButton->setVisible(!m_showsSettings && !m_redrawsRock);
    for (Screen screen : screens) {
        const double shade = screen == m_screen ? 1.0 : 0.0;
        m_segmentShades[std::size_t(screen)]->animateTo(shade, Ease::easeInOut(segmentSeconds));
        m_segments[std::size_t(screen)]->setChecked(screen == m_screen);
    }
    arrange();
}

void HomeView::applyTallPanel()
{
    const bool tall = wantsTallPanel();
    if (m_toldTall == tall || !isVisible())
        return;
    m_toldTall = tall;
    m_state->setIsPanelTall(tall);
}

void HomeView::followWishCount(qsizetype count)
{
    m_count->setText(u"돌 "_s + QString::number(count));
}

void HomeView::arrange()
{
    const int header = int(std::lround(std::clamp(m_headerRoom.value(), 0.0, double(headerHeight))));
    m_header->setVisible(header > 0);
    m_header->setGeometry(0, header - headerHeight, width(), headerHeight);
    m_segmentsRow->setGeometry(m_header->rect());
    m_settingsTitle->setGeometry(m_header->rect());
    m_back->move(sideInset, (headerHeight - backSide) / 2);
    m_contentArea->setGeometry(0, header, width(), std::max(0, height() - header - footerHeight));
    if (m_content)
        m_content->setGeometry(m_contentArea->rect());
    m_footer->setGeometry(0, height() - footerHeight, width(), footerHeight);
}
