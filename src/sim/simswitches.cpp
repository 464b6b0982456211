#include "simswitches.h"

#include "catalogue.h"
#include "switchmeaning.h"

#include <algorithm>
#include <cmath>

namespace vantelso::sim {

namespace {

const Catalogue& catalogue() {
    static const Catalogue c;
    return c;
}

int word(double v) {
    return int(std::clamp(std::lround(v), -32768L, 32767L));
}

} // namespace

void ApplyUnitSwitches(const DeviceIdentity& id, const QByteArray& bytes, WorkingChannel& a,
                       WorkingChannel& b) {
    using namespace switches;
    auto at = [&bytes](int i) { return std::uint8_t(i < bytes.size() ? bytes[i] : 0); };
    const SwitchMeaning m = Describe(id, SwitchBytes{at(0), at(1), at(2)}, catalogue());
    const bool frequency = m.family == Family::Rsx7040;
    auto apply = [&](const ChannelSwitches& sw, WorkingChannel& w) {
        if (!sw.switched())
            return;
        if (!frequency && sw.inputCode != w.type) {
            // The record's range words read in the scale of the switched type.
            const int decimals = catalogue().Input(sw.inputCode).Decimals;
            w.inStart *= RecordWordScale(id, w.type, w.decimals, false) /
                         RecordWordScale(id, sw.inputCode, decimals, false);
            w.inEnd *= RecordWordScale(id, w.type, w.decimals, true) /
                       RecordWordScale(id, sw.inputCode, decimals, true);
            w.type = sw.inputCode;
            w.decimals = decimals;
        }
        const SwitchedRange r = RangeOf(
            sw, frequency, TableRangeValues(id, sw.inputCode, catalogue()), w.inStart, w.inEnd);
        w.inStart = r.start;
        w.inEnd = r.end;
        const OutputRange o = SwitchedOutput(sw, catalogue(), w.outStart, w.outEnd);
        if (sw.outputCode >= 0)
            w.outputCode = sw.outputCode;
        w.outStart = o.start;
        w.outEnd = o.end;
    };
    apply(m.channels[0], a);
    if (!m.channelBSwitched)
        return;
    if (m.family == Family::Rsx7030) {
        const WorkingChannel input = a;
        apply(m.channels[1], b);
        b.type = input.type;
        b.decimals = input.decimals;
        b.inStart = input.inStart;
        b.inEnd = input.inEnd;
    } else {
        apply(m.channels[1], b);
    }
}

std::optional<QList<int>> SwitchTableWords(const DeviceIdentity& id, int n, int segment,
                                           int count) {
    using namespace switches;
    const bool frequency = FamilyOf(id.ModelByte) == Family::Rsx7040;
    if (frequency ? n != 1 : !HasRangeSwitches(id, n, catalogue()))
        return std::nullopt;
    const RangeValues v = TableRangeValues(id, frequency ? input_code::Freq : n, catalogue());
    // The frequency model's one zero word is unused: its range starts at 0 Hz.
    const QList<double> values = segment == 0 ? v.span : frequency ? QList<double>{0} : v.zero;
    const double scale = frequency ? 1000.0 : std::pow(10.0, catalogue().Input(n).Decimals);
    QList<int> out;
    for (int k = 0; k < count; ++k)
        out << (values.isEmpty() ? 0
                                 : word(values[std::min<qsizetype>(k, values.size() - 1)] * scale));
    return out;
}

} // namespace vantelso::sim
