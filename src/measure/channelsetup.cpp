#include "channelsetup.h"

#include "codecs.h"
#include "devicelink.h"

#include <cmath>

namespace vantelso::measure {

// How the switch banks configure a channel
// ----------------------------------------
// What each switch means comes from switches::Describe; this routine turns it into the
// channel's settings the way the device itself works:
// - The input position 0 ("EEPROM") leaves the whole channel to the configuration record.
// - The zero/span values come from the device's table for the channel's input type ("$S" n,
//   n = input-type code; table 1 on the frequency model): elements 1..a are the span values
//   of switch positions 1..a, elements a+2..a+b+1 the zero values of positions 1..b, stored
//   in units of the input type's last decimal (thousandths on the frequency model).
// - Switch position 0 of the span or the zero ("Default") is the value the device keeps in
//   its record: the channel's input end and start words, read with "$R" from the range block
//   in the scale of the switched input type.
// - Output start and end are the limits of the switched output type; where the option
//   switch is the output direction (the D models) it runs backwards.

void ApplySwitchSelection(const DeviceIdentity& id, const SwitchState& s,
                          const Catalogue& catalogue, std::array<MeasureChannel, 2>& channels) {
    if (id.DeviceCode != 12)
        return;
    const switches::SwitchMeaning m = switches::Describe(id, s, catalogue);
    // The frequency model measures a frequency whatever its sensor switch.
    if (m.family == switches::Family::Rsx7040)
        channels[0].settings.inputType = std::uint8_t(input_code::Freq);
    for (int c = 0; c < 2; ++c) {
        const switches::ChannelSwitches& sw = m.channels[std::size_t(c)];
        if ((c == 1 && !m.channelBSwitched) || !sw.switched())
            continue;
        ChannelSettings& ch = channels[std::size_t(c)].settings;
        ch.inputType = std::uint8_t(sw.inputCode);
        if (sw.outputCode >= 0)
            ch.outputType = std::uint8_t(sw.outputCode);
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
    if (id.DeviceCode != 12 || channel < 0 || channel > 1)
        return true;
    const switches::SwitchMeaning m = switches::Describe(id, s, catalogue);
    const switches::ChannelSwitches& sw = m.channels[std::size_t(channel)];
    if ((channel == 1 && !m.channelBSwitched) || !sw.switched())
        return true;
    auto setOutput = [&] {
        const switches::OutputRange out =
            switches::SwitchedOutput(sw, catalogue, ch.outputStart, ch.outputEnd);
        if (sw.outputCode >= 0)
            ch.outputType = std::uint8_t(sw.outputCode);
        ch.outputStart = out.start;
        ch.outputEnd = out.end;
    };
    if (channel == 1 && m.family == switches::Family::Rsx7030) {
        setOutput(); // the second output; its input is channel A's (CopyInputToSecondOutput)
        return true;
    }

    const bool frequency = m.family == switches::Family::Rsx7040;
    const int code = sw.inputCode;
    const bool tabled = frequency || switches::HasRangeSwitches(id, code, catalogue);
    // The record's range in the scale of the switched type: the "Default" positions.
    const int decimals = frequency ? ch.decimals : catalogue.Input(code).Decimals;
    const QByteArray bytes = link.ReadBlock(0, RangeBase(channel), 4);
    if (link.CommError || link.lastCallRefused())
        return false;
    const bool sign = UsesSignedValues(id);
    double end = codecs::Make16(std::uint8_t(bytes[1]), std::uint8_t(bytes[0]), sign) /
                 switches::RecordWordScale(id, code, decimals, true);
    double start = codecs::Make16(std::uint8_t(bytes[3]), std::uint8_t(bytes[2]), sign) /
                   switches::RecordWordScale(id, code, decimals, false);
    ch.decimals = std::uint8_t(decimals);
    if (tabled && (sw.span > 0 || sw.zero > 0)) {
        const QList<int> table = link.ReadTable(frequency ? 1 : code);
        if (link.CommError || link.lastCallRefused())
            return false;
        int a = 0, b = 0;
        DeviceLink::TableDataBytes(id.ModelByte, &a, &b, 0, 0);
        const double scale = frequency ? 1000.0 : std::pow(10.0, catalogue.Input(code).Decimals);
        switches::RangeValues values;
        for (int k = 1; k <= a && k < table.size(); ++k)
            values.span << table[k] / scale;
        for (int k = 1; k <= b && a + 1 + k < table.size(); ++k)
            values.zero << table[a + 1 + k] / scale;
        const switches::SwitchedRange r = switches::RangeOf(sw, frequency, values, start, end);
        start = r.start;
        end = r.end;
        if (frequency)
            ch.decimals = std::uint8_t(FrequencyDecimals(end));
    }
    ch.inputType = std::uint8_t(frequency ? input_code::Freq : code);
    ch.inputStart = start;
    ch.inputEnd = end;
    setOutput();
    return true;
}

void CopyInputToSecondOutput(std::array<MeasureChannel, 2>& channels) {
    const ChannelSettings& a = channels[0].settings;
    ChannelSettings& b = channels[1].settings;
    b.inputType = a.inputType;
    b.decimals = a.decimals;
    b.inputStart = a.inputStart;
    b.inputEnd = a.inputEnd;
    channels[1].kind = channels[0].kind;
}

} // namespace vantelso::measure
