#include "switchcodec.h"

namespace vantelso::switches {

namespace {

// An empty selection stores the first entry: a switch field never takes a negative value.
int v(int selection) {
    return selection < 0 ? 0 : selection;
}

bool family12(const DeviceIdentity& id, std::initializer_list<int> models) {
    if (id.DeviceCode != 12)
        return false;
    for (int m : models)
        if (id.ModelByte == m)
            return true;
    return false;
}

DeviceIdentity modelIdentity(std::uint8_t modelByte) {
    DeviceIdentity id;
    id.ModelByte = modelByte;
    return id;
}

} // namespace

QList<FieldSpec> FieldsOf(Family f, int /*inputs*/) {
    using S = Selections;
    switch (f) {
    case Family::Rsx7030:
        return {{"input", &S::input, 0, 31},     {"output", &S::output, 0, 3},
                {"output_b", &S::outputB, 0, 3}, {"span", &S::span, 0, 63},
                {"zero", &S::zero, 0, 15},       {"option", &S::option, 0, 1}};
    case Family::Lettered:
        return {{"input", &S::input, 0, 32},
                {"output", &S::output, 0, 3},
                {"span", &S::span, 0, 63},
                {"zero", &S::zero, 0, 15}};
    case Family::DModels:
        // Nothing to choose: the guide shows the device's switches as they are.
        return {};
    case Family::Rsx7040:
        return {{"input", &S::input, 0, 3},
                {"output", &S::output, 0, 3},
                {"span", &S::span, 0, 63},
                {"multiplier", &S::multiplier, 0, 3}};
    case Family::Rsx7035:
        return {{"input", &S::input, 0, 31},
                {"span", &S::span, 0, 63},
                {"zero", &S::zero, 0, 15},
                {"option", &S::option, 0, 1}};
    case Family::None:
        break;
    }
    return {};
}

SwitchBytes DisegnaDip7030_r1(const Selections& s, SwitchBytes) {
    const BankLayout l = LayoutOf(modelIdentity(0));
    SwitchBytes out;
    l.input.put(out, v(s.input));
    l.option.put(out, v(s.option));
    l.output.put(out, v(s.output));
    l.outputB.put(out, v(s.outputB));
    l.span.put(out, v(s.span));
    l.zero.put(out, v(s.zero));
    return out;
}

SwitchBytes DisegnaDip7040(const Selections& s, bool wizard, SwitchBytes) {
    const BankLayout l = LayoutOf(modelIdentity(7));
    SwitchBytes out;
    l.span.put(out, v(s.span));
    l.multiplier.put(out, v(s.multiplier));
    l.input.put(out, v(s.input));
    l.output.put(out, v(s.output));
    out.S0 = wizard ? out.S2 : 0;
    return out;
}

SwitchBytes DisegnaDip7032(const Selections& s, const DeviceIdentity& id, SwitchBytes previous) {
    const BankLayout l = LayoutOf(id);
    int t = v(s.input);
    if (t != 0) {
        if (family12(id, {6}) && t == input_code::Res300K)
            t = 18;
        t -= l.inputOffset;
    }
    SwitchBytes out = previous;
    l.input.put(out, t);
    l.zero.put(out, v(s.zero));
    l.span.put(out, v(s.span));
    l.output.put(out, v(s.output));
    return out;
}

SwitchBytes DisegnaDip7035(const Selections& s, SwitchBytes previous) {
    const BankLayout l = LayoutOf(modelIdentity(8));
    const int t = v(s.input);
    SwitchBytes out = previous;
    l.input.put(out, t % 16);
    l.inputHigh.put(out, t > 15 ? 1 : 0);
    l.zero.put(out, v(s.zero));
    l.span.put(out, v(s.span));
    // The option switch means cold junction for thermocouples and wiring for the resistive
    // inputs; for the others it keeps its position.
    if ((t >= 7 && t <= 15) || (t >= 16 && t <= 21))
        l.option.put(out, v(s.option));
    return out;
}

SwitchBytes DisegnaDip7032_c(const Selections&, int, SwitchBytes previous) {
    // The D models have no switches the guide sets: only the limits text changes.
    return previous;
}

SwitchBytes Encode(const Selections& s, const DeviceIdentity& id, int inputs, bool wizard,
                   SwitchBytes previous) {
    switch (FamilyOf(id.ModelByte)) {
    case Family::Rsx7030:
        return DisegnaDip7030_r1(s, previous);
    case Family::Lettered:
        return DisegnaDip7032(s, id, previous);
    case Family::DModels:
        return DisegnaDip7032_c(s, inputs, previous);
    case Family::Rsx7040:
        return DisegnaDip7040(s, wizard, previous);
    case Family::Rsx7035:
        return DisegnaDip7035(s, previous);
    case Family::None:
        break;
    }
    return previous;
}

Selections Decode(SwitchBytes x, const DeviceIdentity& id, int inputs, const Catalogue& catalogue) {
    Selections s;
    const Family f = FamilyOf(id.ModelByte);
    if (f == Family::None)
        return s;
    const SwitchMeaning m = Describe(id, x, catalogue);
    const BankLayout l = LayoutOf(id);
    const ChannelSwitches& a = m.channels[0];
    s.input = f == Family::Rsx7040 ? a.sensor : a.inputCode;
    if (f == Family::DModels) {
        if (inputs == 2 && m.channelBSwitched)
            s.inputB = m.channels[1].inputCode;
        s.option = m.optionOn;
        return s;
    }
    // The positions are read whatever the input, so that the reader gives back what the
    // encoder stored; a short reply has no zero bank.
    s.output = l.output.get(x);
    s.outputB = l.outputB.get(x);
    s.span = l.span.get(x);
    s.zero = l.zero.present() && BanksInReply(id) > l.zero.bank ? l.zero.get(x) : -1;
    s.multiplier = l.multiplier.get(x);
    s.option = m.option != OptionRole::None ? m.optionOn : -1;
    if (f == Family::Rsx7030)
        s.option = l.option.get(x);
    if (f == Family::Rsx7035)
        s.output = -1;
    return s;
}

QStringList DrawingRows(SwitchBytes bytes, int banks) {
    QStringList rows;
    for (int bank = 0; bank < banks; ++bank) {
        QString row = QStringLiteral("SW%1").arg(bank + 1);
        for (int i = 0; i < 8; ++i)
            row += QStringLiteral("  %1:%2").arg(i + 1).arg(
                (bytes.bank(bank) >> i) & 1 ? QStringLiteral("ON") : QStringLiteral("OFF"));
        rows << row;
    }
    return rows;
}

} // namespace vantelso::switches
