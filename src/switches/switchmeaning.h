#pragma once

// What every DIP switch of the switch-configured models means: which bits carry the input
// type, the output types, the zero, span and multiplier positions, and what the option switch
// does for the selected input. The guide's encoders and readers, the measurement's channel
// set-up, the report and the simulated device all take their answer from here, so one set of
// bank bytes describes one device wherever it is shown.
//
// Bank layouts (bit 0 is switch 1 of the bank, 1 = ON):
//   RSX7030 (model bytes 0, 1)   S0: input code (bits 0-4), option (5), output 1 (6-7)
//                                S1: output 2 (0-1), span position (2-7)   S2: zero position
//   lettered A, B, C (2, 3, 6)   S0: input (0-3), zero position (4-7)
//                                S1: span position (0-5), output (6-7)
//                                B and C count their inputs from code 16 (switch code + 15)
//   D models (4, 5)              S0: input type of channel A (0-3)
//                                S1: input type of channel B (0-3, model byte 5 only),
//                                    output direction (4; Reverse = ON)
//   RSX7040 (7)                  S1: span position (0-5), multiplier (6-7)
//                                S2: sensor (0-1), output (2-3)
//   RSX7035 (8)                  S0: input code (0-3) + 16 with S1 bit 0, zero position (4-7)
//                                S1: option (1), span position (2-7); output 4-20 mA only
//   model byte 9                 the input code as on RSX7035; no range switches
//
// The input position 0 is "EEPROM": the configuration record decides the whole channel.
// The short "$D" reply (models 1 to 6) carries S0 and S1 only: there is no S2 to read, so
// the RSX7030 with model byte 1 has no zero position (its record's start applies).

#include "catalogue.h"
#include "identity.h"

#include <QList>
#include <array>
#include <cstdint>

namespace vantelso::switches {

// One byte per bank SW1, SW2, SW3.
struct SwitchBytes {
    std::uint8_t S0 = 0, S1 = 0, S2 = 0;
    bool operator==(const SwitchBytes&) const = default;
    std::uint8_t bank(int b) const { return b == 0 ? S0 : b == 1 ? S1 : S2; }
};

enum class Family { None, Rsx7030, Lettered, DModels, Rsx7040, Rsx7035 };
Family FamilyOf(std::uint8_t modelByte);
// Banks drawn: three for RSX7030 and RSX7040, two for the others.
int BankCount(Family family);

// What the option switch does for the selected input.
enum class OptionRole {
    None,            // the model (or the input) has no option switch
    OutputDirection, // Direct (OFF) / Reverse (ON): the output range runs backwards
    Cjc,             // cold junction: Ext (OFF) / Int (ON)
    Wires,           // resistive inputs: 2/4 wires (OFF) / 3 wires (ON)
    Plain,           // an option the device applies by itself: Off / On
};

// `width` bits from bit `shift` of bank `bank` (0..2); bank -1: no such switch.
struct BitField {
    int bank = -1;
    int shift = 0;
    int width = 0;
    bool present() const { return bank >= 0; }
    int get(SwitchBytes b) const;
    void put(SwitchBytes& b, int value) const; // other bits keep their positions
};

struct BankLayout {
    BitField input, inputHigh, inputB, output, outputB, span, zero, multiplier, option;
    int inputOffset = 0; // added to a non-zero input switch code (lettered B and C)
};
BankLayout LayoutOf(const DeviceIdentity& id);

// The identity whose input and output lists the switches choose from: model byte 1 shares
// the RSX7030's identifier and switch banks, and its lists are those of model byte 0.
DeviceIdentity SwitchListIdentity(const DeviceIdentity& id);

// How many bank bytes the device's "$D" reply carries (2 or 3).
int BanksInReply(const DeviceIdentity& id);
// The bank bytes of a ReadData result: the bytes the reply carried, zero for the others
// (a short reply's CR LF are not switch data).
SwitchBytes SwitchBytesFromReply(const QList<int>& data, const DeviceIdentity& id);

// One channel as its switches set it. -1 everywhere means "not set by switches".
struct ChannelSwitches {
    int inputCode = -1;  // input-type code; 0 the "EEPROM" position; -1 no input switch
    int outputCode = -1; // output-type code (0 "0-20 mA" .. 3 "0-5 V")
    int span = -1;       // span switch position, 0 "Default"
    int zero = -1;       // zero switch position, 0 "Default"
    int multiplier = -1; // RSX7040: 0..3 = x1000, x100, x10, x1
    int sensor = -1;     // RSX7040: 0 "EEPROM", 1..3 the frequency sensors
    bool reverse = false;
    // The switches decide this channel (input not in the "EEPROM" position).
    bool switched() const { return inputCode > 0 || sensor > 0; }
};

struct SwitchMeaning {
    Family family = Family::None;
    // Channel B: the RSX7030's second output (same input) or model byte 5's second input.
    std::array<ChannelSwitches, 2> channels{};
    bool channelBSwitched = false; // channels[1] is described by switches
    OptionRole option = OptionRole::None;
    int optionOn = -1; // 0/1, -1 where there is no option switch
};

// The option role of a model for the selected input code (sensor on RSX7040).
OptionRole OptionRoleFor(const DeviceIdentity& id, int inputCode, const Catalogue& catalogue);

// The name of an input-type code ("Tc K"); "#n" for a code without a name.
QString InputName(const Catalogue& catalogue, int code);

// Reads the bank bytes of `id`. An input code the model does not offer reads as -1 (the
// record then applies, as in the "EEPROM" position).
SwitchMeaning Describe(const DeviceIdentity& id, SwitchBytes bytes, const Catalogue& catalogue);

// What a record range word is divided by to give the input's value when the channel works
// as input `code`: 10^decimals, and for the thermistor model's 300 kΩ range end ten times
// more (it stores that end one decade finer). A record decoded for one type is read for the
// switched type as value x RecordWordScale(old) / RecordWordScale(new).
double RecordWordScale(const DeviceIdentity& id, int code, int decimals, bool end);

// The zero and span values of switch positions 1..n for an input (in the input's unit).
struct RangeValues {
    QList<double> zero;
    QList<double> span;
};
// From the switch-setting tables; empty for inputs without range switches.
RangeValues TableRangeValues(const DeviceIdentity& id, int inputCode, const Catalogue& catalogue);
// Whether an input has zero/span switches on the model (a table exists for it).
bool HasRangeSwitches(const DeviceIdentity& id, int inputCode, const Catalogue& catalogue);

// The input range the switches set: zero + span, or on RSX7040 0 .. span x multiplier.
// Position 0 ("Default") and positions the table does not reach take the record's value.
struct SwitchedRange {
    double start = 0;
    double end = 0;
    bool fromSwitches = false; // at least one end comes from a switch position
};
SwitchedRange RangeOf(const ChannelSwitches& ch, bool frequency, const RangeValues& values,
                      double recordStart, double recordEnd);

// The output range of a switched output type, reversed where the option says so.
// Without an output switch the record's range applies (still reversed by the option).
struct OutputRange {
    double start = 0;
    double end = 0;
};
OutputRange SwitchedOutput(const ChannelSwitches& ch, const Catalogue& catalogue,
                           double recordStart, double recordEnd);

} // namespace vantelso::switches
