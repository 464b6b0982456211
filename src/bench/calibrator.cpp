#include "calibrator.h"

#include "benchwait.h"
#include "calfunction.h"
#include "manualentry.h"
#include "transport.h"

#include <cmath>

namespace vantelso::bench {

QByteArray CalibratorFrameBytes(std::uint8_t address, std::uint8_t command, const CalData& data) {
    QByteArray frame;
    frame.append(char(address)).append(char(command));
    int sum = 0;
    for (std::uint8_t d : data) {
        frame.append(char(d));
        sum += d;
    }
    frame.append(char(sum & 127));
    return frame;
}

std::optional<CalData> CalibratorValueBytes(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    double v = value < 0 ? 4294967296.0 - std::fabs(value) : value;
    v = std::floor(v);
    if (v < 0 || v >= 4294967296.0)
        return std::nullopt;
    const auto word = std::uint32_t(v);
    return CalData{std::uint8_t(word >> 24), std::uint8_t(word >> 16), std::uint8_t(word >> 8),
                   std::uint8_t(word)};
}

BenchStatus Calibrator::CalibratorFrame(std::uint8_t address, std::uint8_t command, CalData& data) {
    if (mode() == InstrumentMode::Manual)
        return BenchStatus::Ok;
    if (!m_port || !m_port->isOpen())
        return BenchStatus::PortError;
    const QByteArray frame = CalibratorFrameBytes(address, command, data);
    // Every byte's answer is the next byte in: a late echo left from an earlier frame would
    // shift every answer of this one.
    m_port->clearInput();
    CalData answers = data;
    for (qsizetype i = 0; i < frame.size(); ++i) {
        if (!m_port->write(frame.mid(i, 1)))
            return BenchStatus::PortError;
        QByteArray answer;
        if (!CollectInput(
                *m_port, answer, [](const QByteArray& b) { return !b.isEmpty(); },
                m_context->timings.calibratorEchoTimeout))
            return BenchStatus::Timeout;
        if (i >= 2 && i <= 5)
            answers[std::size_t(i - 2)] = std::uint8_t(answer.at(0));
    }
    data = answers;
    return BenchStatus::Ok;
}

BenchStatus Calibrator::SetCalibrator(double value) {
    if (mode() == InstrumentMode::Manual) {
        m_context->prompter->inform(QStringLiteral("Cal = ") + NumberText(value),
                                    Prompter::Icon::None);
        return BenchStatus::Ok;
    }
    std::optional<CalData> data = CalibratorValueBytes(value);
    if (!data)
        return BenchStatus::BadValue;
    return CalibratorFrame(1, SetValue, *data);
}

BenchStatus Calibrator::Select(const CalFunction& function) {
    CalData data = function.data;
    const BenchStatus selected = CalibratorFrame(1, SelectFunction, data);
    if (selected != BenchStatus::Ok)
        return selected;
    return SetCalibrator(0);
}

Measurement Calibrator::ReadAmbientTemp() {
    if (mode() == InstrumentMode::Manual) {
        const std::optional<double> typed =
            AskNumber(m_context->prompter, QStringLiteral("Temperatura Ambiente"));
        if (!typed)
            return {BenchStatus::Cancelled, 0};
        return {BenchStatus::Ok, double(float(*typed))};
    }
    struct Step {
        std::uint8_t command;
        CalData data;
    };
    // Switch the sensor in, let it settle, read it, switch it out.
    const Step before[] = {{SensorBracket, {1, 0, 0, 0}},
                           {SelectFunction, {8, 1, 1, 0}},
                           {SelectFunction, {8, 1, 0, 0}},
                           {SelectFunction, {8, 1, 0, 0xC0}}};
    for (const Step& s : before) {
        CalData d = s.data;
        if (const BenchStatus st = CalibratorFrame(1, s.command, d); st != BenchStatus::Ok)
            return {st, 0};
    }
    Pause(m_context->timings.ambientSettle);
    CalData reading{8, 1, 0, 0xC0};
    if (const BenchStatus st = CalibratorFrame(1, ReadSensor, reading); st != BenchStatus::Ok)
        return {st, 0};
    CalData after{0, 0, 0, 0};
    if (const BenchStatus st = CalibratorFrame(1, SensorBracket, after); st != BenchStatus::Ok)
        return {st, 0};
    const double hundredths = double(reading[0]) * 16777216.0 + double(reading[1]) * 65536.0 +
                              double(reading[2]) * 256.0 + double(reading[3]);
    return {BenchStatus::Ok, double(float(hundredths / 100))};
}

} // namespace vantelso::bench
