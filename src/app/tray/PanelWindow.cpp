#include "PanelWindow.h"

#include "PanelMetrics.h"
#include "RootView.h"
#include "ScreenFocus.h"
#include "Theme.h"
#include "X11Support.h"

#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {
// The window manager decorates a new window shortly after it is mapped.
constexpr int decorationDelayMs = 150;
// Scales this close to 1 are whole-size: the width is a whole number of points.
constexpr double wholeScale = 1 - 0.5 / PanelMetrics::width;
} // namespace

PanelWindow::PanelWindow(AppState *state)
    // A title and a close button, nothing else: the panel is never minimised or maximised.
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      m_root(new RootView(state, this))
{
    setWindowTitle(u"키보"_s);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_root);
    setFixedSize(int(PanelMetrics::width), int(PanelMetrics::shortHeight));
}

double PanelWindow::chrome(double pixelRatio) const
{
    return (m_knownFrame.top() + m_knownFrame.bottom()) / pixelRatio;
}

void PanelWindow::placeFrame(QPoint at, double pixelRatio)
{
    if (m_knownFrame.isNull()) {
        // Not framed yet (or never, without decorations): Qt puts the frame's corner there on show.
        if (frameGeometry().topLeft() != at)
            move(at); // a top-level widget's position is its frame's
        return;
    }
    // Placed by the client's corner: Qt would offset a move by its own idea of the frame, which still
    // has the last screen's scale for a while after the window changed screens.
    const QPoint client = at + QPoint(qRound(m_knownFrame.left() / pixelRatio), qRound(m_knownFrame.top() / pixelRatio));
    if (geometry().topLeft() != client)
        setGeometry(QRect(client, size()));
}

QMargins PanelWindow::framePixels() const
{
    if (const std::optional<QMargins> extents = frameExtents(internalWinId()))
        return *extents;
    // Qt gives the frame in points of the screen it last put the window on: back to pixels with that.
    const QRect frame = frameGeometry(), client = geometry();
    const double ratio = devicePixelRatioF();
    return QMargins(qRound((client.left() - frame.left()) * ratio), qRound((client.top() - frame.top()) * ratio),
                    qRound((frame.right() - client.right()) * ratio), qRound((frame.bottom() - client.bottom()) * ratio));
}

bool PanelWindow::isInSight() const
{
    return PanelSight::isInSight(isVisible(), isMinimized(), windowPlace(internalWinId()));
}

void PanelWindow::withdraw()
{
    // Hidden, the window manager forgets its workspace and its minimised state; cleared here, Qt
    // does not map it minimised again.
    hide();
    setWindowState(windowState() & ~Qt::WindowMinimized);
}

void PanelWindow::fitContent(const QSize &size)
{
    const double scale = size.width() / PanelMetrics::width;
    const bool shrinks = scale < wholeScale;
    m_scale = shrinks ? scale : 1;
    if (shrinks != (m_proxy != nullptr))
        shrinks ? embedShrunk() : embedDirect();
    if (this->size() != size)
        setFixedSize(size); // only the placement sizes the panel, never a drag
    if (!shrinks)
        return;
    const QSize logical(int(PanelMetrics::width), int(std::lround(size.height() / scale)));
    m_root->setFixedSize(logical);
    m_view->scene()->setSceneRect(QRectF(QPointF(0, 0), QSizeF(logical)));
    m_view->setTransform(QTransform::fromScale(scale, scale));
}

void PanelWindow::embedShrunk()
{
    if (!m_view) {
        m_view = new QGraphicsView(this);
        m_view->setScene(new QGraphicsScene(m_view));
        m_view->setFrameShape(QFrame::NoFrame);
        m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_view->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // Faded parts draw whole when scaled, so every repaint starts from the background.
        m_view->setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
        m_view->setBackgroundBrush(Theme::bg);
        m_view->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                               QPainter::SmoothPixmapTransform);
        m_view->installEventFilter(this);
        m_view->hide();
    }
    layout()->removeWidget(m_root);
    // Only a window of its own can be embedded. Its menus stay real windows, unshrunk, so they are not
    // cut off at the panel's edge.
    m_root->setParent(nullptr, Qt::Window | Qt::BypassGraphicsProxyWidget);
    m_proxy = m_view->scene()->addWidget(m_root);
    layout()->addWidget(m_view);
    m_view->show();
    m_view->setFocus(Qt::OtherFocusReason);
    ScreenFocus::settle(m_root->currentScreen());
}

void PanelWindow::embedDirect()
{
    m_proxy->setWidget(nullptr);
    delete m_proxy;
    m_proxy = nullptr;
    m_view->hide();
    layout()->removeWidget(m_view);
    m_root->setParent(this, Qt::Widget);
    m_root->setMinimumHeight(0);
    m_root->setMaximumHeight(QWIDGETSIZE_MAX);
    layout()->addWidget(m_root);
    m_root->show();
    ScreenFocus::settle(m_root->currentScreen());
}

bool PanelWindow::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
        offerNoMinimise(winId()); // before the window is mapped, when the window manager reads it
        // The chrome is known only once the window manager has framed the window.
        QTimer::singleShot(decorationDelayMs, this, &PanelWindow::checkChrome);
        break;
    case QEvent::Move:
    case QEvent::Resize:
        checkChrome();
        break;
    case QEvent::ScreenChangeInternal:
        // Qt has moved the window to a monitor of its own scale: placed again once it has settled there.
        QTimer::singleShot(0, this, &PanelWindow::chromeChanged);
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void PanelWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool PanelWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_view || !m_proxy || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool forward =
        key->key() == Qt::Key_Tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    const bool back = key->key() == Qt::Key_Backtab;
    // A text field that types Tab keeps it, as it does in the whole-size panel.
    const auto *text = qobject_cast<const QPlainTextEdit *>(m_root->focusWidget());
    if (!(forward || back) || (text && !text->tabChangesFocus()))
        return false;
    // The embedded chain stops at its end or at a disabled control; round it goes here instead.
    tabWithin(forward);
    return true;
}

void PanelWindow::tabWithin(bool forward)
{
    QWidget *const start = m_root->focusWidget() ? m_root->focusWidget() : m_root;
    QWidget *next = start;
    do {
        next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
        const bool takesTab = (next->focusPolicy() & Qt::TabFocus) && next->isEnabled();
        if (next != m_root && m_root->isAncestorOf(next) && takesTab && next->isVisibleTo(m_root)) {
            next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    } while (next != start);
}

void PanelWindow::checkChrome()
{
    const QMargins now = framePixels();
    if (now == m_knownFrame)
        return;
    m_knownFrame = now;
    emit chromeChanged();
}
