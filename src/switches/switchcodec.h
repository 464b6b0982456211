#pragma once

// The switch banks of the switch-configured models and the selections they stand for, both
// ways. Every encoder writes the fields of its model into the three bank bytes; every reader
// recovers from the bytes exactly the selections its encoder stored.
//
// The bank layouts are described in switchmeaning.h.
// Bits no field uses keep the value they had.

#include "catalogue.h"
#include "identity.h"
#include "switchmeaning.h"

#include <QString>
#include <cstdint>

namespace vantelso::switches {

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
