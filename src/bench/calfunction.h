#pragma once

#include <QStringView>
#include <array>
#include <cstdint>

namespace vantelso::bench {

// What the calibrator sources for one input type: the data bytes of its 0x80 (select
// function) frame, and the factor a setpoint in the input's units is multiplied by before it
// goes out in a 0x81 frame. After selecting a function the output is set to 0.
struct CalFunction {
    const char* inputType; // "mVL", "Tc K", "Pt100", ...
    std::array<std::uint8_t, 4> data;
    double scale;
};

// The whole table in its order: mVL, mVH, V, mA, Tc J, K, R, S, T, B, E, N, Pt100, Pt1000,
// Ni100, Ni1000, Ohm, KOhm.
const std::array<CalFunction, 18>& CalFunctions();
// nullptr for an input type the calibrator has no function for.
const CalFunction* FindCalFunction(QStringView inputType);

} // namespace vantelso::bench
