#pragma once

#include "switchcodec.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>

class QPainter;

namespace vantelso::report {

// The device's DIP-switch banks as drawn on screen and in the printed report: per bank its
// title, eight switch bodies whose slider sits up (ON) or down (OFF), and the switch numbers
// 1 to 8 below. A model with two banks shows the third place empty.
QSize DipBanksSize();
void DrawDipBanks(QPainter& p, switches::SwitchBytes bytes, int banks, const QColor& text,
                  const QColor& background, const QFont& font);
// The drawing on a white ground, `scale` times its size (the report prints it sharp).
QImage DipBanksImage(switches::SwitchBytes bytes, int banks, const QFont& font, int scale);

} // namespace vantelso::report
