#pragma once

#include "identity.h"

#include <QByteArray>
#include <cstdint>
#include <utility>

// Factory state of each simulated model: identification bytes, DIP-switch banks and the
// bank-0 memory image (configuration record, output references and table scale words).
namespace vantelso::sim {

// DeviceCode 12 with the model's own IdByte3/IdByte4 (unknown model bytes get 0/0).
DeviceIdentity DefaultIdentity(std::uint8_t modelByte);

// Switch banks SW1..SW3 plus one spare byte, matching the default configuration.
QByteArray DefaultSwitchBytes(std::uint8_t modelByte);

// 256 bytes of bank 0. variantBits (0x00/0x20/0x40/0x60) land in bits 5-6 of address 4 for
// the lettered models 2..6, which is where the host reads the identifier letter base from.
QByteArray DefaultImage(std::uint8_t modelByte, std::uint8_t variantBits);

// Power of ten of the stored input range values of an input-type code (0 when unknown).
int InputDecimals(int inputType);

// Word counts (a, b) of the two segments of a linearisation table, by model byte.
std::pair<int, int> TableSizes(std::uint8_t modelByte);

// Segment word k of table n: strictly increasing within each segment.
int TableWord(int n, int segment, int k);

// Where the two scale words of table n live in bank 0 (four bytes, words high byte first).
inline int TableScaleAddress(int n) {
    return 132 + 4 * (n - 1);
}

// Raw output readings the device reports at its two calibration points, and the output
// value each point stands for on a current (mA) and a voltage (V) output.
inline constexpr double kRawLow = 800.0;
inline constexpr double kRawHigh = 3500.0;
double OutputAtRawLow(bool currentOutput);
double OutputAtRawHigh(bool currentOutput);

} // namespace vantelso::sim
