#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <optional>

namespace vantelso::bench {

struct CalFunction;

// The tables and checks behind the verification set-up window: what the calibrator can
// apply to the device's input, what the multimeter reads at its output, which bench
// devices the switch unit routes, and the checks made before anything is sent.

// One entry of the input-type list: its caption, the calibrator function it is sourced
// with, and the range the list fills in (minimum 0).
struct VerificationInput {
    const char* caption;  // "mVL (-20 : 200)", "Tc K", ...
    const char* function; // key of the calibrator function table: "mVL", "Tc K", ...
    double defaultMax;
};
// In list order: mVL, mVH, V, mA, Tc J..Tc N, Pt100, Pt1000, Ni100, Ni1000, Ohm, KOhm.
const std::array<VerificationInput, 18>& VerificationInputs();
QStringList VerificationInputCaptions();
// -1 for a caption not in the list.
int FindVerificationInput(QStringView caption);
const CalFunction& VerificationFunction(int input);

QStringList VerificationOutputTypes(); // "mA", "V"
QStringList VerificationModes();       // "Automatico", "Manuale"
QStringList VerificationDevices();     // "RSX7030" .. "RSX5035"
// Output channels of a bench device: 2 for the two-channel units, 1 for the others, 0 for
// a name not in the list.
int DeviceOutputChannels(QStringView device);

// A verification range; half is always (min + max) / 2.
struct VerificationRange {
    double min = 0;
    double max = 0;
    double half = 0;
};
VerificationRange MakeRange(double min, double max);
VerificationRange DefaultVerificationRange(int input);

// Why a range cannot be applied with the input type, empty when it can: the low millivolt
// input takes -20..200 mV, the high one -200..800 mV; and the calibrator must be able to
// take every setpoint.
QString RangeProblem(int input, const VerificationRange& range);
// The calibrator counts of zero, half scale and span: the range times the type's scale.
std::array<double, 3> CalibratorSetpoints(int input, const VerificationRange& range);

// The supply voltage as the supply takes it, two decimals ("24" gives "24.00", "24.5"
// gives "24.50"); nullopt for anything that is not a number from 18 to 30 V. A ","
// counts as the decimal point, as in every field of the program.
std::optional<QString> SupplyVoltsText(QStringView typed);

// The switch list that connects the meter to output `channel` (0 first, 1 second) of a
// device. `refusal` is set when that channel cannot be verified on the bench; an empty route
// with no refusal means the device needs no routing.
struct OutputRouting {
    QString route;
    QString refusal;
};
OutputRouting OutputRoutingFor(QStringView device, int channel);
// The switch list that connects the calibrator to the input of `input`'s kind, by the model
// chosen on the calibration bench ("RSX7030" has its own wiring).
QString InputRoutingFor(QStringView model, int input);

// A reading as the report shows it: "00.000" (at least two integer digits, three decimals).
QString ReportNumber(double v);

} // namespace vantelso::bench
