#pragma once

#include "benchcontext.h"
#include "benchresult.h"
#include "instrumentselector.h"
#include "transport.h"

#include <QPointer>
#include <array>
#include <cstdint>
#include <optional>

namespace vantelso::bench {

struct CalFunction;

using CalData = std::array<std::uint8_t, 4>;

// Seven bytes: address, command, d1..d4, checksum (d1 + d2 + d3 + d4) AND 127.
QByteArray CalibratorFrameBytes(std::uint8_t address, std::uint8_t command, const CalData& data);
// A value as the four data bytes of a 0x81 frame: 32-bit two's complement, high byte first,
// the fraction dropped. nullopt beyond what 32 bits hold.
std::optional<CalData> CalibratorValueBytes(double value);

// The multi-function calibrator: binary frames at 9600 baud, every byte answered by one
// byte. The answers to d1..d4 are the instrument's reply data (an echo, or a reading).
class Calibrator {
public:
    static constexpr qint32 BaudRate = 9600;
    static constexpr std::uint8_t SelectFunction = 0x80;
    static constexpr std::uint8_t SetValue = 0x81;
    static constexpr std::uint8_t ReadSensor = 0x01;
    static constexpr std::uint8_t SensorBracket = 0x82;

    explicit Calibrator(const BenchContext* context) : m_context(context) {}

    void setSelector(const QString& selector) { m_selector = selector; }
    QString selector() const { return m_selector; }
    InstrumentMode mode() const { return SourceSelectorMode(m_selector); }
    void setPort(Transport* port) { m_port = port; }
    Transport* port() const { return m_port; }

    // Sends one frame byte by byte, each after the answer to the one before; `data` takes
    // the answers to d1..d4. Manual mode sends nothing and leaves `data` as it is. A byte
    // left unanswered for the echo time-out is a Timeout.
    BenchStatus CalibratorFrame(std::uint8_t address, std::uint8_t command, CalData& data);
    // `value` is the setpoint already multiplied by the function's scale.
    BenchStatus SetCalibrator(double value);
    // Selects the function and sets the output to 0.
    BenchStatus Select(const CalFunction& function);
    // °C from the calibrator's temperature sensor; manual mode asks the operator.
    Measurement ReadAmbientTemp();

private:
    const BenchContext* m_context;
    QString m_selector = QStringLiteral("Com6");
    QPointer<Transport> m_port;
};

} // namespace vantelso::bench
