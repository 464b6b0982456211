#include "dipbanks.h"

#include "dipdrawing.h"

#include <QPainter>

namespace vantelso::gui {

DipBanks::DipBanks(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("dip"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void DipBanks::show(switches::SwitchBytes bytes, int banks) {
    m_bytes = bytes;
    m_banks = banks;
    updateGeometry();
    update();
}

QSize DipBanks::sizeHint() const {
    return report::DipBanksSize();
}

void DipBanks::paintEvent(QPaintEvent*) {
    QPainter p(this);
    report::DrawDipBanks(p, m_bytes, m_banks, palette().color(QPalette::WindowText),
                         palette().color(QPalette::Window), font());
}

} // namespace vantelso::gui
