#include "simsupply.h"

#include <algorithm>

namespace vantelso::sim {

SimPowerSupply::SimPowerSupply(QObject* parent)
    : SimLineInstrument(QStringLiteral("alimentatore"), parent),
      load_([](double v) { return v > 0 ? 2.0 + 500.0 / v : 0.0; }) {}

double SimPowerSupply::milliamps() const {
    return on_ && load_ ? std::max(0.0, load_(volts_)) : 0.0;
}

void SimPowerSupply::onLine(const QByteArray& line) {
    const QByteArray l = line.trimmed();
    if (l.startsWith("SV")) {
        bool ok = false;
        const double v = l.mid(2).trimmed().toDouble(&ok);
        if (ok)
            volts_ = v;
    } else if (l == "KOE") {
        on_ = true;
    } else if (l == "KOD") {
        on_ = false;
    } else if (l == "A") {
        const double amps = std::min(9.999, milliamps() / 1000.0);
        answer("A" + QByteArray::number(amps, 'f', 3) + "\r\n");
        return;
    } else {
        return;
    }
    Q_EMIT changed();
}

} // namespace vantelso::sim
