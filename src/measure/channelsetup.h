#pragma once

#include "catalogue.h"
#include "frameconverter.h"
#include "identity.h"
#include "record.h"

#include <array>
#include <cstdint>

namespace vantelso {
class DeviceLink;
}

namespace vantelso::measure {

// The three DIP-switch bank bytes SW1..SW3 as the device reports them with "$D".
struct SwitchState {
    std::uint8_t S0 = 0;
    std::uint8_t S1 = 0;
    std::uint8_t S2 = 0;
};

// The input selection the switch banks show, by model: the input type of channel A (and of
// channel B on the math model, and the output type on the frequency model). A switch code 0
// is the "EEPROM" position, where the record decides: the record's type is kept.
void ApplySwitchSelection(const DeviceIdentity& id, const SwitchState& s,
                          std::array<MeasureChannel, 2>& channels);

// Completes one channel of a switch-configured model from its switches and the device's
// zero/span tables ("$S") and range bytes ("$R"). Channels of the other models, and channels
// whose switches sit in the "EEPROM" position, keep the record's values. Returns false when a
// device read failed (the channel then keeps what it had).
bool SetUpSwitchChannel(DeviceLink& link, const Catalogue& catalogue, const SwitchState& s,
                        int channel, MeasureChannel& mc);

} // namespace vantelso::measure
