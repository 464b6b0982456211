#pragma once

#include "siminstrument.h"

#include <functional>

namespace vantelso::sim {

// A SCPI digital multimeter: ":SYST:REM"/":SYST:LOC", ":CONF:VOLT:DC" or ":CONF:CURR:DC"
// (arguments allowed), "SENS:...:NPLC n", "SYST:BEEP", and ":READ?" / "READ?", answered in
// the fixed exponent format "+1.23456789E+00" CR LF (volts or amperes).
class SimMultimeter : public SimLineInstrument {
    Q_OBJECT
public:
    enum class Function { Volts, Amperes };
    // What the meter's terminals see for a function, in V or A.
    using Probe = std::function<double(Function)>;

    explicit SimMultimeter(QString name, QObject* parent = nullptr);

    void setProbe(Probe probe) { probe_ = std::move(probe); }
    Function function() const { return function_; }
    bool remote() const { return remote_; }
    int beeps() const { return beeps_; }
    // Lines the meter did not understand.
    int errors() const { return errors_; }

    static QByteArray formatReading(double value);

protected:
    void onLine(const QByteArray& line) override;

private:
    Probe probe_;
    Function function_ = Function::Volts;
    bool remote_ = false;
    int beeps_ = 0;
    int errors_ = 0;
};

} // namespace vantelso::sim
