#pragma once

/// What a screen reader makes of the tower: a list whose items are the stones, newest first, each
/// named by its wish and pressed to show its card.
namespace RockPileAccessible {

/// Tells Qt's accessibility how to read a pile; once is enough, more do nothing.
void install();

} // namespace RockPileAccessible
