#pragma once

#include "catalogue.h"
#include "frameconverter.h"
#include "identity.h"
#include "record.h"
#include "switchmeaning.h"

#include <array>
#include <cstdint>

namespace vantelso {
class DeviceLink;
}

namespace vantelso::measure {

// The three DIP-switch bank bytes SW1..SW3 as the device reports them with "$D".
using SwitchState = switches::SwitchBytes;

// The input selection the switch banks show, by model (what switches::Describe reads): the
// input type of channel A (and of channel B on model byte 5, and the output type on the
// frequency model). The "EEPROM" position, and a code the model does not offer, keep the
// record's type.
void ApplySwitchSelection(const DeviceIdentity& id, const SwitchState& s,
                          const Catalogue& catalogue, std::array<MeasureChannel, 2>& channels);

// Completes one channel of a switch-configured model from its switches and the device's
// zero/span table ("$S") and range bytes ("$R"). Channels the switches do not set keep the
// record's values. Returns false when a device read failed (the channel then keeps what it
// had).
bool SetUpSwitchChannel(DeviceLink& link, const Catalogue& catalogue, const SwitchState& s,
                        int channel, MeasureChannel& mc);

// Channel B of a one-input model repeats channel A's input on its own output: the RSX7030's
// second output, or the doubler.
void CopyInputToSecondOutput(std::array<MeasureChannel, 2>& channels);

} // namespace vantelso::measure
