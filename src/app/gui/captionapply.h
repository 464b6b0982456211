#pragma once

#include "captions.h"

class QObject;

namespace vantelso::gui {

// Puts each caption of `captions` on the object of that name under `root` (the object
// itself included): actions and buttons get their text, menus and frames their title.
// Returns the names that matched nothing, so a window can tell a missing control.
QStringList ApplyCaptionMap(QObject* root, const app::CaptionMap& captions);

} // namespace vantelso::gui
