#include "switchtables.h"

#include <cmath>
#include <initializer_list>

namespace vantelso::switches {

namespace {

// A run of equally spaced values, both ends included.
struct Run {
    double from, to, step;
};

QList<double> Values(std::initializer_list<Run> runs) {
    QList<double> out;
    for (const Run& r : runs) {
        const int n = int(std::lround((r.to - r.from) / r.step));
        for (int i = 0; i <= n; ++i) // rounded so 0.1 steps stay exact decimals on screen
            out << std::round((r.from + i * r.step) * 1e6) / 1e6;
    }
    return out;
}

const std::array<QString, 4> kFourRanges = {QStringLiteral("0-20 mA"), QStringLiteral("4-20 mA"),
                                            QStringLiteral("0-10 V"), QStringLiteral("0-5 V")};

ModelRow Row(int field, const char* wizardModel, int inputs, int outputs, bool flag3,
             std::array<QString, 4> ranges, bool fixedOutput) {
    ModelRow r;
    r.brandField = field;
    r.wizardModel = QString::fromLatin1(wizardModel);
    r.inputs = inputs;
    r.outputs = outputs;
    r.flag1 = true;
    r.flag2 = true;
    r.flag3 = flag3;
    r.ranges = std::move(ranges);
    r.fixedOutput = fixedOutput;
    return r;
}

} // namespace

const std::array<ModelRow, ModelTableRows>& ModelTable() {
    // The A, B and C variants of 7032 and 7131 carry the switches of the 7031 variant with the
    // same letter; 7132 D has the two channels of 7032 D.
    static const std::array<ModelRow, ModelTableRows> table = {
        Row(10, "RSX7030", 1, 2, true, kFourRanges, false),
        Row(11, "RSX7031A", 1, 1, false, kFourRanges, false),
        Row(12, "RSX7031B", 1, 1, false, kFourRanges, false),
        Row(13, "RSX7031C", 1, 1, false, kFourRanges, false),
        Row(14, "RSX7031D", 1, 1, false, {}, true),
        Row(15, "RSX7031A", 2, 2, false, kFourRanges, false),
        Row(16, "RSX7031B", 2, 2, false, kFourRanges, false),
        Row(17, "RSX7031C", 2, 2, false, kFourRanges, false),
        Row(18, "RSX7032D", 2, 2, false, {}, true),
        Row(19, "RSX7031A", 1, 2, false, kFourRanges, false),
        Row(20, "RSX7031B", 1, 2, false, kFourRanges, false),
        Row(21, "RSX7031C", 1, 2, false, kFourRanges, false),
        Row(22, "RSX7131D", 1, 2, false, {}, true),
        Row(26, "RSX7032D", 2, 2, false, {}, true),
        Row(27, "RSX7040", 1, 1, false, kFourRanges, false),
        Row(28, "RSX7035", 1, 1, false,
            {QStringLiteral("----"), QStringLiteral("4-20 mA"), QStringLiteral("----"),
             QStringLiteral("----")},
            true),
        ModelRow{},
    };
    return table;
}

const std::array<ZeroSpanRecord, ZeroSpanRecordCount>& ZeroSpanRecords() {
    static const std::array<ZeroSpanRecord, ZeroSpanRecordCount> records = {
        // 0: thermocouples
        ZeroSpanRecord{{-200, -100, -80, -60, -50, -40, -30, -20, -10, 0, 10, 20, 50, 100, 150},
                       Values({{0, 100, 5},
                               {110, 200, 10},
                               {220, 300, 20},
                               {325, 500, 25},
                               {550, 1000, 50},
                               {1100, 1800, 100},
                               {1850, 1850, 1}})},
        // 1: RTD, KTY, thermistors
        ZeroSpanRecord{{-200, -150, -100, -80, -60, -50, -40, -30, -20, -10, 0, 20, 50, 80, 100},
                       Values({{10, 100, 5}, {110, 300, 10}, {320, 500, 20}, {525, 850, 25}})},
        // 2: Res2K
        ZeroSpanRecord{Values({{200, 275, 25}, {300, 800, 50}}),
                       Values({{500, 960, 20}, {1000, 1950, 25}})},
        // 3: Res500
        ZeroSpanRecord{Values({{20, 300, 20}}), Values({{50, 295, 5}, {310, 490, 15}})},
        // 4: potentiometers
        ZeroSpanRecord{Values({{20, 50, 5}, {52, 80, 4}}), Values({{5, 36, 1}, {38, 98, 2}})},
        // 5: 20 mA
        ZeroSpanRecord{Values({{2, 3, 0.25}, {3.5, 8, 0.5}}),
                       Values({{5, 10, 0.2}, {10.5, 19.5, 0.25}})},
        // 6: 10 V
        ZeroSpanRecord{Values({{2, 3, 0.25}, {3.5, 8, 0.5}}),
                       Values({{0.5, 3.5, 0.1}, {3.6, 9.8, 0.2}})},
        // 7: frequency: range multipliers and spans
        ZeroSpanRecord{{1000, 100, 10, 1}, Values({{0.5, 31.5, 0.5}})},
        // 8: mV inputs
        ZeroSpanRecord{{-100, -80, -60, -50, -40, -30, -20, -10, 0, 10, 20, 50, 100, 200, 400},
                       Values({{5, 100, 5}, {110, 300, 10}, {320, 500, 20}, {525, 825, 25}})},
    };
    return records;
}

int RecordForInput(const Catalogue& catalogue, int inputCode) {
    if (inputCode >= 1 && inputCode <= 3)
        return MillivoltRecord;
    // Rows 28..31 of the range texts are frequency sensors, not input codes.
    if (inputCode <= 0 || inputCode >= 28)
        return -1;
    const SwitchRangeText& row = catalogue.SwitchRangeTexts()[std::size_t(inputCode)];
    if (row.name.isEmpty())
        return -1;
    return row.group < ZeroSpanRecordCount ? row.group : -1;
}

int WizardModelByte(const QString& wizardModel) {
    static const struct {
        const char* model;
        int modelByte;
    } table[] = {{"RSX7030", 0},  {"RSX7031A", 2}, {"RSX7031B", 3},
                 {"RSX7031C", 6}, {"RSX7031D", 4}, {"RSX7032D", 4},
                 {"RSX7131D", 4}, {"RSX7040", 7},  {"RSX7035", 8}};
    for (const auto& row : table)
        if (wizardModel == QLatin1String(row.model))
            return row.modelByte;
    return -1;
}

ChannelCounts ChannelsOf(const QString& id) {
    if (id == QLatin1String("RSX7030"))
        return {1, 2};
    if (id == QLatin1String("RSX7032D") || id == QLatin1String("RSX7132D"))
        return {2, 2};
    if (id == QLatin1String("RSX7131D"))
        return {1, 2};
    return {1, 1};
}

} // namespace vantelso::switches
