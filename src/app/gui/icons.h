#pragma once

#include <QIcon>
#include <QString>

namespace vantelso::gui {

// Pictures of the program by role; every one is drawn for this program (icons.qrc).
enum class Picture {
    App,
    Read,
    Write,
    Start,
    Stop,
    ViewProgram,
    ViewMeasure,
    ViewSwitch,
    FlagItalian,
    FlagEnglish,
    Manual,
};

QIcon Icon(Picture picture);
// The brand picture of the About box; a null icon for a brand without one.
QIcon BrandIcon(int brandIndex);

} // namespace vantelso::gui
