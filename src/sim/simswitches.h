#pragma once

#include "identity.h"

#include <QByteArray>
#include <QList>
#include <optional>

// A simulated switch-configured unit works the way its switches say, read through the same
// description of the switches as the program uses (switches::Describe), so a change of its
// banks changes what it streams as a real unit's would.
namespace vantelso::sim {

// What one channel works with: input type and range (in the input's unit), output type and
// range (mA or V).
struct WorkingChannel {
    int type = 0;
    int decimals = 0;
    double inStart = 0, inEnd = 0;
    int outputCode = 0;
    double outStart = 0, outEnd = 0;
};

// The record's channels as the unit stores them, overridden by the banks the unit reports
// ("$D" data; a short reply's model has no third bank to act on). Channel B of the RSX7030
// is its second output: channel A's input on output 2.
void ApplyUnitSwitches(const DeviceIdentity& id, const QByteArray& switchBytes, WorkingChannel& a,
                       WorkingChannel& b);

// The words of "$S" table n on a switch-configured model: the span values (segment 0) and
// the zero values (segment 1) of the switch-setting tables, in the input's last decimal
// (thousandths on the frequency model), padded to the segment sizes by repeating the last
// value. Nothing for models and inputs without range switches.
std::optional<QList<int>> SwitchTableWords(const DeviceIdentity& id, int n, int segment, int count);

} // namespace vantelso::sim
