#include "defaultimages.h"

#include "codecs.h"

#include <cmath>

namespace vantelso::sim {

namespace {

// Input-type codes and output-type codes as the record stores them.
enum Input : int {
    In10V = 4,
    In20mA = 5,
    InTcJ = 7,
    InTcK = 8,
    InPt100 = 18,
    InKty84 = 25,
    InCost10K = 26,
};
enum Output : int { Out0_20mA = 0, Out4_20mA = 1, Out0_10V = 2, Out0_5V = 3 };

// Bit fields of the option bytes (address 4 for channel A, 6 for channel B).
constexpr int kWires3 = 2 << 2; // wires field = 2: three-wire connection
constexpr int kCjcInternal = 1 << 4;

// Helper that lays values out the way the record does.
class Image {
public:
    Image() : bytes_(256, '\0') {}

    Image& byte(int address, int value) {
        bytes_[address] = char(value & 0xFF);
        return *this;
    }
    // Record words are little-endian: low byte at the lower address.
    Image& word(int address, int value) {
        const auto hl = codecs::Split16(value);
        return byte(address, hl.low).byte(address + 1, hl.high);
    }
    // Thresholds and physical values: M, H, E at a, a+1, a+2.
    Image& recordFloat(int address, double v) {
        const auto e = codecs::FloatToBytes(v); // E, H, M
        return byte(address, e[2]).byte(address + 1, e[1]).byte(address + 2, e[0]);
    }
    // Output calibration constants use yet another order: M, E, H.
    Image& referenceFloat(int address, double v) {
        const auto e = codecs::FloatToBytes(v);
        return byte(address, e[2]).byte(address + 1, e[0]).byte(address + 2, e[1]);
    }
    // Input range end/start (scaled by 10^decimals) and output end/start (scaled by 1000).
    Image& range(int channel, double inStart, double inEnd, int decimals, double outStart,
                 double outEnd) {
        const int base = channel == 0 ? 20 : 12;
        const double scale = std::pow(10.0, decimals);
        word(base, int(std::lround(inEnd * scale)));
        word(base + 2, int(std::lround(inStart * scale)));
        word(base + 4, int(std::lround(outEnd * 1000)));
        return word(base + 6, int(std::lround(outStart * 1000)));
    }
    // The output calibration blocks: voltage at 100 (A) / 112 (B), current 6 bytes above.
    // "direct" models keep the raw-3500 value first; the others store the pair swapped,
    // which is how the host's readout formula expects to find them.
    Image& outputReferences(bool direct) {
        for (int base : {100, 112}) {
            for (bool current : {false, true}) {
                const int a = base + (current ? 6 : 0);
                const double high = OutputAtRawHigh(current);
                const double low = OutputAtRawLow(current);
                referenceFloat(a, direct ? high : low);
                referenceFloat(a + 3, direct ? low : high);
            }
        }
        return *this;
    }
    // Two scale words per linearisation table, skipping anything inside [keepFrom, keepTo].
    Image& tableScales(int keepFrom = -1, int keepTo = -1) {
        for (int n = 1; TableScaleAddress(n) + 3 <= 255; ++n) {
            const int a = TableScaleAddress(n);
            if (a + 3 >= keepFrom && a <= keepTo)
                continue;
            const auto first = codecs::Split16(1000 + 8 * n);
            const auto second = codecs::Split16(500 + 4 * n);
            byte(a, first.high).byte(a + 1, first.low);
            byte(a + 2, second.high).byte(a + 3, second.low);
        }
        return *this;
    }
    QByteArray bytes() const { return bytes_; }

private:
    QByteArray bytes_;
};

// Model 0 (RSX7030): one channel, "Tc K" 0..1000 °C to 4-20 mA, one trip at 800/780 °C.
QByteArray model0() {
    return Image()
        .byte(0, InTcK)
        .byte(3, 0x00) // function linear, burn-out up scale, relay direction 0
        .byte(4, Out4_20mA | kCjcInternal)
        .byte(7, 0)    // no offset
        .byte(8, 15)   // trip delay: round(15 / 0.75) / 10 = 2.0 s
        .byte(9, 0x05) // over-range ±2.5% at both output ends
        .recordFloat(10, 800.0)
        .recordFloat(13, 780.0)
        .range(0, 0.0, 1000.0, InputDecimals(InTcK), 4.0, 20.0)
        .word(28, 5) // response code: 5 * 0.058 + 0.2 = 0.5 s
        .word(53, 4) // input filter
        .outputReferences(true)
        .tableScales()
        .bytes();
}

// Model 1 shares the RSX7030 identifier but has no trip, and the configuration tool offers
// it no signal type of its own: its input reads "EEPROM" (the raw range as stored, no
// decimals) into a 4-20 mA output.
QByteArray model1() {
    return Image()
        .byte(0, 0)
        .byte(4, Out4_20mA)
        .byte(9, 0x05)
        .range(0, 0.0, 1000.0, 0, 4.0, 20.0)
        .word(53, 4)
        .outputReferences(false)
        .tableScales()
        .bytes();
}

// Model 2 ("A", mV and thermocouple): "Tc J" on both channels, internal cold junction.
QByteArray model2(int variant) {
    return Image()
        .byte(0, InTcJ)
        .byte(1, InTcJ)
        .byte(4, Out4_20mA | kCjcInternal | variant)
        .byte(6, Out0_10V | kCjcInternal)
        .range(0, 0.0, 600.0, InputDecimals(InTcJ), 4.0, 20.0)
        .range(1, 0.0, 400.0, InputDecimals(InTcJ), 0.0, 10.0)
        .word(53, 4)
        .outputReferences(false)
        .tableScales()
        .bytes();
}

// Model 3 ("B", resistance and RTD): "Pt 100" three-wire, -50..150 °C on both channels.
QByteArray model3(int variant) {
    return Image()
        .byte(0, InPt100)
        .byte(1, InPt100)
        .byte(4, Out4_20mA | kWires3 | variant)
        .byte(6, Out4_20mA | kWires3)
        .byte(9, 0x05)
        .range(0, -50.0, 150.0, InputDecimals(InPt100), 4.0, 20.0)
        .range(1, -50.0, 150.0, InputDecimals(InPt100), 4.0, 20.0)
        .word(53, 4)
        .outputReferences(false)
        .tableScales()
        .bytes();
}

// Model 4 ("D", voltage and current): "20 mA" 4..20 to 0-10 V; channel B "10 V" to 4-20 mA.
QByteArray model4(int variant) {
    return Image()
        .byte(0, In20mA)
        .byte(1, In10V)
        .byte(4, Out0_10V | variant)
        .byte(6, Out4_20mA)
        .range(0, 4.0, 20.0, InputDecimals(In20mA), 0.0, 10.0)
        .range(1, 0.0, 10.0, InputDecimals(In10V), 4.0, 20.0)
        .word(53, 2)
        .outputReferences(false)
        .tableScales()
        .bytes();
}

// Model 5 (math, RSX7132D): "10 V" 0..10 on both inputs; channel B outputs A+B. The
// physical scaling lives in the extension block 128..152, which the table scale words
// must not overwrite.
QByteArray model5(int variant) {
    constexpr int opAPlusB = 2;
    return Image()
        .byte(0, In10V)
        .byte(1, In10V)
        .byte(3, 0)            // channel A: "= A"
        .byte(5, opAPlusB * 8) // channel B: "A+B"
        .byte(4, Out4_20mA | variant)
        .byte(6, Out4_20mA)
        .range(0, 0.0, 10.0, InputDecimals(In10V), 4.0, 20.0)
        .range(1, 0.0, 10.0, InputDecimals(In10V), 4.0, 20.0)
        .word(53, 2)
        .recordFloat(128, 100.0) // channel A: 0..10 V reads 0..100
        .recordFloat(131, 0.0)
        .recordFloat(134, 50.0) // channel B: 0..10 V reads -50..50
        .recordFloat(137, -50.0)
        .recordFloat(140, 150.0) // output A spans 0..150
        .recordFloat(143, 0.0)
        .byte(146, 0)            // operator delay (only MAX/MIN use it)
        .recordFloat(147, 100.0) // output B spans -50..100
        .recordFloat(150, -50.0)
        .outputReferences(false)
        .tableScales(128, 153)
        .bytes();
}

// Model 6 ("C", thermistor/KTY): "Cost10K" 0..100 °C and "KTY84-150" 0..200 °C, two-wire.
QByteArray model6(int variant) {
    return Image()
        .byte(0, InCost10K)
        .byte(1, InKty84)
        .byte(4, Out4_20mA | variant)
        .byte(6, Out0_10V)
        .range(0, 0.0, 100.0, InputDecimals(InCost10K), 4.0, 20.0)
        .range(1, 0.0, 200.0, InputDecimals(InKty84), 0.0, 10.0)
        .word(53, 4)
        .outputReferences(false)
        .tableScales()
        .bytes();
}

// Model 7 (RSX7040, frequency): TTL sensor, 1..1000 Hz stored with one decimal (range end
// 1000 ≤ 6500 but > 650), 4-20 mA out, two trip pairs, trigger code 100 = 2.902 V. Each trip
// keeps the hysteresis the editor asks for, a hundredth of the 20 kHz scale (200 Hz).
QByteArray model7() {
    constexpr int ttl = 2;
    constexpr int decimals = 1;
    return Image()
        .byte(0, ttl) // sensor type in bits 0-2, 50 Hz filter (bit 3) off
        .byte(4, Out4_20mA | decimals << 2)
        .byte(6, Out4_20mA)
        .byte(8, 2) // trip delay, whole seconds, shared by both trips
        .range(0, 1.0, 1000.0, decimals, 4.0, 20.0) // the sensor reads down to 0.1 Hz
        .range(1, 1.0, 1000.0, decimals, 4.0, 20.0)
        .recordFloat(28, 800.0) // trip 1 high / low
        .recordFloat(31, 550.0)
        .recordFloat(34, 400.0) // trip 2 high / low
        .recordFloat(37, 150.0)
        .word(53, 1)
        .byte(63, 0)
        .byte(64, 100)
        .outputReferences(true)
        .tableScales()
        .bytes();
}

// Model 8 (RSX7035): current output only; "Pt 100" -50..150 °C three-wire to 4-20 mA.
QByteArray model8() {
    return Image()
        .byte(0, InPt100)
        .byte(4, Out4_20mA | kWires3)
        .byte(9, 0x05)
        .range(0, -50.0, 150.0, InputDecimals(InPt100), 4.0, 20.0)
        .word(28, 3) // response code: 3 * 0.116 + 0.2 = 0.5 s
        .word(53, 4)
        .outputReferences(true)
        .tableScales()
        .bytes();
}

// Model 9 (RSX5035): voltage output only, no V/mA inputs; "Tc K" 0..1200 °C to 0-10 V.
QByteArray model9() {
    return Image()
        .byte(0, InTcK)
        .byte(4, Out0_10V | kCjcInternal)
        .range(0, 0.0, 1200.0, InputDecimals(InTcK), 0.0, 10.0)
        .word(28, 3)
        .word(53, 4)
        .outputReferences(true)
        .tableScales()
        .bytes();
}

} // namespace

DeviceIdentity DefaultIdentity(std::uint8_t modelByte) {
    // IdByte3 4 on model 0 enables its response-time field; 2 on model 6 unlocks "Res300K".
    static constexpr std::uint8_t idByte3[10] = {4, 1, 1, 1, 1, 1, 2, 1, 1, 1};
    static constexpr std::uint8_t idByte4[10] = {2, 1, 3, 3, 3, 2, 1, 4, 1, 1};
    DeviceIdentity id;
    id.DeviceCode = 12;
    id.ModelByte = modelByte;
    if (modelByte <= 9) {
        id.IdByte3 = idByte3[modelByte];
        id.IdByte4 = idByte4[modelByte];
    }
    return id;
}

QByteArray DefaultSwitchBytes(std::uint8_t modelByte) {
    // Bank bytes that select the same input and output as the default record, with the zero
    // and span switches at "Default": every view of a fresh unit shows the record's ranges.
    static constexpr std::uint8_t banks[10][4] = {
        {72, 1, 0, 0},  // RSX7030: Tc K (8) + 64 x output 1; output 2 code 1
        {0, 0, 0, 0},   // model 1: "EEPROM", as its record
        {7, 64, 0, 0},  // Tc J, output code 1 in bits 6-7 of SW2
        {3, 64, 0, 0},  // 3 + 15 = Pt 100
        {0, 0, 0, 0},   // D model: input types from the record, output direct
        {4, 4, 0, 0},   // "10 V" on both channels
        {11, 64, 0, 0}, // 11 + 15 = Cost10K
        {0, 0, 6, 0},   // RSX7040: TTL (2) + 4 x output 1, span "Default"
        {2, 1, 0, 0},   // 2 + 16 = Pt 100
        {8, 0, 0, 0},   // Tc K
    };
    if (modelByte > 9)
        return QByteArray(4, '\0');
    return QByteArray(reinterpret_cast<const char*>(banks[modelByte]), 4);
}

QByteArray DefaultImage(std::uint8_t modelByte, std::uint8_t variantBits) {
    const int variant = variantBits & 0x60;
    switch (modelByte) {
    case 0:
        return model0();
    case 1:
        return model1();
    case 2:
        return model2(variant);
    case 3:
        return model3(variant);
    case 4:
        return model4(variant);
    case 5:
        return model5(variant);
    case 6:
        return model6(variant);
    case 7:
        return model7();
    case 8:
        return model8();
    case 9:
        return model9();
    default:
        return QByteArray(256, '\0');
    }
}

int InputDecimals(int inputType) {
    switch (inputType) {
    case 1:
    case 2:
        return 2;
    case 4:
    case 5:
        return 3;
    case 3:
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
        return 1;
    default:
        return inputType >= 16 && inputType <= 32 && inputType != 31 ? 1 : 0;
    }
}

std::pair<int, int> TableSizes(std::uint8_t modelByte) {
    switch (modelByte) {
    case 4:
    case 5:
        return {16, 16};
    case 7:
        return {63, 1};
    default:
        return {63, 15};
    }
}

int TableWord(int n, int segment, int k) {
    // A gently curved rising characteristic, offset by table number so tables differ.
    if (segment == 0)
        return 100 * (n % 32) + 400 * k + (k * k) / 8;
    return 50 * (n % 32) + 200 * k;
}

double OutputAtRawLow(bool currentOutput) {
    return currentOutput ? 4.0 : 2.0;
}

double OutputAtRawHigh(bool currentOutput) {
    return currentOutput ? 20.0 : 10.0;
}

} // namespace vantelso::sim
