#include "dipdrawing.h"

#include <QPainter>

namespace vantelso::report {

namespace {
constexpr int kBodyW = 18, kBodyH = 40, kGap = 6, kBankGap = 34, kMargin = 10, kTitleH = 20,
              kNumberH = 18, kOnLabelW = 26;

int bankWidth() {
    return kOnLabelW + 8 * kBodyW + 7 * kGap + 12;
}
} // namespace

QSize DipBanksSize() {
    return {2 * kMargin + 3 * bankWidth() + 2 * kBankGap,
            2 * kMargin + kTitleH + kBodyH + 12 + kNumberH};
}

void DrawDipBanks(QPainter& p, switches::SwitchBytes bytes, int banks, const QColor& text,
                  const QColor& background, const QFont& font) {
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRect(QPoint(0, 0), DipBanksSize()), background);
    QFont bold = font;
    bold.setBold(true);
    for (int b = 0; b < 3; ++b) {
        const int x0 = kMargin + b * (bankWidth() + kBankGap);
        const QRect housing(x0, kMargin + kTitleH, bankWidth(), kBodyH + 12);
        p.setFont(bold);
        p.setPen(b < banks ? text : QColor(150, 150, 150));
        p.drawText(QRect(x0, kMargin, bankWidth(), kTitleH), Qt::AlignCenter,
                   QStringLiteral("SW%1").arg(b + 1));
        if (b >= banks) { // a model with two banks: the third place stays empty
            p.setPen(QPen(QColor(190, 190, 190), 1, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(housing, 4, 4);
            continue;
        }
        // Red housing like the real switch block, with "ON" at the top left.
        p.setPen(QPen(QColor(120, 20, 20), 1));
        p.setBrush(QColor(200, 40, 40));
        p.drawRoundedRect(housing, 4, 4);
        p.setPen(Qt::white);
        p.setFont(font);
        p.drawText(QRect(housing.left() + 2, housing.top() + 4, kOnLabelW - 4, 14), Qt::AlignCenter,
                   QStringLiteral("ON"));
        for (int i = 0; i < 8; ++i) {
            const int x = housing.left() + kOnLabelW + i * (kBodyW + kGap);
            const QRect body(x, housing.top() + 6, kBodyW, kBodyH);
            p.setPen(QPen(QColor(60, 60, 60), 1));
            p.setBrush(QColor(245, 245, 245));
            p.drawRect(body);
            const bool on = (bytes.bank(b) >> i) & 1;
            const QRect slider(x + 2, on ? body.top() + 2 : body.bottom() - kBodyH / 2 + 1,
                               kBodyW - 4, kBodyH / 2 - 2);
            p.setBrush(on ? QColor(30, 30, 30) : QColor(110, 110, 110));
            p.drawRect(slider);
            p.setPen(text);
            p.drawText(QRect(x - 4, housing.bottom() + 2, kBodyW + 8, kNumberH), Qt::AlignCenter,
                       QString::number(i + 1));
        }
    }
}

QImage DipBanksImage(switches::SwitchBytes bytes, int banks, const QFont& font, int scale) {
    QImage image(DipBanksSize() * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.scale(scale, scale);
    DrawDipBanks(p, bytes, banks, Qt::black, Qt::white, font);
    return image;
}

} // namespace vantelso::report
