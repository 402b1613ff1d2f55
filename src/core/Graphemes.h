#pragma once

#include <QString>

/// Text measured the way people count it: one user-perceived character (a Hangul syllable, an emoji
/// with its joiners and modifiers, a letter with its accents) is one, whatever its UTF-16 length.
namespace Graphemes {

/// Number of grapheme clusters in `text`.
qsizetype count(QStringView text);
/// The first `limit` clusters of `text`, never cutting one in half; all of it when it is shorter.
QString truncated(const QString &text, qsizetype limit);

} // namespace Graphemes
