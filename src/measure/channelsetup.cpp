#include "channelsetup.h"

#include "codecs.h"
#include "devicelink.h"

#include <cmath>

namespace vantelso::measure {

// How the switch banks configure a channel
// ----------------------------------------
// The switch-configured models read their input type, output type and range from DIP
// switches; the configuration record only applies with the input switch in its "EEPROM"
// position (code 0). The routine below rebuilds the channel's settings the way the device
// itself does:
//
//   model            input type            output type       span index  zero index
//   RSX7030 (0, 1)   S0 & 31               (S0 & 192) / 64   (S1 & 252)/4  S2
//   lettered 2,3,6   S0 & 15 (+15 on 3, 6) (S1 & 192) / 64   S1 & 63       S0 / 16
//   RSX7040 (7)      frequency             (S2 & 12) / 4     S1 & 63       multiplier (S1 & 192)/64
//   RSX7035 (8)      S0&15 (+16 by S1 b0)  4-20 mA           record range  record range
//
// - The zero/span values come from the device's table for the channel's input type
//   ("$S" n, n = input-type code; table 1 on the frequency model): elements 1..a are the
//   span values of switch positions 1..a, elements a+2..a+b+1 the zero values of positions
//   1..b, stored in units of the input type's last decimal. Elements 0 and a+1 are the
//   device's own scale words and are not needed for the display.
// - Switch position 0 of the span or the zero ("Default") is the value the device keeps in
//   its record: the channel's input end and start words, read with "$R" from the range block.
// - Input start = zero, input end = zero + span. On the frequency model the span values are
//   in thousandths and multiplied by 1000, 100, 10 or 1 by the multiplier switch; the range
//   starts at 0 and its decimals follow the range end as in the record.
// - Output start and end are the limits of the selected output type; the RSX7030's option
//   switch (bit 5 of S0) reverses the output, so its start and end are swapped.
// - The RSX7035 has switches for its input type only; its range stays the record's.
// - The models 4, 5 and 9 have no range switches: their settings stay the record's.
// - The thermistor model's switch code 18 means "Res300K" (32) as in the switch guide.
// Table sizes a, b are those of the table read for the model (63/15, 16/16, 63/1).

namespace {

constexpr int kEeprom = 0;

int lastDecimalsScale(int decimals) {
    return int(std::lround(std::pow(10.0, decimals)));
}

bool hasRangeSwitches(std::uint8_t model) {
    return model <= 3 || model == 6 || model == 7;
}

} // namespace

void ApplySwitchSelection(const DeviceIdentity& id, const SwitchState& s,
                          std::array<MeasureChannel, 2>& channels) {
    ChannelSettings& a = channels[0].settings;
    auto setType = [](ChannelSettings& ch, int code) {
        if (code != kEeprom) // the "EEPROM" position leaves the record's type in force
            ch.inputType = std::uint8_t(code);
    };
    switch (id.ModelByte) {
    case 0:
    case 1:
        setType(a, s.S0 & 31);
        break;
    case 2:
    case 3:
    case 4:
    case 5:
    case 6: {
        int t = s.S0 & 15;
        // The RTD and thermistor variants number their switch codes from 15 on.
        if (t != kEeprom && id.DeviceCode == 12 && (id.ModelByte == 3 || id.ModelByte == 6))
            t += 15;
        if (id.DeviceCode == 12 && id.ModelByte == 6 && t == 18)
            t = input_code::Res300K;
        setType(a, t);
        if (id.ModelByte == 5)
            setType(channels[1].settings, s.S1 & 15);
        break;
    }
    case 7:
        // SW2 holds the span and multiplier: the frequency model always measures a frequency.
        a.inputType = std::uint8_t(input_code::Freq);
        a.outputType = std::uint8_t((s.S2 & 12) / 4);
        break;
    case 8:
    case 9:
        setType(a, (s.S0 & 15) + ((s.S1 & 1) ? 16 : 0));
        break;
    default:
        break;
    }
}

bool SetUpSwitchChannel(DeviceLink& link, const Catalogue& catalogue, const SwitchState& s,
                        int channel, MeasureChannel& mc) {
    const DeviceIdentity id = link.identity;
    ChannelSettings& ch = mc.settings;
    mc.kind = InputKind::FromOutput;
    if (id.DeviceCode == 12 && id.ModelByte == 5)
        mc.kind = catalogue.Input(ch.inputType).unit == QLatin1String("%") ? InputKind::Percent
                                                                           : InputKind::Direct;
    const std::uint8_t m = id.ModelByte;
    if (id.DeviceCode != 12 || channel != 0)
        return true; // every switch-configured model has one input
    if (m == 8) {
        if ((s.S0 & 15) != kEeprom || (s.S1 & 1))
            ch.outputType = 1; // current output only
        ch.decimals = catalogue.Input(ch.inputType).Decimals;
        return true;
    }
    if (!hasRangeSwitches(m))
        return true;

    const bool frequency = m == 7;
    int spanIndex = 0;
    int zeroIndex = 0;
    int outputType = ch.outputType;
    bool reverse = false;
    if (m <= 1) {
        if ((s.S0 & 31) == kEeprom)
            return true;
        outputType = (s.S0 & 192) / 64;
        reverse = (s.S0 & 32) != 0;
        spanIndex = (s.S1 & 252) / 4;
        zeroIndex = s.S2;
    } else if (!frequency) {
        if ((s.S0 & 15) == kEeprom)
            return true;
        outputType = (s.S1 & 192) / 64;
        spanIndex = s.S1 & 63;
        zeroIndex = s.S0 / 16;
    } else {
        spanIndex = s.S1 & 63;
    }

    // The record's range is the "Default" position of both switches.
    const int base = RangeBase(channel);
    const QByteArray bytes = link.ReadBlock(0, base, 4);
    if (link.CommError || link.lastCallRefused())
        return false;
    const int decimals = frequency ? ch.decimals : catalogue.Input(ch.inputType).Decimals;
    const double recordScale = lastDecimalsScale(decimals);
    const bool sign = UsesSignedValues(id);
    const double recordEnd =
        codecs::Make16(std::uint8_t(bytes[1]), std::uint8_t(bytes[0]), sign) / recordScale;
    const double recordStart =
        codecs::Make16(std::uint8_t(bytes[3]), std::uint8_t(bytes[2]), sign) / recordScale;

    const QList<int> table = link.ReadTable(frequency ? 1 : ch.inputType);
    if (link.CommError || link.lastCallRefused())
        return false;
    int a = 0, b = 0;
    DeviceLink::TableDataBytes(m, &a, &b, 0, 0);
    auto entry = [&table](int k, double fallback, double scale) {
        return k >= 0 && k < table.size() ? table[k] / scale : fallback;
    };

    double start = recordStart;
    double end = recordEnd;
    if (frequency) {
        static constexpr double kMultiplier[4] = {1000, 100, 10, 1};
        const double span = spanIndex >= 1 && spanIndex <= a
                                ? entry(spanIndex, 0, 1000.0) * kMultiplier[(s.S1 & 192) / 64]
                                : recordEnd - recordStart;
        start = spanIndex >= 1 && spanIndex <= a ? 0 : recordStart;
        end = start + span;
        ch.decimals = std::uint8_t(FrequencyDecimals(end));
    } else {
        const double tableScale = recordScale;
        const double zero = zeroIndex >= 1 && zeroIndex <= b
                                ? entry(a + 1 + zeroIndex, recordStart, tableScale)
                                : recordStart;
        const double span = spanIndex >= 1 && spanIndex <= a
                                ? entry(spanIndex, recordEnd - recordStart, tableScale)
                                : recordEnd - recordStart;
        start = zero;
        end = zero + span;
        ch.decimals = std::uint8_t(decimals);
    }
    ch.inputStart = start;
    ch.inputEnd = end;
    ch.outputType = std::uint8_t(outputType);
    const OutputType& out = catalogue.Output(outputType);
    ch.outputStart = reverse ? out.max : out.min;
    ch.outputEnd = reverse ? out.min : out.max;
    return true;
}

} // namespace vantelso::measure
