#include "lamp.h"

#include <QPainter>
#include <QRadialGradient>

namespace vantelso::gui {

Lamp::Lamp(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Lamp::setColourValue(int packed) {
    if (packed == m_colour)
        return;
    m_colour = packed;
    update();
}

void Lamp::paintEvent(QPaintEvent*) {
    const QColor base(m_colour & 0xFF, (m_colour >> 8) & 0xFF, (m_colour >> 16) & 0xFF);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width(), height()) - 4;
    const QRectF r((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    QRadialGradient g(r.center() - QPointF(side / 5.0, side / 5.0), side * 0.7);
    g.setColorAt(0, base.lighter(170));
    g.setColorAt(1, base.darker(115));
    p.setBrush(g);
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.drawEllipse(r);
}

} // namespace vantelso::gui
