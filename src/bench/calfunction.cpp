#include "calfunction.h"

#include <QLatin1String>

namespace vantelso::bench {

const std::array<CalFunction, 18>& CalFunctions() {
    static const std::array<CalFunction, 18> table{{
        {"mVL", {0, 0, 0, 0}, 1000},      // -20..200 mV
        {"mVH", {1, 0, 0, 0}, 100},       // -200..800 mV
        {"V", {2, 0, 0, 0}, 10000},       //
        {"mA", {3, 0, 0, 0}, 10000},      //
        {"Tc J", {8, 0, 0, 0x40}, 10},    //
        {"Tc K", {8, 1, 0, 0x40}, 10},    //
        {"Tc R", {8, 4, 0, 0x40}, 10},    //
        {"Tc S", {8, 5, 0, 0x40}, 10},    //
        {"Tc T", {8, 2, 0, 0x40}, 10},    //
        {"Tc B", {8, 6, 0, 0x40}, 10},    //
        {"Tc E", {8, 10, 0, 0x40}, 10},   //
        {"Tc N", {8, 9, 0, 0x40}, 10},    //
        {"Pt100", {9, 15, 0, 0x40}, 10},  //
        {"Pt1000", {9, 23, 0, 0x40}, 10}, //
        {"Ni100", {9, 25, 0, 0x40}, 10},  //
        {"Ni1000", {5, 0, 0, 0}, 10},     // sourced as a resistance
        {"Ohm", {4, 0, 0, 0}, 1000},      //
        {"KOhm", {5, 0, 0, 0}, 100},      //
    }};
    return table;
}

const CalFunction* FindCalFunction(QStringView inputType) {
    for (const CalFunction& f : CalFunctions()) {
        if (inputType == QLatin1String(f.inputType))
            return &f;
    }
    return nullptr;
}

} // namespace vantelso::bench
