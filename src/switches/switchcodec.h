#pragma once

// The switch banks of the switch-configured models and the selections they stand for, both
// ways. Every encoder writes the fields of its model into the three bank bytes; every reader
// recovers from the bytes exactly the selections its encoder stored.
//
// Bank layouts (bit 0 is switch 1 of the bank, 1 = ON):
//   RSX7030 (model bytes 0, 1)   S0: input code (bits 0-4), option (5), output A (6-7)
//                                S1: output B (0-1), span position (2-7)   S2: zero position
//   lettered A, B, C (2, 3, 6)   S0: input (0-3), zero position (4-7)
//                                S1: span position (0-5), output (6-7)     S2: not used
//                                B and C models count their inputs from code 16 (input - 15)
//   D models (4, 5)              S0: range of channel A (0-3), of channel B (4-7)
//                                S1: output direction (0; Reverse = ON)    S2: not used
//   RSX7040 (7)                  S0: not used (the wizard shows a copy of S2)
//                                S1: span position (0-5), multiplier (6-7)
//                                S2: sensor (0-1), output (2-3), option (4)
//   RSX7035 (8)                  S0: input code - 16 x bit 0 of S1 (0-3), zero position (4-7)
//                                S1: input codes from 16 (0), option (1), span position (2-7)
// Bits no field uses keep the value they had.

#include "catalogue.h"
#include "identity.h"

#include <QString>
#include <cstdint>

namespace vantelso::switches {

// One byte per bank SW1, SW2, SW3.
struct SwitchBytes {
    std::uint8_t S0 = 0, S1 = 0, S2 = 0;
    bool operator==(const SwitchBytes&) const = default;
    std::uint8_t bank(int b) const { return b == 0 ? S0 : b == 1 ? S1 : S2; }
};

// The guide's selections as the encoders take them. input is an input-type code (RSX7030,
// lettered, RSX7035), a sensor list index (RSX7040) or a range switch value (D models);
// output and outputB are output-type codes (0 "0-20 mA" .. 3 "0-5 V"); span, zero and
// multiplier are list positions (0 "Default"); option is 0 (first item) or 1 (second).
// -1 means nothing selected.
struct Selections {
    int input = -1, inputB = -1, output = -1, outputB = -1;
    int span = -1, zero = -1, multiplier = -1, option = -1;
    bool operator==(const Selections&) const = default;
};

enum class Family { None, Rsx7030, Lettered, DModels, Rsx7040, Rsx7035 };
Family FamilyOf(std::uint8_t modelByte);
// Banks drawn: three for RSX7030 and RSX7040, two for the others.
int BankCount(Family family);

// The selection fields a model has, under their command-line names, with their allowed
// values (inclusive).
struct FieldSpec {
    const char* name; // "input", "input_b", "output", ...
    int Selections::*member;
    int lo, hi;
};
QList<FieldSpec> FieldsOf(Family family, int inputs);

SwitchBytes DisegnaDip7030_r1(const Selections& s, SwitchBytes previous);
// In the wizard S0 shows a copy of S2.
SwitchBytes DisegnaDip7040(const Selections& s, bool wizard, SwitchBytes previous);
SwitchBytes DisegnaDip7032(const Selections& s, const DeviceIdentity& id, SwitchBytes previous);
SwitchBytes DisegnaDip7035(const Selections& s, SwitchBytes previous);
SwitchBytes DisegnaDip7032_c(const Selections& s, int inputs, SwitchBytes previous);

// The encoder of the model byte (unknown models change nothing).
SwitchBytes Encode(const Selections& s, const DeviceIdentity& id, int inputs, bool wizard,
                   SwitchBytes previous);
// The reader of the model byte. Input codes the model does not offer read as -1.
Selections Decode(SwitchBytes bytes, const DeviceIdentity& id, int inputs,
                  const Catalogue& catalogue);

// One text row per bank: "SW1  1:ON  2:OFF ...".
QStringList DrawingRows(SwitchBytes bytes, int banks);

} // namespace vantelso::switches
