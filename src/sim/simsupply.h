#pragma once

#include "siminstrument.h"

#include <functional>

namespace vantelso::sim {

// The bench power supply: "SV <volts>" sets the voltage, "KOE"/"KOD" switch the output on and
// off, "A" answers the current as "A" + amperes in five characters + CR LF.
class SimPowerSupply : public SimLineInstrument {
    Q_OBJECT
public:
    // mA drawn by the load at a voltage. The default is a device drawing a constant
    // 0.5 W plus 2 mA: 27 mA at 20 V, 22.8 mA at 24 V, 18.7 mA at 30 V.
    using Load = std::function<double(double volts)>;

    explicit SimPowerSupply(QObject* parent = nullptr);

    void setLoad(Load load) { load_ = std::move(load); }
    double volts() const { return volts_; }
    bool outputOn() const { return on_; }
    // mA flowing now: 0 with the output off.
    double milliamps() const;

protected:
    void onLine(const QByteArray& line) override;

private:
    Load load_;
    double volts_ = 0;
    bool on_ = false;
};

} // namespace vantelso::sim
