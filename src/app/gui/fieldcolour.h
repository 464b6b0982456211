#pragma once

#include "calibrationrun.h"

#include <QString>

namespace vantelso::gui {

// The style sheet of a bench result field or status label: yellow while running, green
// passed, red failed, white cleared.
inline QString FieldBackground(bench::FieldColour c) {
    switch (c) {
    case bench::FieldColour::Yellow:
        return QStringLiteral("background:#ffff00;");
    case bench::FieldColour::Green:
        return QStringLiteral("background:#00ff00;");
    case bench::FieldColour::Red:
        return QStringLiteral("background:#ff0000;");
    case bench::FieldColour::White:
        break;
    }
    return QStringLiteral("background:#ffffff;");
}

} // namespace vantelso::gui
