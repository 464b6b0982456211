#include "switchmeaning.h"

#include "switchtables.h"

#include <algorithm>
#include <cmath>

namespace vantelso::switches {

namespace {

bool family12(const DeviceIdentity& id, std::initializer_list<int> models) {
    return id.DeviceCode == 12 &&
           std::find(models.begin(), models.end(), int(id.ModelByte)) != models.end();
}

// The input code a switch position stands for; -1 when the model does not offer it.
int offeredInput(int code, const DeviceIdentity& device, const Catalogue& catalogue) {
    const DeviceIdentity id = SwitchListIdentity(device);
    if (code == input_code::Eeprom)
        return code;
    if (code == input_code::Res300K)
        return family12(id, {6}) ? code : -1; // the thermistor model's 300 kΩ range
    if (code < 0 || code >= input_code::Freq || catalogue.Input(code).name.isEmpty())
        return -1;
    return catalogue.IsInputAvailable(code, id) ? code : -1;
}

} // namespace

Family FamilyOf(std::uint8_t m) {
    switch (m) {
    case 0:
    case 1:
        return Family::Rsx7030;
    case 2:
    case 3:
    case 6:
        return Family::Lettered;
    case 4:
    case 5:
        return Family::DModels;
    case 7:
        return Family::Rsx7040;
    case 8:
        return Family::Rsx7035;
    default:
        return Family::None;
    }
}

int BankCount(Family f) {
    return f == Family::Rsx7030 || f == Family::Rsx7040 ? 3 : 2;
}

int BitField::get(SwitchBytes b) const {
    if (!present())
        return -1;
    return (b.bank(bank) >> shift) & ((1 << width) - 1);
}

void BitField::put(SwitchBytes& b, int value) const {
    if (!present())
        return;
    std::uint8_t& byte = bank == 0 ? b.S0 : bank == 1 ? b.S1 : b.S2;
    const int mask = ((1 << width) - 1) << shift;
    byte = std::uint8_t((byte & ~mask) | ((std::max(value, 0) << shift) & mask));
}

BankLayout LayoutOf(const DeviceIdentity& id) {
    BankLayout l;
    switch (id.ModelByte) {
    case 0:
    case 1:
        l.input = {0, 0, 5};
        l.option = {0, 5, 1};
        l.output = {0, 6, 2};
        l.outputB = {1, 0, 2};
        l.span = {1, 2, 6};
        l.zero = {2, 0, 8};
        break;
    case 2:
    case 3:
    case 6:
        l.input = {0, 0, 4};
        l.zero = {0, 4, 4};
        l.span = {1, 0, 6};
        l.output = {1, 6, 2};
        l.inputOffset = family12(id, {3, 6}) ? 15 : 0;
        break;
    case 4:
    case 5:
        l.input = {0, 0, 4};
        if (id.ModelByte == 5)
            l.inputB = {1, 0, 4};
        l.option = {1, 4, 1};
        break;
    case 7:
        l.input = {2, 0, 2}; // the sensor
        l.output = {2, 2, 2};
        l.span = {1, 0, 6};
        l.multiplier = {1, 6, 2};
        break;
    case 8:
        l.input = {0, 0, 4};
        l.inputHigh = {1, 0, 1};
        l.zero = {0, 4, 4};
        l.option = {1, 1, 1};
        l.span = {1, 2, 6};
        break;
    case 9:
        l.input = {0, 0, 4};
        l.inputHigh = {1, 0, 1};
        break;
    default:
        break;
    }
    return l;
}

DeviceIdentity SwitchListIdentity(const DeviceIdentity& id) {
    DeviceIdentity out = id;
    if (id.ModelByte == 1)
        out.ModelByte = 0;
    return out;
}

int BanksInReply(const DeviceIdentity& id) {
    const int m = id.ModelByte;
    const bool longReply = m == 7 || m == 8 || m == 9 || (m == 0 && id.DeviceCode == 12);
    return longReply ? 3 : 2;
}

SwitchBytes SwitchBytesFromReply(const QList<int>& data, const DeviceIdentity& id) {
    SwitchBytes b{std::uint8_t(data.value(0)), std::uint8_t(data.value(1)),
                  std::uint8_t(data.value(2))};
    if (BanksInReply(id) < 3)
        b.S2 = 0;
    return b;
}

OptionRole OptionRoleFor(const DeviceIdentity& id, int t, const Catalogue& catalogue) {
    auto hasCjc = [&catalogue](int code) {
        return code > 0 && code < Catalogue::SwitchRangeTextCount &&
               catalogue.SwitchRangeTexts()[std::size_t(code)].hasCjc;
    };
    switch (FamilyOf(id.ModelByte)) {
    case Family::Rsx7030:
        return hasCjc(t) ? OptionRole::Cjc : OptionRole::Plain;
    case Family::DModels:
        return OptionRole::OutputDirection;
    case Family::Rsx7035:
        if (IsThermocoupleType(t))
            return OptionRole::Cjc;
        if (t >= 16 && t <= 21)
            return OptionRole::Wires;
        return t == 15 ? OptionRole::Plain : OptionRole::None;
    default:
        return OptionRole::None;
    }
}

QString InputName(const Catalogue& catalogue, int code) {
    const QString name = code >= 0 ? catalogue.Input(code).name : QString();
    return name.isEmpty() ? QStringLiteral("#%1").arg(code) : name;
}

SwitchMeaning Describe(const DeviceIdentity& id, SwitchBytes bytes, const Catalogue& catalogue) {
    SwitchMeaning out;
    out.family = FamilyOf(id.ModelByte);
    const BankLayout l = LayoutOf(id);
    if (BanksInReply(id) < 3)
        bytes.S2 = 0;
    ChannelSwitches& a = out.channels[0];
    if (out.family == Family::Rsx7040) {
        a.sensor = l.input.get(bytes);
        a.inputCode = a.sensor > 0 ? input_code::Freq : input_code::Eeprom;
    } else if (l.input.present()) {
        int t = l.input.get(bytes);
        if (t != 0)
            t += l.inputOffset;
        if (l.inputHigh.present() && l.inputHigh.get(bytes))
            t += 16;
        if (family12(id, {6}) && t == 18)
            t = input_code::Res300K;
        a.inputCode = offeredInput(t, id, catalogue);
    }
    if (!a.switched())
        a.inputCode = std::min(a.inputCode, 0);
    const bool ranges = id.ModelByte != 9;
    if (a.switched() && ranges) {
        a.outputCode = l.output.get(bytes);
        if (out.family == Family::Rsx7035)
            a.outputCode = 1; // 4-20 mA only
        const bool tabled =
            out.family == Family::Rsx7040 || HasRangeSwitches(id, a.inputCode, catalogue);
        if (tabled) {
            a.span = l.span.get(bytes);
            a.zero = l.zero.present() && BanksInReply(id) > l.zero.bank ? l.zero.get(bytes) : -1;
            a.multiplier = l.multiplier.get(bytes);
        }
    }
    out.option = OptionRoleFor(id, a.inputCode, catalogue);
    if (out.option != OptionRole::None && l.option.present())
        out.optionOn = l.option.get(bytes);
    else
        out.option = OptionRole::None;
    // The "EEPROM" position leaves the whole channel to the record, its direction too.
    const bool reversed = out.option == OptionRole::OutputDirection && out.optionOn == 1;
    a.reverse = reversed && a.switched();

    ChannelSwitches& b = out.channels[1];
    if (out.family == Family::Rsx7030 && a.switched()) {
        // The second output follows the one input.
        b = a;
        b.outputCode = l.outputB.get(bytes);
        out.channelBSwitched = true;
    } else if (l.inputB.present()) {
        b.inputCode = offeredInput(l.inputB.get(bytes), id, catalogue);
        b.reverse = reversed && b.switched();
        out.channelBSwitched = true;
    }
    return out;
}

double RecordWordScale(const DeviceIdentity& id, int code, int decimals, bool end) {
    const double scale = std::pow(10.0, decimals);
    return end && family12(id, {6}) && code == input_code::Res300K ? 10 * scale : scale;
}

bool HasRangeSwitches(const DeviceIdentity& id, int inputCode, const Catalogue& catalogue) {
    const Family f = FamilyOf(id.ModelByte);
    if (f == Family::Rsx7040)
        return true;
    if (f != Family::Rsx7030 && f != Family::Lettered && f != Family::Rsx7035)
        return false;
    return RecordForInput(catalogue, inputCode) >= 0;
}

RangeValues TableRangeValues(const DeviceIdentity& id, int inputCode, const Catalogue& catalogue) {
    if (!HasRangeSwitches(id, inputCode, catalogue))
        return {};
    const int r = FamilyOf(id.ModelByte) == Family::Rsx7040 ? FrequencyRecord
                                                            : RecordForInput(catalogue, inputCode);
    const ZeroSpanRecord& rec = ZeroSpanRecords()[std::size_t(r)];
    return {rec.zero, rec.span};
}

SwitchedRange RangeOf(const ChannelSwitches& ch, bool frequency, const RangeValues& v,
                      double recordStart, double recordEnd) {
    SwitchedRange out{recordStart, recordEnd, false};
    const bool spanSet = ch.span >= 1 && ch.span <= v.span.size();
    if (frequency) {
        // Spans are multiplied by 1000, 100, 10 or 1; a switched range starts at 0 Hz.
        static constexpr double kMultiplier[4] = {1000, 100, 10, 1};
        if (spanSet) {
            out.start = 0;
            out.end = v.span[ch.span - 1] * kMultiplier[std::clamp(ch.multiplier, 0, 3)];
            out.fromSwitches = true;
        }
        return out;
    }
    const bool zeroSet = ch.zero >= 1 && ch.zero <= v.zero.size();
    const double zero = zeroSet ? v.zero[ch.zero - 1] : recordStart;
    const double span = spanSet ? v.span[ch.span - 1] : recordEnd - recordStart;
    out.start = zero;
    out.end = zero + span;
    out.fromSwitches = zeroSet || spanSet;
    return out;
}

OutputRange SwitchedOutput(const ChannelSwitches& ch, const Catalogue& catalogue,
                           double recordStart, double recordEnd) {
    OutputRange r{recordStart, recordEnd};
    if (ch.outputCode >= 0) {
        const OutputType& o = catalogue.Output(ch.outputCode);
        r = {o.min, o.max};
    }
    if (ch.reverse)
        std::swap(r.start, r.end);
    return r;
}

} // namespace vantelso::switches
