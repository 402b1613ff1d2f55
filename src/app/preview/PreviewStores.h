#pragma once

#include "AppState.h"

#include <QString>

#include <memory>

/// The throw-away stores of the preview modes. They save, if at all, to "kivvo-preview.json" in the
/// temporary folder, never to the user's file.
namespace PreviewStores {

/// The kinds of store the shots and the preview window use.
enum class Kind { fresh, sample, choose, emptyTower, tallTower, defaultRock, characterRock };

/// Where every preview store saves.
QString fileLocation();
/// The saved values of a store of that kind, with the given sample wishes and shape.
SaveData values(Kind kind, const QList<Wish> &wishes, const CustomRockShape &shape);
/// A new preview store of that kind.
std::unique_ptr<AppState> make(Kind kind, const QList<Wish> &wishes, const CustomRockShape &shape);
/// The store the preview window opens on, chosen by KIVVO_STATE.
Kind windowKind();

} // namespace PreviewStores
