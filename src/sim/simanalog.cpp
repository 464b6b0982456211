#include "simanalog.h"

#include "codecs.h"
#include "defaultimages.h"
#include "simdevice.h"

#include <cmath>

namespace vantelso::sim {

namespace {

double constantAt(const SimDevice& d, int a) {
    return codecs::FloatFromBytes(d.memory(0, a + 1), d.memory(0, a), d.memory(0, a + 2));
}

void putConstant(SimDevice& d, int a, double k) {
    const auto e = codecs::FloatToBytes(k); // E, H, M
    d.setMemory(0, a, e[2]);
    d.setMemory(0, a + 1, e[1]);
    d.setMemory(0, a + 2, e[0]);
}

int word(const SimDevice& d, int a) {
    return d.memory(0, a) | d.memory(0, a + 1) << 8;
}

// KTY-like sensor: the quadratic through 498 ohm at 0 °C, 1000 at 100 and 1722 at 200.
double ktyCelsius(double r) {
    const double r0 = 498, r1 = 1000, r2 = 1722;
    return 100 * (r - r0) * (r - r2) / ((r1 - r0) * (r1 - r2)) +
           200 * (r - r0) * (r - r1) / ((r2 - r0) * (r2 - r1));
}

bool highFirst(const SimDevice& d) {
    const int m = d.identity().ModelByte;
    return m == 0 || m == 7 || m == 8 || m == 9;
}

} // namespace

SimCalibrationModel::Design SimCalibrationModel::design(int channel, int code) const {
    const bool directVI = model_ == QLatin1String("RSX7030") || model_ == QLatin1String("RSX7035");
    struct Row {
        int code, a, b;
        double nominal, neutral;
    };
    const Row rows[] = {
        {1, 50, 29, 56.5, 50},
        {2, 53, 32, 113, 125},
        {3, 56, 35, 453, 500},
        {4, 59, 38, directVI ? 5700.0 : 19900.0, directVI ? 5000.0 : 20000.0},
        {5, 62, 41, directVI ? 10300.0 : 38500.0, directVI ? 10000.0 : 40000.0},
        {16, 65, 44, 1, 1},
        {17, 68, 47, 1, 1},
    };
    for (const Row& r : rows) {
        if (r.code == code)
            return Design{channel == 0 ? r.a : r.b, r.nominal, r.neutral};
    }
    return {};
}

double SimCalibrationModel::reading(const SimDevice& d, int channel, int code,
                                    double trueInput) const {
    const std::size_t c = std::size_t(channel);
    if (code == 8) {
        // Thermocouple K (about 41 µV/°C) over the unit's own junction temperature.
        const int offset = std::int8_t(d.memory(0, channel == 0 ? 7 : 8));
        return trueInput / 0.041 + ambient + unit.cjcError + offset / 10.0;
    }
    if (code == 25) {
        const double v = unit.ptcK3 * trueInput / (trueInput + unit.ptcK2);
        const int base = channel == 0 ? 65 : 44;
        const double k3 = word(d, base);
        const double k2 = word(d, base + 2) / 10.0;
        return k3 > v ? ktyCelsius(k2 * v / (k3 - v)) : 0.0;
    }
    const Design ds = design(channel, code);
    if (ds.address < 0)
        return trueInput;
    const double k = constantAt(d, ds.address);
    return trueInput * (1 + unit.inputGainError[c]) * k / ds.nominal;
}

std::optional<double> SimCalibrationModel::rawPtcCount(const SimDevice& d, int channel, int code,
                                                       double ohms) const {
    if (code != 25)
        return std::nullopt;
    const int k3 = word(d, channel == 0 ? 65 : 44);
    if (k3 != 0 && k3 != 0xFFFF)
        return std::nullopt;
    return std::round(unit.ptcK3 * ohms / (ohms + unit.ptcK2));
}

std::pair<double, double> SimCalibrationModel::outputConstants(const SimDevice& d,
                                                               int channel) const {
    const int a = (channel == 0 ? 100 : 112) + (d.outputIsCurrent(channel) ? 6 : 0);
    // M, E, H per value.
    auto at = [&](int b) {
        return codecs::FloatFromBytes(d.memory(0, b + 2), d.memory(0, b), d.memory(0, b + 1));
    };
    const double first = at(a);
    const double second = at(a + 3);
    return highFirst(d) ? std::pair{second, first} : std::pair{first, second};
}

double SimCalibrationModel::terminalOutput(int channel, bool current, double count) const {
    const std::size_t c = std::size_t(channel);
    const double lo = OutputAtRawLow(current);
    const double hi = OutputAtRawHigh(current);
    const double ideal = lo + (count - kRawLow) / (kRawHigh - kRawLow) * (hi - lo);
    return ideal * (1 + unit.outputGainError[c]) + unit.outputOffset[c] * hi;
}

void SimCalibrationModel::makeFresh(SimDevice& d) const {
    const bool ptc = model_ == QLatin1String("5010OEM") || model_.endsWith(QLatin1Char('C'));
    for (int channel : {0, 1}) {
        for (int code : {1, 2, 3, 4, 5, 16, 17}) {
            const Design ds = design(channel, code);
            putConstant(d, ds.address, ds.neutral);
        }
        if (ptc) {
            for (int n = 0; n < 4; ++n)
                d.setMemory(0, (channel == 0 ? 65 : 44) + n, 0xFF);
        }
        d.setMemory(0, 7 + channel, 0);
        // Output 0-20 mA (the option byte's low two bits), range 0..20 mA.
        const int option = channel == 0 ? 4 : 6;
        d.setMemory(0, option, d.memory(0, option) & ~3);
        const int base = channel == 0 ? 24 : 16;
        const int zero =
            model_ == QLatin1String("5010OEM") || model_ == QLatin1String("RSX7035") ? 4000 : 0;
        d.setMemory(0, base, 20000 & 0xFF);
        d.setMemory(0, base + 1, 20000 >> 8);
        d.setMemory(0, base + 2, zero & 0xFF);
        d.setMemory(0, base + 3, zero >> 8);
    }
}

} // namespace vantelso::sim
