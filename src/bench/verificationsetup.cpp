#include "verificationsetup.h"

#include "calfunction.h"
#include "calibrator.h"
#include "numberformat.h"

#include <QLatin1String>
#include <cmath>

namespace vantelso::bench {

namespace {

// How the calibrator reaches the input terminals: millivolt and thermocouple sources, a
// voltage, a current, or a resistance (RTDs are simulated as resistances).
enum class InputWiring { Millivolt, Volt, Current, Resistance };

InputWiring WiringOf(int input) {
    switch (input) {
    case 2:
        return InputWiring::Volt;
    case 3:
        return InputWiring::Current;
    default:
        return input >= 12 ? InputWiring::Resistance : InputWiring::Millivolt;
    }
}

bool isOneOf(QStringView name, std::initializer_list<const char*> names) {
    for (const char* n : names) {
        if (name == QLatin1String(n))
            return true;
    }
    return false;
}

} // namespace

const std::array<VerificationInput, 18>& VerificationInputs() {
    static const std::array<VerificationInput, 18> table{{
        {"mVL (-20 : 200)", "mVL", 100},
        {"mVH: (-200 : 800)", "mVH", 800},
        {"V", "V", 10},
        {"mA", "mA", 20},
        {"Tc J", "Tc J", 600},
        {"Tc K", "Tc K", 1200},
        {"Tc R", "Tc R", 1600},
        {"Tc S", "Tc S", 1600},
        {"Tc T", "Tc T", 100},
        {"Tc B", "Tc B", 1800},
        {"Tc E", "Tc E", 1000},
        {"Tc N", "Tc N", 1000},
        {"Pt100", "Pt100", 200},
        {"Pt1000", "Pt1000", 100},
        {"Ni100", "Ni100", 200},
        {"Ni1000", "Ni1000", 100},
        {"Ohm", "Ohm", 500},
        {"KOhm", "KOhm", 2000},
    }};
    return table;
}

QStringList VerificationInputCaptions() {
    QStringList out;
    for (const VerificationInput& i : VerificationInputs())
        out << QLatin1String(i.caption);
    return out;
}

int FindVerificationInput(QStringView caption) {
    const auto& table = VerificationInputs();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (caption == QLatin1String(table[i].caption))
            return int(i);
    }
    return -1;
}

const CalFunction& VerificationFunction(int input) {
    // Every entry of the list names a row of the calibrator's table.
    return *FindCalFunction(QString::fromLatin1(VerificationInputs()[std::size_t(input)].function));
}

QStringList VerificationOutputTypes() {
    return {QStringLiteral("mA"), QStringLiteral("V")};
}

QStringList VerificationModes() {
    return {QStringLiteral("Automatico"), QStringLiteral("Manuale")};
}

QStringList VerificationDevices() {
    return {QStringLiteral("RSX7030"),    QStringLiteral("RSX7031A"), QStringLiteral("RSX7031B"),
            QStringLiteral("RSX7031C"),   QStringLiteral("RSX7031D"), QStringLiteral("RSX7032A"),
            QStringLiteral("RSX7032B"),   QStringLiteral("RSX7032C"), QStringLiteral("RSX7032D"),
            QStringLiteral("RSX7131A"),   QStringLiteral("RSX7131B"), QStringLiteral("RSX7131C"),
            QStringLiteral("RSX7131D"),   QStringLiteral("RSX7132D"), QStringLiteral("RSX7035"),
            QStringLiteral("RSX5010OEM"), QStringLiteral("RSX5035")};
}

int DeviceOutputChannels(QStringView device) {
    if (!VerificationDevices().contains(device))
        return 0;
    if (device.startsWith(QLatin1String("RSX7031")) ||
        isOneOf(device, {"RSX7035", "RSX5010OEM", "RSX5035"}))
        return 1;
    return 2;
}

VerificationRange MakeRange(double min, double max) {
    return {min, max, (min + max) / 2};
}

VerificationRange DefaultVerificationRange(int input) {
    return MakeRange(0, VerificationInputs()[std::size_t(input)].defaultMax);
}

QString RangeProblem(int input, const VerificationRange& range) {
    if (input == 0 && (range.min < -20 || range.max > 200))
        return QStringLiteral("Valore non corretto per mVL; selezionare ingresso mVH");
    if (input == 1 && (range.min < -200 || range.max > 800))
        return QStringLiteral("Valore non corretto per mVH; selezionare ingresso V");
    for (double s : CalibratorSetpoints(input, range)) {
        if (!CalibratorValueBytes(s))
            return QStringLiteral("Valore fuori dal campo del calibratore");
    }
    return {};
}

std::array<double, 3> CalibratorSetpoints(int input, const VerificationRange& range) {
    const double scale = VerificationFunction(input).scale;
    return {range.min * scale, range.half * scale, range.max * scale};
}

std::optional<QString> SupplyVoltsText(QStringView typed) {
    const TypedNumber n = ParseTypedNumber(typed);
    if (!n.ok() || n.value < 18 || n.value > 30)
        return std::nullopt;
    return QString::number(n.value, 'f', 2);
}

OutputRouting OutputRoutingFor(QStringView device, int channel) {
    const bool second = channel == 1;
    if (device == QLatin1String("RSX7030"))
        return {second ? QStringLiteral("109C110A111C112C113A")
                       : QStringLiteral("109A110A111A112A113A"),
                {}};
    if (device.startsWith(QLatin1String("RSX7031")))
        return {second ? QString() : QStringLiteral("101A102A"), {}};
    if (device.startsWith(QLatin1String("RSX7032")) ||
        isOneOf(device, {"RSX7131A", "RSX7131D", "RSX7132D"}))
        return {second ? QStringLiteral("101C102C") : QStringLiteral("101A102A"), {}};
    if (device == QLatin1String("RSX7131C") && second)
        return {{}, QStringLiteral("secondo canale di uscita non tarabile")};
    // RSX7131C's first channel, RSX7131B, RSX7035, RSX5010OEM, RSX5035: wired for good.
    return {};
}

QString InputRoutingFor(QStringView model, int input) {
    const bool rsx7030 = model == QLatin1String("RSX7030");
    switch (WiringOf(input)) {
    case InputWiring::Millivolt:
        return rsx7030 ? QStringLiteral("101A102A103A104A105A")
                       : QStringLiteral("103A104A105A106A107A");
    case InputWiring::Volt:
        return rsx7030 ? QStringLiteral("101A102A103C104C105A")
                       : QStringLiteral("103A104A105C106C107A");
    case InputWiring::Current:
        return rsx7030 ? QStringLiteral("101A102C103C104C105C")
                       : QStringLiteral("103C104A105A106C107C");
    case InputWiring::Resistance:
        break;
    }
    return rsx7030 ? QStringLiteral("101C102C103C104A105A")
                   : QStringLiteral("103C104C105A106C107A");
}

QString ReportNumber(double v) {
    QString digits = QString::number(std::fabs(v), 'f', 3);
    if (digits.indexOf(QLatin1Char('.')) < 2)
        digits.prepend(QLatin1Char('0'));
    // A reading that rounds to zero is shown without a sign.
    const bool negative = v < 0 && digits != QLatin1String("00.000");
    return negative ? QLatin1Char('-') + digits : digits;
}

} // namespace vantelso::bench
