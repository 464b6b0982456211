#include "simcalibrator.h"

#include <cmath>

namespace vantelso::sim {

SimCalibrator::SimCalibrator(QObject* parent)
    : SimInstrument(QStringLiteral("calibratore"), parent) {}

// Resolution of one output count, by function code: mV in 1 and 10 uV, V in 0.1 mV, mA in
// 0.1 uA, ohm in 1 and 10 milliohm, thermocouple and RTD temperatures in 0.1 degree.
SimCalibrator::Quantity SimCalibrator::quantity() const {
    switch (function_[0]) {
    case 0:
    case 1:
        return Quantity::Millivolts;
    case 2:
        return Quantity::Volts;
    case 3:
        return Quantity::Milliamps;
    case 4:
    case 5:
        return Quantity::Ohms;
    case 8:
    case 9:
        return Quantity::Celsius;
    default:
        return Quantity::None;
    }
}

double SimCalibrator::output() const {
    static const double step[] = {0.001, 0.01, 0.0001, 0.0001, 0.001, 0.01, 0, 0, 0.1, 0.1};
    const int code = function_[0];
    return code < 10 ? raw_ * step[code] : 0.0;
}

void SimCalibrator::onBytes(const QByteArray& bytes) {
    for (const char c : bytes) {
        const qsizetype at = frame_.size();
        frame_.append(c);
        QByteArray reply(1, c);
        if (at >= 2 && at <= 5 && std::uint8_t(frame_[1]) == 0x01) {
            const auto hundredths = std::uint32_t(std::lround(ambient_ * 100));
            reply[0] = char((hundredths >> (8 * (5 - at))) & 0xFF);
        }
        answer(reply);
        if (frame_.size() == 7) {
            execute();
            frame_.clear();
        }
    }
}

void SimCalibrator::execute() {
    std::array<std::uint8_t, 4> d{};
    int sum = 0;
    for (int i = 0; i < 4; ++i) {
        d[std::size_t(i)] = std::uint8_t(frame_[2 + i]);
        sum += d[std::size_t(i)];
    }
    if ((sum & 127) != std::uint8_t(frame_[6])) {
        ++checksumErrors_;
        return;
    }
    ++frames_;
    switch (std::uint8_t(frame_[1])) {
    case 0x80:
        if (d[0] == 8 && d[1] == 1 && d[3] != 0x40)
            return; // the temperature sensor's set-up, not a sourced function
        function_ = d;
        raw_ = 0;
        break;
    case 0x81:
        raw_ = qint32(std::uint32_t(d[0]) << 24 | std::uint32_t(d[1]) << 16 |
                      std::uint32_t(d[2]) << 8 | d[3]);
        break;
    case 0x82:
        sensor_ = d[0] == 1;
        return;
    default:
        return;
    }
    Q_EMIT changed();
}

} // namespace vantelso::sim
