#pragma once

#include <QColor>
#include <QFont>
#include <QString>

/// The shared look: colours, text styles, the handwriting font and the sketch decorations.
namespace Theme {

/// Behind every screen of the panel.
inline constexpr QColor bg{255, 255, 255};
/// Text, outlines and filled main buttons: a warm near-black, like ink on paper.
inline constexpr QColor ink{33, 29, 24};
/// Softer ink for secondary text and lines.
inline constexpr QColor inkSoft{156, 148, 136};
/// Fill of boxes and secondary buttons; text on main buttons.
inline constexpr QColor paper{255, 255, 255};
/// The rock's own body colour (the colour `original`).
inline constexpr QColor rockBody{207, 207, 207};

/// The family every text style asks for; `registerFonts()` maps it onto the shipped font.
inline constexpr char handwritingFamily[] = "KyoboHandwriting2024psw";

/// The colour emoji face. Named outright: left to fallback, faces with black outline emoji win for some
/// (😶, 😵) and a joined emoji (😵‍💫) falls apart into two.
inline constexpr char emojiFamily[] = "Noto Color Emoji";

/// Makes the handwriting font usable under `handwritingFamily` for this process. Tries the compiled-in
/// resource, then the source tree; a missing file is ignored. Calling it again changes nothing.
void registerFonts();
/// Whether the handwriting font was registered, so asking for it gives it and not a fallback.
bool handwritingAvailable();

/// The shipped pen font draws its Hangul small within its em: a syllable's ink is 0.64 em tall, where
/// common Korean interface faces (Nanum Gothic, Nanum Barun Gothic) fill 0.88 em, so at the sizes the
/// look names, small text read as 7-8 pixel scribbles. Every handwriting size is scaled up by as much as
/// the wish box allows: at its 15 points (18 pixels) fifty wide syllables (가나다…) still fit its three
/// lines of 210 and each line its 22-point step; one step more and they would not.
inline constexpr qreal handwritingScale = 1.2;

/// The handwriting font at `size` points (one point is one device-independent pixel) and `weight`;
/// emoji in its text come from the colour emoji face.
QFont handwriting(qreal size, QFont::Weight weight = QFont::Normal);

/// Emoji alone at `size` points, in the colour emoji face (the system's when that face is missing).
QFont emoji(qreal size);

/// Screen titles: 24 points, heavy.
const QFont &title();
/// Text of the filled main button: 16 points, heavy.
const QFont &primaryButton();
/// Text of the small outlined button: 12 points, bold.
const QFont &secondaryButton();
/// Headings inside a screen: 14 points, bold.
const QFont &sectionTitle();
/// Small explanatory text: 12 points, medium.
const QFont &caption();
/// Hint text in empty fields: 14 points, medium.
const QFont &placeholder();
/// Text of chips: 12 points, medium.
const QFont &chip();

} // namespace Theme
