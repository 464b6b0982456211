#include "catalogue.h"

namespace vantelso {

namespace {

const QString kCelsius = QStringLiteral("°C");
const QString kFahrenheit = QStringLiteral("°F");

struct InputRowDef {
    const char16_t* name;
    std::uint8_t decimals;
    const char16_t* unit;
    double min;
    double max;
    double minSpan;
    const char16_t* typeClass;
};

// Rows 0 to 33 of the input table. A "°C" unit marks a temperature type, whose Fahrenheit
// unit is "°F"; every other type shows the same unit in both forms. Row 4's minimum is
// replaced by the model rule below.
constexpr InputRowDef kInputRows[] = {
    {u"EEPROM", 0, u"", -32000, 32000, 0, u"0"},  {u"90 mV", 2, u"mV", -100, 90, 5, u"2"},
    {u"200 mV", 2, u"mV", -100, 200, 10, u"2"},   {u"800 mV", 1, u"mV", -100, 800, 20, u"2"},
    {u"10 V", 3, u"V", -10, 10, 1, u"4"},         {u"20 mA", 3, u"mA", 0, 20, 1, u"4"},
    {u"", 0, u"", -32000, 32000, 0, u"255"},      {u"Tc J", 1, u"°C", -200, 1200, 100, u"2"},
    {u"Tc K", 1, u"°C", -200, 1300, 100, u"2"},   {u"Tc R", 1, u"°C", 0, 1750, 400, u"2"},
    {u"Tc S", 1, u"°C", 0, 1750, 400, u"2"},      {u"Tc T", 1, u"°C", -200, 400, 100, u"2"},
    {u"Tc B", 1, u"°C", 0, 1800, 400, u"2"},      {u"Tc E", 1, u"°C", -200, 1000, 100, u"2"},
    {u"Tc N", 1, u"°C", -200, 1300, 100, u"2"},   {u"", 0, u"", -32565, 32565, 0, u"255"},
    {u"Res2K", 1, u"Ohm", 0, 2000, 500, u"3"},    {u"Res500", 1, u"Ohm", 0, 500, 50, u"3"},
    {u"Pt 100", 1, u"°C", -200, 850, 50, u"3"},   {u"Ni 100", 1, u"°C", -60, 180, 50, u"3"},
    {u"Pt 1K", 1, u"°C", -200, 185, 30, u"3"},    {u"Ni 1K", 1, u"°C", -60, 150, 30, u"3"},
    {u"Pot500", 1, u"%", 0, 100, 5, u"3"},        {u"Pot50K", 1, u"%", 0, 100, 5, u"6"},
    {u"KTY81-220", 1, u"°C", -55, 150, 50, u"6"}, {u"KTY84-150", 1, u"°C", -40, 250, 50, u"6"},
    {u"Cost10K", 1, u"°C", -10, 110, 50, u"6"},   {u"Cost1K", 1, u"°C", -30, 40, 25, u"6"},
    {u"KTY83-110", 1, u"°C", -55, 170, 50, u"6"}, {u"Vish10K", 1, u"°C", -40, 120, 50, u"6"},
    {u"Vish1K", 1, u"°C", -40, 150, 50, u"6"},    {u"", 0, u"", -32565, 32565, 0, u"255"},
    {u"Res300K", 1, u"KOhm", 0, 300, 2, u"100"},  {u"Freq", 0, u"Hz", 0.1, 20000, 1, u"7"},
};
constexpr int kFilledInputRows = int(std::size(kInputRows));

// "10 V" minimum per ModelByte 0..9: only models 0 and 8 accept negative voltages.
// The configuration read applies kVoltMinAfterRead, which leaves models 1, 7 and 9 alone.
constexpr double kVoltMinAtInit[10] = {-10, 0, 0, 0, 0, 0, 0, 0, -10, 0};
constexpr std::optional<double> kVoltMinAfterRead[10] = {-10, std::nullopt, 0,   0,           0, 0,
                                                         0,   std::nullopt, -10, std::nullopt};

// Models whose input list starts from "everything" and is cut down by exclusions.
constexpr bool kOffersAllByDefault[10] = {true,  false, false, false, false,
                                          false, false, false, true,  true};

struct InputExclusion {
    std::uint8_t modelByte;
    int first;
    int last;
};
// Code ranges a model never offers, whatever the type class says.
constexpr InputExclusion kInputExclusions[] = {
    {0, 24, 33}, // no thermistor, KTY, 50 kΩ or frequency front end
    {6, 28, 51}, // thermistor model: no KTY83, Vishay or above
    {8, 24, 33}, {9, 4, 5}, {9, 24, 33},
};

// Output codes a model's output stage supports; models not listed offer all four.
struct OutputRestriction {
    std::uint8_t modelByte;
    int onlyCode;
};
constexpr OutputRestriction kOutputRestrictions[] = {{8, 1}, {9, 2}};

struct SwitchRowDef {
    int code;
    const char16_t* name;
    std::uint8_t group;
    bool cjc;
    bool wires;
    const char16_t* max;
    const char16_t* min;
    const char16_t* span;
    const char16_t* maxF; // nullptr: same as the Celsius form
    const char16_t* minF;
    const char16_t* spanF;
};

constexpr SwitchRowDef kSwitchRows[] = {
    {1, u"90 mV", 0, false, false, u"90 mV", u"-100 mV", u"5 mV", nullptr, nullptr, nullptr},
    {2, u"200 mV", 0, false, false, u"200 mV", u"-100 mV", u"10 mV", nullptr, nullptr, nullptr},
    {3, u"800 mV", 0, false, false, u"800 mV", u"-100 mV", u"20 mV", nullptr, nullptr, nullptr},
    {4, u"10 V", 6, false, false, u"10 V", u"-10 V", u"1 V", nullptr, nullptr, nullptr},
    {5, u"20 mA", 5, false, false, u"20 mA", u"0 mA", u"1 mA", nullptr, nullptr, nullptr},
    {7, u"Tc J", 0, true, false, u"1200 °C", u"-200 °C", u"100 °C", u"2192 °F", u"-328 °F",
     u"180 °F"},
    {8, u"Tc K", 0, true, false, u"1300 °C", u"-200 °C", u"100 °C", u"2372 °F", u"-328 °F",
     u"180 °F"},
    {9, u"Tc R", 0, true, false, u"1750 °C", u"0 °C", u"400 °C", u"3182 °F", u"32 °F", u"720 °F"},
    {10, u"Tc S", 0, true, false, u"1750 °C", u"0 °C", u"400 °C", u"3182 °F", u"32 °F", u"720 °F"},
    {11, u"Tc T", 0, true, false, u"400 °C", u"-200 °C", u"100 °C", u"752 °F", u"-328 °F",
     u"180 °F"},
    {12, u"Tc B", 0, false, false, u"1850 °C", u"0 °C", u"400 °C", u"3362 °F", u"32 °F", u"720 °F"},
    {13, u"Tc E", 0, true, false, u"1000 °C", u"-200 °C", u"100 °C", u"1832 °F", u"-328 °F",
     u"180 °F"},
    {14, u"Tc N", 0, true, false, u"1300 °C", u"-200 °C", u"100 °C", u"2372 °F", u"-328 °F",
     u"180 °F"},
    {16, u"Res2K", 2, false, true, u"2000 ohm", u"0 ohm", u"50 ohm", nullptr, nullptr, nullptr},
    {17, u"Res500", 3, false, true, u"500 ohm", u"0 ohm", u"50 ohm", nullptr, nullptr, nullptr},
    {18, u"Pt 100", 1, false, true, u"850 °C", u"-200 °C", u"50 °C", u"1562 °F", u"-328 °F",
     u"90 °F"},
    {19, u"Ni 100", 1, false, true, u"180 °C", u"-60 °C", u"60 °C", u"356 °F", u"-76 °F",
     u"108 °F"},
    {20, u"Pt 1K", 1, false, true, u"185 °C", u"-85 °C", u"30 °C", u"365 °F", u"-121 °F", u"54 °F"},
    {21, u"Ni 1K", 1, false, true, u"185 °C", u"-85 °C", u"30 °C", u"365 °F", u"-121 °F", u"54 °F"},
    {22, u"Pot500", 4, false, false, u"100%", u"0%", u"10%", nullptr, nullptr, nullptr},
    {23, u"Pot50K", 4, false, false, u"100%", u"0%", u"10%", nullptr, nullptr, nullptr},
    {24, u"KTY81-220", 1, false, true, u"150 °C", u"-55 °C", u"50 °C", u"302 °F", u"-67 °F",
     u"90 °F"},
    {25, u"KTY84-150", 1, false, true, u"300 °C", u"-40 °C", u"50 °C", u"572 °F", u"-40 °F",
     u"90 °F"},
    {26, u"Cost10K", 1, false, true, u"100 °C", u"-10 °C", u"50 °C", u"212 °F", u"14 °F", u"90 °F"},
    {27, u"Cost1K", 1, false, true, u"40 °C", u"-30 °C", u"25 °C", u"104 °F", u"-22 °F", u"45 °F"},
    // The switch models have no codes above 27; these rows carry the frequency sensors.
    {28, u"Namur", 7, false, false, u"20 KHz", u"0.1Hz", u"0.5 Hz", nullptr, nullptr, nullptr},
    {29, u"Tacho", 7, false, false, u"20 KHz", u"0.1Hz", u"0.5 Hz", nullptr, nullptr, nullptr},
    {30, u"TTL", 7, false, false, u"20 KHz", u"0.1Hz", u"0.5 Hz", nullptr, nullptr, nullptr},
    {31, u"PNP", 7, false, false, u"20 KHz", u"0.1Hz", u"0.5 Hz", nullptr, nullptr, nullptr},
};

QString text(const char16_t* s) {
    return s ? QString::fromUtf16(s) : QString();
}

template <typename Row, std::size_t N>
const Row& rowOrEmpty(const std::array<Row, N>& table, int code) {
    static const Row empty{};
    if (code < 0 || code >= int(N))
        return empty;
    return table[std::size_t(code)];
}

} // namespace

bool IsTemperatureType(int code) {
    return (code >= 7 && code <= 14) || (code >= 18 && code <= 21) || (code >= 24 && code <= 30);
}

bool IsThermocoupleType(int code) {
    return code >= 7 && code <= 14;
}

Catalogue::Catalogue() {
    Init(DeviceIdentity{});
    buildSwitchRangeTexts();
}

void Catalogue::Init(const DeviceIdentity& identity) {
    for (int code = 0; code < kFilledInputRows; ++code) {
        const InputRowDef& def = kInputRows[code];
        InputType& row = inputTypes_[std::size_t(code)];
        row.name = text(def.name);
        row.Decimals = def.decimals;
        row.unit = text(def.unit);
        row.unitFahrenheit = row.unit == kCelsius ? kFahrenheit : row.unit;
        row.min = def.min;
        row.max = def.max;
        row.minSpan = def.minSpan;
        row.TypeClass = text(def.typeClass);
    }
    const std::uint8_t m = identity.ModelByte;
    inputTypes_[input_code::Volt10].min = m < 10 ? kVoltMinAtInit[m] : 0.0;

    freqTypes_ = {};
    freqTypes_[0] = {QStringLiteral("NAMUR"), 50, QStringLiteral("mA")};
    freqTypes_[1] = {QStringLiteral("Tacho"), 0, QStringLiteral("mV")};
    freqTypes_[2] = {QStringLiteral("TTL"), 100, QStringLiteral("V")};
    freqTypes_[3] = {QStringLiteral("PNP"), 100, QStringLiteral("V")};
    freqTypes_[4] = {QStringLiteral("NPN"), 100, QStringLiteral("V")};
    freqTypes_[5] = {QStringLiteral("---"), 0, QString()};
    freqTypes_[6] = {QStringLiteral("Volt"), 100, QStringLiteral("V")};

    const QString mA = QStringLiteral("mA");
    const QString V = QStringLiteral("V");
    outputTypes_[0] = {QStringLiteral("0-20 mA"), mA, 0, 20, 4};
    outputTypes_[1] = {QStringLiteral("4-20 mA"), mA, 4, 20, 4};
    outputTypes_[2] = {QStringLiteral("0-10 V"), V, 0, 10, 1};
    outputTypes_[3] = {QStringLiteral("0-5 V"), V, 0, 5, 1};

    readoutOutputTypes_[0] = {QStringLiteral("0-20 mA"), mA, 0, 20, 0};
    readoutOutputTypes_[1] = {QStringLiteral("4-20 mA"), mA, 4, 20, 0};
    readoutOutputTypes_[2] = {QStringLiteral("0-10 V"), V, 0, 10, 0};
    readoutOutputTypes_[3] = {QStringLiteral("2-10 V"), V, 2, 10, 0};
    readoutOutputTypes_[4] = {QStringLiteral("0-5 V"), V, 0, 5, 0};
    readoutOutputTypes_[5] = {QStringLiteral("1-5 V"), V, 1, 5, 0};
    for (int i = 6; i <= 15; ++i)
        readoutOutputTypes_[std::size_t(i)] = {QString(), QString(), -32565, 32565, 0};

    overRangeSteps_[0] = {QStringLiteral("±0%"), 0};
    overRangeSteps_[1] = {QStringLiteral("±2.5%"), 2.5};
    overRangeSteps_[2] = {QStringLiteral("±5.0%"), 5};
    overRangeSteps_[3] = {QStringLiteral("±10%"), 10};
}

void Catalogue::UpdateAfterRead(const DeviceIdentity& identity) {
    const std::uint8_t m = identity.ModelByte;
    if (m < 10 && kVoltMinAfterRead[m])
        inputTypes_[input_code::Volt10].min = *kVoltMinAfterRead[m];
}

void Catalogue::buildSwitchRangeTexts() {
    switchRangeTexts_ = {};
    switchRangeTexts_[0].name = QStringLiteral("EEPROM");
    for (const SwitchRowDef& def : kSwitchRows) {
        SwitchRangeText& row = switchRangeTexts_[std::size_t(def.code)];
        row.name = text(def.name);
        row.group = def.group;
        row.hasCjc = def.cjc;
        row.hasWires = def.wires;
        row.max = text(def.max);
        row.min = text(def.min);
        row.minSpan = text(def.span);
        row.maxFahrenheit = def.maxF ? text(def.maxF) : row.max;
        row.minFahrenheit = def.minF ? text(def.minF) : row.min;
        row.minSpanFahrenheit = def.spanF ? text(def.spanF) : row.minSpan;
    }
}

const InputType& Catalogue::Input(int code) const {
    return rowOrEmpty(inputTypes_, code);
}

const FreqType& Catalogue::Freq(int code) const {
    return rowOrEmpty(freqTypes_, code);
}

const OutputType& Catalogue::Output(int code) const {
    return rowOrEmpty(outputTypes_, code);
}

const OverRangeStep& Catalogue::OverRange(int code) const {
    return rowOrEmpty(overRangeSteps_, code);
}

bool Catalogue::IsInputAvailable(int code, const DeviceIdentity& identity) const {
    if (code < 0 || code >= InputTypeCount)
        return false;
    const std::uint8_t modelByte = identity.ModelByte;
    // The math model shares the input stage of the voltage/current model.
    const int m = (modelByte == 5 && identity.DeviceCode == 12) ? 4 : modelByte;

    bool available = modelByte < 10 && kOffersAllByDefault[modelByte];
    bool classOk = false;
    const int typeClass = inputTypes_[std::size_t(code)].TypeClass.toInt(&classOk);
    if (classOk) {
        if (typeClass == m)
            available = true;
        if (typeClass == 0)
            available = true;
        if (typeClass == 255)
            available = false;
    }
    for (const InputExclusion& ex : kInputExclusions) {
        if (modelByte == ex.modelByte && code >= ex.first && code <= ex.last)
            available = false;
    }
    return available;
}

bool Catalogue::OffersInput(int code, const DeviceIdentity& identity) const {
    if (code < 0 || code >= InputTypeCount)
        return false;
    const bool family = identity.DeviceCode == 12;
    const std::uint8_t m = identity.ModelByte;
    if (code == input_code::Freq)
        return family && m == 7; // never a list entry: the frequency model's fixed input
    if (inputTypes_[std::size_t(code)].name.isEmpty())
        return false;
    if (code == input_code::Res300K) // the 300 kΩ range of hardware revision 2
        return family && m == 6 && identity.IdByte3 == 2;
    // The voltage/current models are set only through their ranges: no "EEPROM" entry.
    if (code == input_code::Eeprom && family && (m == 4 || m == 5))
        return false;
    return IsInputAvailable(code, identity);
}

bool Catalogue::OffersOutput(int code, const DeviceIdentity& identity) const {
    if (code < 0 || code >= OutputTypeCount || outputTypes_[std::size_t(code)].name.isEmpty())
        return false;
    for (const OutputRestriction& r : kOutputRestrictions) {
        if (identity.ModelByte == r.modelByte)
            return code == r.onlyCode;
    }
    return true;
}

TypeLists Catalogue::FillTypeLists(const DeviceIdentity& identity) const {
    TypeLists lists;
    const bool family = identity.DeviceCode == 12;
    const std::uint8_t m = identity.ModelByte;

    for (int code = 0; code < input_code::Freq; ++code) {
        if (OffersInput(code, identity))
            lists.input << inputTypes_[std::size_t(code)].name;
    }
    if (family && (m == 4 || m == 5)) {
        // The switch guide appends the ranges the device reports.
        lists.switchInput << inputTypes_[input_code::Eeprom].name;
        lists.switchInputNeedsDeviceRanges = true;
    } else if (family && m == 7) {
        // The frequency model's only input is the sensor; its switch guide picks among the
        // first four sensors instead of input types.
        for (int f = 0; f <= 3; ++f)
            lists.switchInput << freqTypes_[std::size_t(f)].name;
    } else {
        lists.switchInput = lists.input;
    }

    for (int f = 0; f <= 6; ++f)
        lists.freq << freqTypes_[std::size_t(f)].name;

    for (int k = 0; k < OutputTypeCount; ++k) {
        if (OffersOutput(k, identity))
            lists.output << outputTypes_[std::size_t(k)].name;
    }

    for (const OverRangeStep& step : overRangeSteps_)
        lists.overRange << step.name;
    return lists;
}

std::optional<int> Catalogue::FindInputType(const QString& name) const {
    if (name.isEmpty())
        return std::nullopt;
    for (int code = 0; code < InputTypeCount; ++code) {
        if (inputTypes_[std::size_t(code)].name == name)
            return code;
    }
    return std::nullopt;
}

std::optional<int> Catalogue::FindOutputType(const QString& name) const {
    if (name.isEmpty())
        return std::nullopt;
    for (int k = 0; k < OutputTypeCount; ++k) {
        if (outputTypes_[std::size_t(k)].name == name)
            return k;
    }
    return std::nullopt;
}

std::optional<int> Catalogue::FindFreqType(const QString& name) const {
    if (name.isEmpty())
        return std::nullopt;
    for (int f = 0; f < FreqTypeCount; ++f) {
        if (freqTypes_[std::size_t(f)].name == name)
            return f;
    }
    return std::nullopt;
}

std::optional<int> Catalogue::FindOverRangeCode(const QString& name) const {
    if (name.isEmpty())
        return std::nullopt;
    for (int i = 0; i < OverRangeStepCount; ++i) {
        if (overRangeSteps_[std::size_t(i)].name == name)
            return i;
    }
    return std::nullopt;
}

std::optional<double> Catalogue::FindOverRange(const QString& name) const {
    const std::optional<int> code = FindOverRangeCode(name);
    if (!code)
        return std::nullopt;
    return overRangeSteps_[std::size_t(*code)].percentage;
}

std::optional<int> Catalogue::OverRangeFromPercent(double percentage) const {
    for (int i = 0; i < OverRangeStepCount; ++i) {
        if (overRangeSteps_[std::size_t(i)].percentage == percentage)
            return i;
    }
    return std::nullopt;
}

} // namespace vantelso
