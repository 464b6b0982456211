#pragma once

#include "catalogue.h"
#include "record.h"
#include "switchmeaning.h"
#include "texts.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace vantelso::switches {

// The option switch as the guide's option frame names it: caption and the words of its two
// positions ("CJC", "Ext", "Int").
struct OptionWords {
    QString caption;
    QString off, on;
};
OptionWords OptionWordsFor(OptionRole role, Family family, const Texts& texts);

// What a device's switches set, channel by channel, in the words the switch window shows:
// the input type, the range the zero and span positions give (the record's where a position
// is "Default"), the output type and its direction, and the option. Shared by the report,
// `switches --json` and `read`.
struct ChannelSummary {
    bool switched = false; // false: the "EEPROM" position, the record decides
    int inputCode = -1;
    QString inputName, unit;
    int outputCode = -1; // -1: the record's output
    QString outputName;
    bool reverse = false;
    int span = -1, zero = -1;                   // switch positions, -1 none
    std::optional<double> spanValue, zeroValue; // the tables' values (none for "Default")
    int multiplier = -1;
    std::optional<double> start, end; // the range, when it can be told
    bool rangeFromSwitches = false;
};
struct SwitchSummary {
    Family family = Family::None;
    std::array<ChannelSummary, 2> channels{};
    int channelCount = 1;
    OptionRole option = OptionRole::None;
    OptionWords optionWords;
    int optionOn = -1;
    bool thirdBankRead = true;
};

// `record`: the configuration the device keeps (its ranges fill the "Default" positions);
// without it a "Default" range is left open.
SwitchSummary Summarise(const DeviceIdentity& id, SwitchBytes bytes, const Catalogue& catalogue,
                        const Texts& texts, const ConfigRecord* record = nullptr);

// "0 ÷ 190 °C", or empty when the range is open.
QString RangeText(const ChannelSummary& c);
// Text lines, one per channel and one for the option ("A: Tc K 0 ÷ 190 °C -> 4-20 mA").
QStringList SummaryLines(const SwitchSummary& s, const Texts& texts);
// The same as JSON: {"channels": [{input: {code, name, unit}, ...}], "option": {...}}.
QJsonObject SummaryJson(const SwitchSummary& s);

} // namespace vantelso::switches
