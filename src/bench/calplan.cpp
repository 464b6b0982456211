#include "calplan.h"

#include "calfunction.h"
#include "catalogue.h"
#include "codecs.h"

#include <QByteArray>
#include <cmath>

namespace vantelso::bench {

namespace {

bool isOneOf(const QString& model, std::initializer_list<const char*> names) {
    for (const char* n : names) {
        if (model == QLatin1String(n))
            return true;
    }
    return false;
}

// Models whose 10 V and 20 mA inputs take k = point² / M with their own nominal values.
bool directVoltCurrent(const QString& model) {
    return isOneOf(model, {"RSX7030", "RSX7035"});
}

CalStep input(int channel, int index, int code, int address, double zero, double half, double span,
              double point, double nominal) {
    return CalStep{false, channel, index, code, address, zero, half, span, point, nominal};
}

CalStep output(int channel, int index, int code, int address, double zero, double span) {
    return CalStep{true, channel, index, code, address, zero, (zero + span) / 2, span, 0, 0};
}

} // namespace

QList<CalStep> CalPlan(const QString& model, int channel) {
    const bool direct = directVoltCurrent(model);
    const double nominal10V = direct ? 5700 : 19900;
    const double nominal20mA = direct ? 10300 : 38500;
    const double mAZero = isOneOf(model, {"RSX7035", "5010OEM"}) ? 4 : 0;
    QList<CalStep> plan;
    if (channel == 0) {
        const CalStep mAOut = output(0, 9, calcode::OutMilliAmp, 106, mAZero, 20);
        if (model == QLatin1String("5010OEM"))
            plan << mAOut;
        plan << input(0, 0, calcode::Mv90, 50, 0, 45, 90, 50, 56.5)
             << input(0, 1, calcode::Mv200, 53, 0, 100, 200, 125, 113)
             << input(0, 2, calcode::Mv800, 56, 0, 400, 800, 500, 453)
             << input(0, 3, calcode::Volt10, 59, 0, 5000, 10000, 5000, nominal10V)
             << input(0, 4, calcode::MilliAmp20, 62, 0, 10000, 20000, 10000, nominal20mA)
             << input(0, 5, calcode::Kohm2, 65, 0, 1000, 2000, 1400, 1)
             << input(0, 20, calcode::Ptc, 65, 0, 100, 200, 25, 1)
             << input(0, 6, calcode::Ohm500, 68, 0, 250, 500, 300, 1)
             << input(0, 7, calcode::Cjc, 7, 0, 50, 100, 0, 100);
        if (model == QLatin1String("RSX7035"))
            plan << mAOut;
        else if (model != QLatin1String("5010OEM"))
            plan << output(0, 8, calcode::OutVolt, 100, 0, 10) << mAOut;
        return plan;
    }
    plan << input(1, 12, calcode::Mv90, 29, 0, 45, 90, 50, 56.5)
         << input(1, 13, calcode::Mv200, 32, 0, 100, 200, 125, 113)
         << input(1, 14, calcode::Mv800, 35, 0, 400, 800, 500, 453)
         << input(1, 15, calcode::Volt10, 38, 0, 5000, 10000, 5000, nominal10V)
         << input(1, 16, calcode::MilliAmp20, 41, 0, 10000, 20000, 10000, nominal20mA)
         << input(1, 21, calcode::Ptc, 44, 0, 100, 200, 25, 1)
         << input(1, 17, calcode::Kohm2, 44, 0, 1000, 2000, 1400, 1)
         << input(1, 18, calcode::Ohm500, 47, 0, 250, 500, 300, 1)
         << input(1, 19, calcode::Cjc, 8, 0, 50, 100, 0, 100)
         << output(1, 10, calcode::OutVolt, 112, 0, 10)
         << output(1, 11, calcode::OutMilliAmp, 118, 0, 20);
    return plan;
}

QString RangeCaption(int index) {
    static const char* const inputs[] = {"90 mV", "200 mV", "800 mV",  "10 V",
                                         "20 mA", "2 Kohm", "500 ohm", "CJC"};
    if (index >= 0 && index <= 7)
        return QLatin1String(inputs[index]) + QLatin1String(" A");
    if (index >= 12 && index <= 19)
        return QLatin1String(inputs[index - 12]) + QLatin1String(" B");
    switch (index) {
    case 8:
        return QStringLiteral("V A");
    case 9:
        return QStringLiteral("mA A");
    case 10:
        return QStringLiteral("V B");
    case 11:
        return QStringLiteral("mA B");
    case 20:
        return QStringLiteral("PTC A");
    case 21:
        return QStringLiteral("PTC B");
    default:
        return {};
    }
}

std::optional<CalStep> FindCalStep(const QString& model, int index) {
    for (int channel : {0, 1}) {
        for (const CalStep& s : CalPlan(model, channel)) {
            if (s.index == index)
                return s;
        }
    }
    return std::nullopt;
}

const QList<CalModel>& CalModels() {
    static const QList<int> all12{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    static const QList<int> d{3, 4, 8, 9, 15, 16, 10, 11};
    static const QList<CalModel> models{
        {"RSX7030", true, true, all12, false, {26, 24, 21}},
        {"RSX7031A", true, false, {0, 1, 2, 7, 8, 9}, false, {10, 15, 15}},
        {"RSX7031B", true, false, {5, 6, 8, 9}, false, {10, 15, 15}},
        {"RSX7031C", true, false, {20, 8, 9}, false, {10, 15, 15}},
        {"RSX7031D", true, false, {3, 4, 8, 9}, false, {10, 15, 15}},
        {"RSX7032A", true, true, {0, 1, 2, 7, 8, 9, 12, 13, 14, 19, 10, 11}, false, {18, 18, 18}},
        {"RSX7032B", true, true, {5, 6, 8, 9, 17, 18, 10, 11}, false, {18, 18, 18}},
        {"RSX7032C", true, true, {20, 21, 8, 9, 10, 11}, false, {18, 18, 18}},
        {"RSX7032D", true, true, d, true, {18, 18, 18}},
        {"RSX7131A", true, true, {0, 1, 2, 7, 8, 9, 10, 11}, false, {18, 18, 18}},
        {"RSX7131B", true, true, {5, 6, 8, 9, 10, 11}, false, {18, 18, 18}},
        {"RSX7131C", true, true, {20, 8, 9, 10, 11}, false, {18, 18, 18}},
        {"RSX7131D", true, true, {3, 4, 8, 9, 10, 11}, false, {18, 18, 18}},
        {"RSX7132D", true, true, d, true, {18, 18, 18}},
        {"RSX7035", true, false, {0, 1, 2, 3, 4, 5, 6, 7, 9}, false, {0, 0, 0}},
        {"5010OEM", true, false, {20, 9}, false, {0, 0, 0}},
        {"RSX5035", true, false, {0, 1, 2, 5, 6, 7, 8}, false, {10, 10, 10}},
    };
    return models;
}

int FindCalModel(const QString& name) {
    const QList<CalModel>& models = CalModels();
    for (int i = 0; i < models.size(); ++i) {
        if (name == QLatin1String(models[i].name))
            return i;
    }
    return -1;
}

bool ReadsInputDirectly(const QString& model) {
    return isOneOf(model, {"RSX7030", "RSX7035", "RSX5035"});
}

bool FrameCarriesInput(const DeviceIdentity& id) {
    const int m = id.ModelByte;
    return id.DeviceCode == 12 && (m == 0 || m == 5 || m == 7 || m == 8 || m == 9);
}

bool OutputHighFirst(const DeviceIdentity& id) {
    const int m = id.ModelByte;
    return id.DeviceCode == 12 && (m == 0 || m == 7 || m == 8 || m == 9);
}

OutputRange CalOutputRange(const QString& model) {
    if (model == QLatin1String("RSX5035"))
        return {10, 0};
    if (isOneOf(model, {"5010OEM", "RSX7035"}))
        return {20, 4};
    return {20, 0};
}

InputRoute InputRouteFor(const QString& model, int code, int position) {
    const CalFunction* mVL = FindCalFunction(u"mVL");
    const CalFunction* mVH = FindCalFunction(u"mVH");
    const CalFunction* volt = FindCalFunction(u"V");
    const CalFunction* mA = FindCalFunction(u"mA");
    const CalFunction* kohm = FindCalFunction(u"KOhm");
    const CalFunction* ohm = FindCalFunction(u"Ohm");
    auto pick = [&](const char* lowMv, const char* v, const char* ma, const char* res,
                    const char* ptc) -> InputRoute {
        switch (code) {
        case calcode::Mv90:
        case calcode::Mv200:
        case calcode::Cjc:
            return lowMv ? InputRoute{QLatin1String(lowMv), mVL, 1000} : InputRoute{};
        case calcode::Mv800:
            return lowMv ? InputRoute{QLatin1String(lowMv), mVH, 100} : InputRoute{};
        case calcode::Volt10:
            return v ? InputRoute{QLatin1String(v), volt, 10} : InputRoute{};
        case calcode::MilliAmp20:
            return ma ? InputRoute{QLatin1String(ma), mA, 10} : InputRoute{};
        case calcode::Kohm2:
            return res ? InputRoute{QLatin1String(res), kohm, 100} : InputRoute{};
        case calcode::Ohm500:
            return res ? InputRoute{QLatin1String(res), ohm, 1000} : InputRoute{};
        case calcode::Ptc:
            return ptc ? InputRoute{QLatin1String(ptc), kohm, 100} : InputRoute{};
        default:
            return {};
        }
    };
    if (model == QLatin1String("RSX7030"))
        return pick("101A102A103A104A105A", "101A102A103C104C105A", "101A102C103C104C105C",
                    "101C102C103C104A105A", nullptr);
    if (model == QLatin1String("RSX7035"))
        return pick("101C102A103A104A105A", "101A102A103A104C105A", "101A102A103A104A105C",
                    "101A102C103C104A105A", nullptr);
    if (model == QLatin1String("5010OEM"))
        return pick(nullptr, nullptr, nullptr, nullptr, "101C102A103A104A105A");
    if (model == QLatin1String("RSX5035")) {
        if (position == 2)
            return pick("101C102C103A104C105C106C112A", nullptr, nullptr,
                        "101A102C103C104C105C106C112C", nullptr);
        return pick("101C102C103A104A105A106A112A", nullptr, nullptr,
                    "101A102C103C104A105A106A112C", nullptr);
    }
    return pick("103A104A105A106A107A113C114A", "103A104A105C106C107A113C114A",
                "103C104A105A106C107C113C114A", "103C104C105A106C107A113C114A",
                "103A104A105A106C107A113A114A");
}

double InputConstant(const QString& model, int code, double point, double reading) {
    if (code == calcode::Kohm2 || code == calcode::Ohm500)
        return point / reading;
    if ((code == calcode::Volt10 || code == calcode::MilliAmp20) && !ReadsInputDirectly(model))
        return 4 * point * point / reading;
    return point * point / reading;
}

bool WithinNominal(double k, double nominal) {
    return std::isfinite(k) && std::fabs(k - nominal) <= nominal / 50;
}

int CjcOffsetTenths(double ambient, double reading) {
    return int(std::lround((ambient - reading) * 10));
}

std::optional<std::uint8_t> CjcOffsetByte(int tenths) {
    if (tenths < -127 || tenths > 127)
        return std::nullopt;
    return std::uint8_t(tenths < 0 ? tenths + 256 : tenths);
}

std::optional<PtcConstants> ComputePtc(double x, double y, QString* why) {
    auto refuse = [why](const QString& text) -> std::optional<PtcConstants> {
        if (why)
            *why = text;
        return std::nullopt;
    };
    // The readings are counts of the device's converter: below one count nothing was
    // connected, and K3 would come out 0, which the device takes for "not calibrated".
    if (!std::isfinite(x) || x < 1)
        return refuse(QStringLiteral("V2000 deve essere un numero di almeno 1"));
    if (!std::isfinite(y) || y < 1)
        return refuse(QStringLiteral("V1000 deve essere un numero di almeno 1"));
    PtcConstants c;
    c.k1 = 2 * y / x;
    if (!(c.k1 > 1))
        return refuse(QStringLiteral("K1 = 2 x V1000 / V2000 deve superare 1"));
    c.k2 = (2000 - 1000 * c.k1) / (c.k1 - 1);
    c.k3 = x * (c.k2 + 2000) / 2000;
    // Each word is split as high = Int(v / 256), low = the rest, and the byte keeps the
    // rest's whole part: the word is the value's whole part.
    const double k3 = std::floor(c.k3);
    const double k2 = std::floor(10 * c.k2);
    if (!std::isfinite(k3) || k3 < 0 || k3 > 65535)
        return refuse(QStringLiteral("K3 fuori campo (0..65535)"));
    if (!std::isfinite(k2) || k2 < 0 || k2 > 65535)
        return refuse(QStringLiteral("K2 x 10 fuori campo (0..65535)"));
    c.k3Word = int(k3);
    c.k2Tenths = int(k2);
    return c;
}

std::array<std::uint8_t, 4> PtcBytes(const PtcConstants& c) {
    const auto k3 = codecs::Split16(c.k3Word);
    const auto k2 = codecs::Split16(c.k2Tenths);
    return {k3.low, k3.high, k2.low, k2.high};
}

int RangeEndWord(int code, double span) {
    if (code == calcode::Volt10 || code == calcode::MilliAmp20)
        return int(std::lround(span));
    static const Catalogue catalogue;
    return int(std::lround(span * std::pow(10.0, catalogue.Input(code).Decimals)));
}

double InputTolerance(const QString& model, const CalStep& step) {
    if (step.code == calcode::Ptc && model != QLatin1String("RSX7030"))
        return (step.span - step.zero) / 200;
    return (step.span - step.zero) / 1000;
}

double OutputTolerance(const QString& model, const CalStep& step) {
    if (model == QLatin1String("RSX7035"))
        return (step.span - step.zero) / 400;
    if (model == QLatin1String("5010OEM"))
        return (step.span - step.zero) / 355;
    return (step.span - step.zero) / 500;
}

double CheckSetpoint(const CalStep& step, int which) {
    if (step.code == calcode::Ptc)
        return std::array<double, 3>{498, 1000, 1722}[std::size_t(which)];
    return std::array<double, 3>{step.zero, step.half, step.span}[std::size_t(which)];
}

std::array<std::uint8_t, 3> ConstantBytes(double k) {
    const auto e = codecs::FloatToBytes(k); // E, H, M
    return {e[2], e[1], e[0]};
}

std::array<std::uint8_t, 6> OutputConstantBytes(const DeviceIdentity& id, double lo, double hi) {
    const bool highFirst = OutputHighFirst(id);
    const auto first = codecs::FloatToBytes(highFirst ? hi : lo);
    const auto second = codecs::FloatToBytes(highFirst ? lo : hi);
    return {first[2], first[0], first[1], second[2], second[0], second[1]};
}

std::pair<double, double> DecodeOutputConstants(const DeviceIdentity& id, const QByteArray& six) {
    auto at = [&](int i) { return std::uint8_t(six.at(i)); };
    const double first = codecs::FloatFromBytes(at(2), at(0), at(1));
    const double second = codecs::FloatFromBytes(at(5), at(3), at(4));
    return OutputHighFirst(id) ? std::pair{second, first} : std::pair{first, second};
}

} // namespace vantelso::bench
