#include "instrumentselector.h"

namespace vantelso::bench {

QStringList SelectorEntries() {
    QStringList out;
    for (int n = 1; n <= 8; ++n)
        out << QStringLiteral("Com%1").arg(n);
    for (int n = 1; n <= 4; ++n)
        out << QStringLiteral("Usb%1").arg(n);
    out << QStringLiteral("Manuale");
    return out;
}

InstrumentMode SourceSelectorMode(const QString& selector) {
    return selector == QLatin1String("Manuale") ? InstrumentMode::Manual : InstrumentMode::Serial;
}

InstrumentMode MeterSelectorMode(const QString& selector) {
    const QStringView head = QStringView(selector).left(3);
    if (head == QLatin1String("Man"))
        return InstrumentMode::Manual;
    if (head == QLatin1String("Com"))
        return InstrumentMode::Serial;
    if (head == QLatin1String("Usb"))
        return InstrumentMode::Usb;
    return InstrumentMode::None;
}

int SelectorPortNumber(const QString& selector) {
    if (selector.isEmpty())
        return 0;
    const QChar last = selector.back();
    return last.isDigit() ? last.digitValue() : 0;
}

QString SelectorPortEntry(const QString& selector) {
    return QStringLiteral("COM%1").arg(SelectorPortNumber(selector));
}

QString SelectorSessionAlias(const QString& selector) {
    return QStringLiteral("UsbDevice%1").arg(SelectorPortNumber(selector));
}

QString NumberText(double v) {
    if (v == 0)
        return QStringLiteral("0"); // also for -0
    return QString::number(v, 'g', 15);
}

} // namespace vantelso::bench
