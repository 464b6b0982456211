#include "simmultimeter.h"

#include <cstdio>

namespace vantelso::sim {

SimMultimeter::SimMultimeter(QString name, QObject* parent)
    : SimLineInstrument(std::move(name), parent) {}

QByteArray SimMultimeter::formatReading(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.8E", value);
    return QByteArray(text);
}

void SimMultimeter::onLine(const QByteArray& line) {
    QByteArray l = line.trimmed().toUpper();
    if (l.startsWith(':'))
        l.remove(0, 1);
    if (l == "SYST:REM") {
        remote_ = true;
    } else if (l == "SYST:LOC") {
        remote_ = false;
    } else if (l.startsWith("CONF:VOLT:DC")) {
        function_ = Function::Volts;
    } else if (l.startsWith("CONF:CURR:DC")) {
        function_ = Function::Amperes;
    } else if (l.startsWith("SENS:")) {
        return;
    } else if (l == "SYST:BEEP") {
        ++beeps_;
    } else if (l == "READ?") {
        answer(formatReading(probe_ ? probe_(function_) : 0.0) + "\r\n");
        return;
    } else {
        ++errors_;
        return;
    }
    Q_EMIT changed();
}

} // namespace vantelso::sim
