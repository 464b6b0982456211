#pragma once

#include <QString>
#include <array>
#include <optional>

namespace vantelso::sim {

class SimDevice;

// The analog front end of one simulated unit on the calibration bench: its input and output
// stages have their own gain and offset errors, and it corrects them with the constants the
// calibration writes into its memory.
//
// Inputs: a range's reading is true × (1 + gain error) × k / nominal, with k the constant at
// the range's address. A unit fresh from production holds the neutral constant there (the
// one at which it reads its raw signal), so the bench's single-point formulas give
// nominal / (1 + gain error). The cold junction reads ambient + sensor error + the offset
// byte (tenths of °C, 256-complement). An unprogrammed PTC input (K3 word 0 or 0xFFFF)
// reports its raw divider count K3·R/(R + K2) in place of the output count; a programmed
// one converts back to ohm with the stored K2, K3 and reads °C on a KTY-like curve.
// Outputs: the DAC count for a wanted output comes from the stored output constants; the
// terminals carry the ideal output for that count with the unit's gain and offset errors.
class SimCalibrationModel {
public:
    struct Unit {
        std::array<double, 2> inputGainError{0.006, -0.004};
        std::array<double, 2> outputGainError{0.011, -0.007};
        std::array<double, 2> outputOffset{0.002, -0.0015}; // fraction of the ideal high end
        double cjcError = -1.3; // °C, the one junction sensor of both channels
        double ptcK3 = 28984;
        double ptcK2 = 1807;
    };

    // `benchModel` is the identifier the bench calibrates ("RSX7030", "5010OEM", ...).
    explicit SimCalibrationModel(QString benchModel) : model_(std::move(benchModel)) {}

    QString benchModel() const { return model_; }
    Unit unit;
    double ambient = 23.5;

    // What the unit believes its input to be (range units: mV, V, mA, ohm, °C).
    double reading(const SimDevice& d, int channel, int code, double trueInput) const;
    // The raw divider count of an unprogrammed PTC input; nullopt once programmed or for
    // any other input.
    std::optional<double> rawPtcCount(const SimDevice& d, int channel, int code, double ohms) const;
    // Output constants (value at count 800, at count 3500) as the unit reads them.
    std::pair<double, double> outputConstants(const SimDevice& d, int channel) const;
    // The terminals' value for a DAC count.
    double terminalOutput(int channel, bool current, double count) const;

    // The memory of a unit as it leaves production: neutral input constants, unprogrammed
    // PTC, no cold-junction offset, both outputs 0-20 mA (4-20 mA where the bench reads
    // them so).
    void makeFresh(SimDevice& d) const;

    // The constant's address and nominal/neutral values of an input code on a channel.
    struct Design {
        int address = -1;
        double nominal = 1;
        double neutral = 1;
    };
    Design design(int channel, int code) const;

private:
    QString model_;
};

} // namespace vantelso::sim
