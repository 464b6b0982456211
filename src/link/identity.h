#pragma once

#include <QString>
#include <cstdint>

namespace vantelso {

// Who answered the last "$V": the family (`DeviceCode`), the model within it (`ModelByte`)
// and the two extra identification bytes. Start values are those shown before any device
// has answered ("ID=12/0").
struct DeviceIdentity {
    std::uint8_t DeviceCode = 12;
    std::uint8_t ModelByte = 0;
    std::uint8_t IdByte3 = 0;
    std::uint8_t IdByte4 = 0;

    bool operator==(const DeviceIdentity&) const = default;
};

// True for the lettered models whose identifier depends on bits 5 and 6 of address 4.
bool ModelNeedsVariantByte(std::uint8_t modelByte);

// "RSX7030", "RSX7131B", ... For model bytes 2 to 6, variantByte is the device byte at
// address 4; for the others it is ignored. Unknown model bytes give an empty text.
QString ModelIdentifier(std::uint8_t modelByte, std::uint8_t variantByte);

// "ID=12/0"
QString IdentificationLabel(const DeviceIdentity& id);

// Parses a model identifier ("RSX7131B") or a model byte ("3") into the model byte and, for
// the lettered models, a variant byte whose bits 5-6 select the identifier. False if unknown.
bool ParseModelIdentifier(const QString& text, std::uint8_t* modelByte, std::uint8_t* variantBits);

} // namespace vantelso
