#pragma once

#include "identity.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

namespace vantelso::bench {

struct CalFunction;

// Range indices of the calibration window: channel A inputs 0..7 (90 mV, 200 mV, 800 mV,
// 10 V, 20 mA, 2 Kohm, 500 ohm, CJC), outputs 8/9 (A V, mA) and 10/11 (B V, mA), channel B
// inputs 12..19 in the order of A, and the PTC inputs 20 (A) and 21 (B).
constexpr int kRangeCount = 22;

// Input type codes the calibration writes into the device.
namespace calcode {
constexpr int Mv90 = 1;
constexpr int Mv200 = 2;
constexpr int Mv800 = 3;
constexpr int Volt10 = 4;
constexpr int MilliAmp20 = 5;
constexpr int Cjc = 8; // a thermocouple input read at 0 mV: the cold-junction temperature
constexpr int Kohm2 = 16;
constexpr int Ohm500 = 17;
constexpr int Ptc = 25;
constexpr int OutMilliAmp = 0;
constexpr int OutVolt = 2;
} // namespace calcode

// One call of the range calibration: the arguments of CalibrateInputRange or
// CalibrateOutput. Values in the range's units (mV, µA for 20 mA, ohm, °C; V and mA for
// outputs).
struct CalStep {
    bool output = false;
    int channel = 0; // 0 A, 1 B
    int index = 0;   // range index (result fields)
    int code = 0;    // input type code, or output code 0 mA / 2 V
    int address = 0; // where the constant lives in device memory
    double zero = 0;
    double half = 0;
    double span = 0;
    double point = 0;   // calibrator value the constant is computed from
    double nominal = 0; // expected constant
};

// The calls of one channel in their order for a model. Only ticked ranges do anything, so
// the list holds every range the model could have.
QList<CalStep> CalPlan(const QString& model, int channel);
// "90 mV A", "mA B", "PTC A": how a range is named in reports.
QString RangeCaption(int index);
// The step of a range index for a model (nullopt when the model has no such step).
std::optional<CalStep> FindCalStep(const QString& model, int index);

// One row of the model choice.
struct CalModel {
    const char* name;
    bool channelA;
    bool channelB;
    QList<int> ranges;
    bool loadDefault;                   // "Carica Default" ticked by the choice
    std::array<int, 3> expectedCurrent; // mA at the low voltage, 24 V, 30 V; 0 = test unticked
};
const QList<CalModel>& CalModels();
int FindCalModel(const QString& name); // -1 when unknown

// Whether a model reads its input directly in the measurement frame (its value bytes hold
// the input in the range's units) rather than as the output's DAC count.
bool ReadsInputDirectly(const QString& model);
// Whether the identified unit's measurement frame carries the input values (bytes 8..13)
// besides the output counts; a model byte 1 unit answers as "RSX7030" with counts only.
bool FrameCarriesInput(const DeviceIdentity& id);
// Whether the identified unit keeps the output constant for DAC count 3500 before the one
// for 800. The layout is the firmware's, so it follows the identity read from the unit (the
// live measurement reads the pair the same way), not the bench model chosen: a model byte 1
// unit answers to the same identifier as model byte 0 and keeps the pair the other way.
bool OutputHighFirst(const DeviceIdentity& id);
// The device output range the readings are converted with: upper and lower end, mA or V.
struct OutputRange {
    double span = 20;
    double zero = 0;
};
OutputRange CalOutputRange(const QString& model);

// Switch routing and calibrator function of an input step. `position` picks the list of the
// two-position model (1 or 2). Empty route with a null function: the model has no such
// step.
struct InputRoute {
    QString route;
    const CalFunction* function = nullptr;
    double scale = 1; // setpoint in the step's units × scale = calibrator count
};
InputRoute InputRouteFor(const QString& model, int code, int position = 1);

// The constant from the calibrator point and the device reading, by range kind.
double InputConstant(const QString& model, int code, double point, double reading);
// Within ±2 % (nominal / 50) of the nominal value.
bool WithinNominal(double k, double nominal);

// Cold-junction offset in tenths of °C from the calibrator's sensor T and the device's
// reading M; the byte stored for it (256-complement); nullopt beyond ±127.
int CjcOffsetTenths(double ambient, double reading);
std::optional<std::uint8_t> CjcOffsetByte(int tenths);

// PTC constants from the readings X (2000 ohm) and Y (1000 ohm): V(R) = K3 · R / (R + K2).
struct PtcConstants {
    double k1 = 0;
    double k2 = 0; // ohm
    double k3 = 0;
    int k3Word = 0;   // whole part of K3
    int k2Tenths = 0; // whole part of 10 · K2
};
// nullopt, with the reason in `why`, when they cannot be stored: a reading below 1, a
// ratio K1 = 2Y / X not above 1 (no positive series resistance fits), or a word that is not
// a whole number in 0..65535. Nothing may be written then.
std::optional<PtcConstants> ComputePtc(double x, double y, QString* why = nullptr);
// The four bytes at base, base+1, base+2, base+3: K3 and 10 · K2 as little-endian words.
std::array<std::uint8_t, 4> PtcBytes(const PtcConstants& c);

// Full-scale word written for an input range: the span in the range's stored units.
int RangeEndWord(int code, double span);

// What the measurement check allows: (span − zero) / 1000, / 200 for the PTC.
double InputTolerance(const QString& model, const CalStep& step);
double OutputTolerance(const QString& model, const CalStep& step);
// The calibrator value of a check point: the reference, for the PTC the resistance that
// stands for 0, 100 and 200 °C.
double CheckSetpoint(const CalStep& step, int which /* 0 zero, 1 half, 2 span */);

// The three bytes of a constant as memory holds them from its address on: M, H, E.
std::array<std::uint8_t, 3> ConstantBytes(double k);
// An output constant pair as memory holds it: M, E, H for each value, the one for count
// 3500 first on the units that keep it first.
std::array<std::uint8_t, 6> OutputConstantBytes(const DeviceIdentity& id, double lo, double hi);
// lo and hi decoded from the six bytes read at the output's address.
std::pair<double, double> DecodeOutputConstants(const DeviceIdentity& id, const QByteArray& six);

} // namespace vantelso::bench
