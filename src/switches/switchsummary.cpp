#include "switchsummary.h"

#include "numberformat.h"
#include "owntexts.h"

#include <QJsonArray>
#include <cmath>

namespace vantelso::switches {

OptionWords OptionWordsFor(OptionRole role, Family family, const Texts& texts) {
    switch (role) {
    case OptionRole::Cjc:
        return {QStringLiteral("CJC"), QStringLiteral("Ext"), QStringLiteral("Int")};
    case OptionRole::Wires:
        return {texts.lang(60), QStringLiteral("2/4w"), QStringLiteral("3w")};
    case OptionRole::OutputDirection:
        return {texts.lang(49), texts.lang(58), texts.lang(59)};
    case OptionRole::None:
        if (family == Family::Rsx7040)
            return {texts.lang(57), QStringLiteral("Off"), QStringLiteral("On")};
        break;
    case OptionRole::Plain:
        break;
    }
    return {QStringLiteral("Option"), QStringLiteral("Off"), QStringLiteral("On")};
}

SwitchSummary Summarise(const DeviceIdentity& id, SwitchBytes bytes, const Catalogue& catalogue,
                        const Texts& texts, const ConfigRecord* record) {
    SwitchSummary out;
    const SwitchMeaning m = Describe(id, bytes, catalogue);
    out.family = m.family;
    out.option = m.option;
    out.optionOn = m.optionOn;
    out.optionWords = OptionWordsFor(m.option, m.family, texts);
    out.thirdBankRead = BanksInReply(id) >= 3 || BankCount(m.family) < 3;
    out.channelCount = m.channelBSwitched ? 2 : 1;
    const bool frequency = m.family == Family::Rsx7040;
    for (int c = 0; c < out.channelCount; ++c) {
        const ChannelSwitches& sw = m.channels[std::size_t(c)];
        ChannelSummary& s = out.channels[std::size_t(c)];
        s.switched = sw.switched();
        s.inputCode = frequency && s.switched ? input_code::Freq : sw.inputCode;
        s.inputName = frequency && sw.sensor > 0
                          ? catalogue.SwitchRangeTexts()[std::size_t(28 + sw.sensor)].name
                          : InputName(catalogue, sw.inputCode);
        s.unit = s.inputCode >= 0 ? catalogue.Input(s.inputCode).unit : QString();
        s.outputCode = sw.outputCode;
        if (sw.outputCode >= 0)
            s.outputName = catalogue.Output(sw.outputCode).name;
        s.reverse = sw.reverse;
        s.span = sw.span;
        s.zero = sw.zero;
        s.multiplier = sw.multiplier;
        if (!s.switched)
            continue;
        const RangeValues v = TableRangeValues(id, s.inputCode, catalogue);
        if (sw.span >= 1 && sw.span <= v.span.size())
            s.spanValue = v.span[sw.span - 1];
        if (!frequency && sw.zero >= 1 && sw.zero <= v.zero.size())
            s.zeroValue = v.zero[sw.zero - 1];
        double recStart = NAN, recEnd = NAN;
        const int recordChannel = m.family == Family::Rsx7030 ? 0 : c;
        if (record) {
            const ChannelSettings& r = record->channels[std::size_t(recordChannel)];
            // The record's words, read in the scale of the switched type.
            const int from = catalogue.Input(r.inputType).Decimals;
            const int to = catalogue.Input(s.inputCode).Decimals;
            recStart = r.inputStart;
            recEnd = r.inputEnd;
            if (!frequency) {
                recStart *= RecordWordScale(id, r.inputType, from, false) /
                            RecordWordScale(id, s.inputCode, to, false);
                recEnd *= RecordWordScale(id, r.inputType, from, true) /
                          RecordWordScale(id, s.inputCode, to, true);
            }
        }
        const SwitchedRange range = RangeOf(sw, frequency, v, recStart, recEnd);
        s.rangeFromSwitches = range.fromSwitches;
        if (std::isfinite(range.start) && std::isfinite(range.end)) {
            s.start = range.start;
            s.end = range.end;
        }
    }
    return out;
}

QString RangeText(const ChannelSummary& c) {
    if (!c.start || !c.end)
        return {};
    return FormatRange(*c.start) + QStringLiteral(" ÷ ") + FormatRange(*c.end) + u' ' + c.unit;
}

QStringList SummaryLines(const SwitchSummary& s, const Texts& texts) {
    QStringList out;
    for (int c = 0; c < s.channelCount; ++c) {
        const ChannelSummary& ch = s.channels[std::size_t(c)];
        QString line =
            QString(QLatin1Char(c == 0 ? 'A' : 'B')) + QStringLiteral(": ") + ch.inputName;
        if (ch.switched) {
            const QString range = RangeText(ch);
            if (!range.isEmpty())
                line += u' ' + range;
            if (!ch.outputName.isEmpty())
                line += QStringLiteral(" -> ") + ch.outputName;
            if (ch.reverse)
                line += u' ' + texts.lang(59);
            line += QStringLiteral(" (") + texts.lang(own::SetBySwitches) + u')';
        }
        out << line;
    }
    if (s.option != OptionRole::None && s.optionOn >= 0)
        out << s.optionWords.caption + QStringLiteral(": ") +
                   (s.optionOn ? s.optionWords.on : s.optionWords.off);
    if (!s.thirdBankRead)
        out << texts.lang(own::ThirdBankNotRead);
    return out;
}

QJsonObject SummaryJson(const SwitchSummary& s) {
    QJsonArray channels;
    for (int c = 0; c < s.channelCount; ++c) {
        const ChannelSummary& ch = s.channels[std::size_t(c)];
        auto value = [](const std::optional<double>& v) {
            return v ? QJsonValue(*v) : QJsonValue();
        };
        QJsonObject o{
            {QStringLiteral("channel"), QString(QLatin1Char(c == 0 ? 'A' : 'B'))},
            {QStringLiteral("set_by_switches"), ch.switched},
            {QStringLiteral("input"), QJsonObject{{QStringLiteral("code"), ch.inputCode},
                                                  {QStringLiteral("name"), ch.inputName},
                                                  {QStringLiteral("unit"), ch.unit}}},
            {QStringLiteral("output"),
             ch.outputCode < 0 ? QJsonValue()
                               : QJsonValue(QJsonObject{{QStringLiteral("code"), ch.outputCode},
                                                        {QStringLiteral("name"), ch.outputName},
                                                        {QStringLiteral("reverse"), ch.reverse}})},
            {QStringLiteral("span"), QJsonObject{{QStringLiteral("position"), ch.span},
                                                 {QStringLiteral("value"), value(ch.spanValue)}}},
            {QStringLiteral("zero"), QJsonObject{{QStringLiteral("position"), ch.zero},
                                                 {QStringLiteral("value"), value(ch.zeroValue)}}},
            {QStringLiteral("range"),
             QJsonObject{{QStringLiteral("start"), value(ch.start)},
                         {QStringLiteral("end"), value(ch.end)},
                         {QStringLiteral("from_switches"), ch.rangeFromSwitches}}},
        };
        if (ch.multiplier >= 0)
            o.insert(QStringLiteral("multiplier"), ch.multiplier);
        channels.append(o);
    }
    QJsonObject out{{QStringLiteral("channels"), channels}};
    if (s.option != OptionRole::None && s.optionOn >= 0)
        out.insert(QStringLiteral("option"),
                   QJsonObject{{QStringLiteral("caption"), s.optionWords.caption},
                               {QStringLiteral("meaning"),
                                s.optionOn ? s.optionWords.on : s.optionWords.off},
                               {QStringLiteral("on"), s.optionOn == 1}});
    out.insert(QStringLiteral("third_bank_read"), s.thirdBankRead);
    return out;
}

} // namespace vantelso::switches
