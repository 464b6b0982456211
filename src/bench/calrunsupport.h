#pragma once

// Small helpers shared by the calibration run and its steps (not part of the bench's API).

#include "codecs.h"
#include "writeitem.h"

#include <QString>

namespace vantelso::bench::calrun {

// "0.###": up to three decimals, no trailing zeros.
inline QString hashes3(double v) {
    QString t = QString::number(v, 'f', 3);
    while (t.contains(QLatin1Char('.')) &&
           (t.endsWith(QLatin1Char('0')) || t.endsWith(QLatin1Char('.'))))
        t.chop(1);
    return t == QLatin1String("-0") ? QStringLiteral("0") : t;
}

inline QString fixed3(double v) {
    return QString::number(v, 'f', 3);
}

inline bool isModel(const QString& model, const char* name) {
    return model == QLatin1String(name);
}

// A 16-bit word little-endian at address, address + 1.
inline WriteQueue wordAt(int address, int value) {
    const auto hl = codecs::Split16(value);
    return {WriteItem{std::uint8_t(address), hl.low},
            WriteItem{std::uint8_t(address + 1), hl.high}};
}

} // namespace vantelso::bench::calrun
