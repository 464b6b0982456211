#pragma once

#include <QString>

namespace vantelso::bench {

// How an instrument operation ended. Every failure is one the calibration run handles the
// way it handles a power-supply time-out: the run takes its error ending.
enum class BenchStatus {
    Ok,
    Timeout,   // the instrument did not answer in time (or stopped echoing)
    BadReply,  // it answered something that is not a reading
    Cancelled, // the operator cancelled a manual entry
    PortError, // the port or session is not open, or refused the bytes
    BadValue,  // the value cannot be sent (a calibrator value beyond 32 bits)
};

// A reading: mV or mA from a multimeter, °C from the calibrator's sensor.
struct Measurement {
    BenchStatus status = BenchStatus::Ok;
    double value = 0;
    bool ok() const { return status == BenchStatus::Ok; }
};

// The supply current in one of its three forms: a measured value in mA, a time-out, or in
// manual mode the text the operator typed (kept as typed, shown in messages as typed).
class SupplyCurrent {
public:
    enum class Kind { Milliamps, Timeout, OperatorText };

    static SupplyCurrent milliamps(double mA) { return {Kind::Milliamps, mA, {}}; }
    static SupplyCurrent timeout() { return {Kind::Timeout, 0, {}}; }
    static SupplyCurrent operatorText(const QString& text);

    Kind kind() const { return m_kind; }
    bool timedOut() const { return m_kind == Kind::Timeout; }
    // The current in mA: the measurement, or the number the operator's text starts with
    // (0 when it holds none). 0 for a time-out.
    double value() const { return m_value; }
    // How the current is shown: the operator's text unchanged, a measurement as a number.
    QString text() const;

private:
    SupplyCurrent(Kind kind, double value, QString text)
        : m_kind(kind), m_value(value), m_text(std::move(text)) {}
    Kind m_kind;
    double m_value;
    QString m_text;
};

} // namespace vantelso::bench
