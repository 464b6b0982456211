#include "switchcodec.h"

namespace vantelso::switches {

namespace {

// An empty selection stores the first entry: a switch field never takes a negative value.
int v(int selection, int mask) {
    return selection < 0 ? 0 : selection & mask;
}

std::uint8_t b(int value) {
    return std::uint8_t(value & 0xFF);
}

bool family12(const DeviceIdentity& id, std::initializer_list<int> models) {
    if (id.DeviceCode != 12)
        return false;
    for (int m : models)
        if (id.ModelByte == m)
            return true;
    return false;
}

int offered(int code, const DeviceIdentity& id, const Catalogue& catalogue) {
    if (code == input_code::Res300K)
        return family12(id, {6}) ? code : -1; // the thermistor model's 300 kΩ range
    return catalogue.IsInputAvailable(code, id) && !catalogue.Input(code).name.isEmpty() ? code
                                                                                         : -1;
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

QList<FieldSpec> FieldsOf(Family f, int inputs) {
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
        if (inputs == 2)
            return {{"input", &S::input, 0, 15},
                    {"input_b", &S::inputB, 0, 15},
                    {"option", &S::option, 0, 1}};
        return {{"input", &S::input, 0, 15}, {"option", &S::option, 0, 1}};
    case Family::Rsx7040:
        return {{"input", &S::input, 0, 3},
                {"output", &S::output, 0, 3},
                {"span", &S::span, 0, 63},
                {"multiplier", &S::multiplier, 0, 3},
                {"option", &S::option, 0, 1}};
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
    SwitchBytes out;
    out.S0 = b(v(s.input, 31) + 32 * v(s.option, 1) + 64 * v(s.output, 3));
    out.S1 = b(v(s.outputB, 3) + 4 * v(s.span, 63));
    out.S2 = b(v(s.zero, 255));
    return out;
}

SwitchBytes DisegnaDip7040(const Selections& s, bool wizard, SwitchBytes) {
    SwitchBytes out;
    out.S1 = b(v(s.span, 63) + 64 * v(s.multiplier, 3));
    out.S2 = b(v(s.input, 3) + 4 * v(s.output, 3) + 16 * v(s.option, 1));
    out.S0 = wizard ? out.S2 : 0;
    return out;
}

SwitchBytes DisegnaDip7032(const Selections& s, const DeviceIdentity& id, SwitchBytes previous) {
    int t = v(s.input, 63);
    if (t != 0) {
        if (family12(id, {6}) && t == input_code::Res300K)
            t = 18;
        if (family12(id, {3, 6}))
            t -= 15;
    }
    SwitchBytes out = previous;
    out.S0 = b(16 * v(s.zero, 15) + (t & 15));
    out.S1 = b(v(s.span, 63) + 64 * v(s.output, 3));
    return out;
}

SwitchBytes DisegnaDip7035(const Selections& s, SwitchBytes previous) {
    const int t = v(s.input, 31);
    SwitchBytes out = previous;
    int s1 = (previous.S1 & 0x02) | (4 * v(s.span, 63));
    if (t > 15) {
        out.S0 = b(16 * v(s.zero, 15) + (t - 16));
        s1 |= 0x01;
    } else {
        out.S0 = b(16 * v(s.zero, 15) + t);
    }
    // The option switch means cold junction for thermocouples and wiring for the resistive
    // inputs; for the others it keeps its position.
    if ((t >= 7 && t <= 15) || (t >= 16 && t <= 21))
        s1 = (s1 & ~0x02) | (v(s.option, 1) << 1);
    out.S1 = b(s1);
    return out;
}

SwitchBytes DisegnaDip7032_c(const Selections& s, int inputs, SwitchBytes previous) {
    SwitchBytes out = previous;
    const int high = inputs == 2 ? v(s.inputB, 15) : previous.S0 >> 4;
    out.S0 = b(16 * high + v(s.input, 15));
    out.S1 = b((previous.S1 & ~0x01) | v(s.option, 1));
    return out;
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
    switch (FamilyOf(id.ModelByte)) {
    case Family::Rsx7030:
        s.input = offered(x.S0 & 31, id, catalogue);
        s.option = (x.S0 >> 5) & 1;
        s.output = x.S0 >> 6;
        s.outputB = x.S1 & 3;
        s.span = x.S1 >> 2;
        s.zero = x.S2;
        break;
    case Family::Lettered: {
        int t = x.S0 & 15;
        // Position 0 is "EEPROM" on every lettered model, also where codes start at 16.
        if (t != 0 && family12(id, {3, 6}))
            t += 15;
        if (family12(id, {6}) && t == 18)
            t = input_code::Res300K;
        s.input = offered(t, id, catalogue);
        s.zero = x.S0 >> 4;
        s.span = x.S1 & 63;
        s.output = x.S1 >> 6;
        break;
    }
    case Family::DModels:
        s.input = x.S0 & 15;
        if (inputs == 2)
            s.inputB = x.S0 >> 4;
        s.option = x.S1 & 1;
        break;
    case Family::Rsx7040:
        s.span = x.S1 & 63;
        s.multiplier = x.S1 >> 6;
        s.input = x.S2 & 3;
        s.output = (x.S2 >> 2) & 3;
        s.option = (x.S2 >> 4) & 1;
        break;
    case Family::Rsx7035: {
        const int t = (x.S0 & 15) + ((x.S1 & 1) ? 16 : 0);
        s.input = offered(t, id, catalogue);
        s.zero = x.S0 >> 4;
        s.span = x.S1 >> 2;
        if ((t >= 7 && t <= 21))
            s.option = (x.S1 >> 1) & 1;
        break;
    }
    case Family::None:
        break;
    }
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
