#pragma once

#include "EaseAnimation.h"
#include "Motion.h"

#include <QUuid>
#include <QWidget>

#include <array>
#include <optional>

class AppState;
class Chevron;
class QLabel;
class SketchButton;

/// The panel's main screen once onboarding is done: a header with the three segments ("소원빌기",
/// "돌탑", "돌꾸") and the stone count, the chosen screen beneath it, and a footer with "설정" and
/// "종료". It carries a told wish over to the tower, where its stone drops in, and tells the store
/// when the panel should be tall.
class HomeView : public QWidget {
    Q_OBJECT

public:
    /// The three screens the segments choose.
    enum class Screen { talk, tower, customize };

    /// How the home starts, from KIVVO_SCREEN (compared exactly).
    struct Start {
        Screen screen = Screen::talk;
        bool showsSettings = false;
        bool redrawsRock = false;
    };

    /// The header's and the footer's heights.
    static constexpr int headerHeight = 56;
    static constexpr int footerHeight = 36;

    /// Reads KIVVO_SCREEN once, here, as the home is made.
    explicit HomeView(AppState *state, QWidget *parent = nullptr);

    /// The start for a value of KIVVO_SCREEN (null: not set).
    static Start startFor(const QString &value);

    Screen screen() const { return m_screen; }
    bool isShowingSettings() const { return m_showsSettings; }
    bool isRedrawingRock() const { return m_redrawsRock; }
    /// The wish told last from the talk screen, and the one whose stone is still to drop.
    std::optional<QUuid> lastAddedId() const { return m_lastAddedId; }
    std::optional<QUuid> pendingDropId() const { return m_pendingDropId; }
    /// Whether the panel should be tall: the tower on show, in its tall mode, settings closed.
    bool wantsTallPanel() const;
    /// The screen in the content area.
    QWidget *content() const { return m_content; }

    /// A segment's press: closes settings and shows `screen`.
    void choose(Screen screen);
    /// Opens or closes settings over the chosen screen.
    void setShowingSettings(bool shows);
    /// Enters or leaves the customize screen's redraw mode (the header goes while redrawing).
    void setRedrawingRock(bool redraws);
    /// A wish was told: on to the tower, where its stone drops in and is marked; settings or a redraw
    /// the user began meanwhile stay, and the tower comes when they end.
    void receiveWish(const QUuid &id);

    /// The parts, for tests and the preview.
    SketchButton *segment(Screen screen) const;
    SketchButton *settingsButton() const { return m_settingsButton; }
    QWidget *backButton() const { return m_back; }
    QLabel *countLabel() const { return m_count; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    /// The first showing tells the store the panel's height.
    void showEvent(QShowEvent *event) override;

private:
    /// The segments and the count, or the settings title with the back button.
    void makeHeader();
    /// "설정" and "종료".
    void makeFooter();
    /// Replaces the content with a fresh screen for the current state.
    void applyContent();
    /// Shows the header and footer parts that fit the current state.
    void applyChrome();
    /// Tells the store whether the panel should be tall, when that changed.
    void applyTallPanel();
    /// Relabels the count with the delivered wish list's length.
    void followWishCount(qsizetype count);
    /// Puts the header, content and footer in place.
    void arrange();
    /// A new screen for the current state.
    QWidget *makeContent();

    AppState *m_state;
    Screen m_screen;
    bool m_showsSettings;
    bool m_redrawsRock;
    std::optional<QUuid> m_lastAddedId;
    std::optional<QUuid> m_pendingDropId;
    std::optional<bool> m_toldTall; ///< what the store was last told, none before the first showing

    QWidget *m_header = nullptr;
    QWidget *m_segmentsRow = nullptr;
    std::array<SketchButton *, 3> m_segments{};
    std::array<EaseAnimation<double> *, 3> m_segmentShades{};
    QLabel *m_count = nullptr;
    QWidget *m_settingsTitle = nullptr;
    QWidget *m_back = nullptr;
    QWidget *m_contentArea = nullptr;
    QWidget *m_content = nullptr;
    QWidget *m_footer = nullptr;
    SketchButton *m_settingsButton = nullptr;
    MotionAnimation<double> m_headerRoom; ///< the header's height, gone while redrawing
};
