#pragma once

#include "ptyline.h"
#include "simanalog.h"
#include "simcalibrator.h"
#include "simdevice.h"
#include "simfunctiongenerator.h"
#include "simmultimeter.h"
#include "simsupply.h"
#include "simswitchunit.h"
#include "tcpline.h"

#include <QList>
#include <QObject>
#include <functional>
#include <memory>

namespace vantelso::sim {

// A whole simulated factory bench around one simulated device: power supply, calibrator,
// two multimeters, switch unit and function generator. The instruments share one physical
// model: the calibrator's output reaches the device input the switch unit routes it to, and
// the multimeters measure the device output the switch unit routes to them.
//
// Routing (the wiring of the bench): the calibrator feeds channel B when relays 101 and 102
// are closed (relay 109 on the RSX7030), channel A otherwise; meter 0 measures output B when
// relays 111 and 112 are closed (108 for the V output and 114 for the mA output on the
// RSX7030), output A otherwise. Meter 1 always measures output B.
class SimulatedBench : public QObject {
    Q_OBJECT
public:
    // Names of the instruments, also their simulated resource names ("SIM::<name>::INSTR").
    static QStringList instrumentNames();

    explicit SimulatedBench(std::uint8_t modelByte, std::uint8_t variantBits = 0,
                            QObject* parent = nullptr);
    ~SimulatedBench() override;

    SimDevice& device() { return device_; }
    SimPowerSupply& supply() { return supply_; }
    SimCalibrator& calibrator() { return calibrator_; }
    SimMultimeter& meter(int index) { return index == 1 ? meter1_ : meter0_; }
    SimSwitchUnit& switches() { return switches_; }
    SimFunctionGenerator& generator() { return generator_; }
    SimInstrument* instrument(const QString& name);

    // Makes the device a unit fresh from production for calibrating as `model` ("RSX7030",
    // "5010OEM", ...): analog errors and neutral constants, a supply load that matches the
    // model, and the device powered only while the supply's output is on.
    void prepareForCalibration(const QString& model);
    SimCalibrationModel* calibrationModel() { return calibration_.get(); }
    // Writes the device's memory as "<model>.dat" (256 numbers, one a line) into `folder`,
    // the default image the bench loads and programs from. Returns the path, empty on failure.
    QString writeDefaultImageFile(const QString& folder) const;

    // The function generator's output reaches channel A's input of the frequency model while
    // it is on. `response` gives the frequency the unit counts for the generator's (an exact
    // counter when not set), so a unit that misreads some frequencies can be staged.
    void setFrequencyResponse(std::function<double(double)> response);

    int calibratorChannel() const;
    int meterChannel() const;

    // Where a served instrument can be reached.
    struct Endpoint {
        QString name;    // "dispositivo", "alimentatore", ...
        QString address; // a pseudo-terminal path or a TCP resource name
        QString note;    // what it stands for on the bench ("UsbDevice1", "2400 baud", ...)
    };
    // Serves the device and the serial instruments on pseudo-terminals, and multimeter 0 and
    // the function generator also on loopback TCP (their USB sessions).
    bool serve(QString* error);
    QList<Endpoint> endpoints() const { return endpoints_; }
    // "UsbDevice1 = TCPIP::..." lines for the instruments file, once served.
    QStringList aliasLines() const;

    // An in-process port to an instrument, for SessionFactory::SimulatedConnector.
    std::unique_ptr<Transport> connectTo(const QString& name);

private:
    void applyInput();
    double probe(int channel, SimMultimeter::Function f) const;
    bool isRsx7030() const;

    std::unique_ptr<SimCalibrationModel> calibration_;
    std::function<double(double)> frequencyResponse_;
    SimDevice device_;
    SimPowerSupply supply_;
    SimCalibrator calibrator_;
    SimMultimeter meter0_;
    SimMultimeter meter1_;
    SimSwitchUnit switches_;
    SimFunctionGenerator generator_;

    QList<Endpoint> endpoints_;
    std::vector<std::unique_ptr<QObject>> lines_;
    std::unique_ptr<class PtyServer> devicePty_;
};

} // namespace vantelso::sim
