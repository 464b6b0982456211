#pragma once

#include "siminstrument.h"

#include <array>
#include <cstdint>

namespace vantelso::sim {

// The multi-function calibrator on its binary line. Frames are seven bytes (address,
// command, d1..d4, checksum = sum of d AND 127) and every byte is answered with one byte:
// an echo, except d1..d4 of a sensor read (0x01), which are the ambient temperature in
// hundredths of a degree, high byte first. 0x80 selects the sourced function (d1 the
// function code; 8, 1, x, y with y other than 0x40 configures the temperature sensor), 0x81
// sets the output as a signed 32-bit count of the function's resolution.
class SimCalibrator : public SimInstrument {
    Q_OBJECT
public:
    enum class Quantity { Millivolts, Volts, Milliamps, Ohms, Celsius, None };

    explicit SimCalibrator(QObject* parent = nullptr);

    std::array<std::uint8_t, 4> function() const { return function_; }
    qint32 rawValue() const { return raw_; }
    Quantity quantity() const;
    // The sourced value in its quantity's unit (mV, V, mA, ohm, degrees C).
    double output() const;
    void setAmbient(double celsius) { ambient_ = celsius; }
    double ambient() const { return ambient_; }
    bool sensorActive() const { return sensor_; }
    int framesDone() const { return frames_; }
    int checksumErrors() const { return checksumErrors_; }

protected:
    void onBytes(const QByteArray& bytes) override;

private:
    void execute();

    QByteArray frame_;
    std::array<std::uint8_t, 4> function_{0, 0, 0, 0};
    qint32 raw_ = 0;
    double ambient_ = 23.5;
    bool sensor_ = false;
    int frames_ = 0;
    int checksumErrors_ = 0;
};

} // namespace vantelso::sim
