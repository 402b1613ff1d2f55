#pragma once

#include <QString>

/// Text measured the way people count it: one user-perceived character (a Hangul syllable, an emoji
/// with its joiners and modifiers, a letter with its accents) is one, whatever its UTF-16 length.
namespace Graphemes {

/// Most code points one character keeps. Real characters stay far below it (the longest joined emoji
/// take ten); a letter under thousands of accents or hundreds of joined emoji is cut after this many.
constexpr qsizetype maxCodePoints = 32;
/// Most UTF-16 units `bounded` reads: a character still going on there is the last one taken.
constexpr qsizetype scanLimit = qsizetype(1) << 16;

/// Number of grapheme clusters in `text`.
qsizetype count(QStringView text);
/// The first `limit` clusters of `text`, never cutting one in half; all of it when it is shorter.
QString truncated(const QString &text, qsizetype limit);
/// The first `limit` characters of `text`, each cut to its first `maxCodePoints` code points (never
/// inside a surrogate pair). Reads only as far as these characters reach, and never past `scanLimit`
/// units, so its cost does not grow with the text.
QString bounded(QStringView text, qsizetype limit);
/// `bounded`, followed by "…" when it left anything of `text` out.
QString excerpt(QStringView text, qsizetype limit);

} // namespace Graphemes
