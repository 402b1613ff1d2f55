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

/// Makes the handwriting font usable under `handwritingFamily` for this process. Tries the compiled-in
/// resource, then the source tree; a missing file is ignored. Calling it again changes nothing.
void registerFonts();
/// Whether the handwriting font was registered, so asking for it gives it and not a fallback.
bool handwritingAvailable();

/// The handwriting font at `size` points (one point is one device-independent pixel) and `weight`.
QFont handwriting(qreal size, QFont::Weight weight = QFont::Normal);

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
