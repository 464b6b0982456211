#include "fieldtexts.h"

#include "owntexts.h"
#include "texts.h"

#include <QHash>

namespace vantelso {

namespace {

// Language string ids (or the text itself, with id 0) of the words a field name is made of.
struct Word {
    int id = 0;
    const char* fixed = nullptr;
};

QString wordText(const Word& w, const Texts& texts) {
    return w.id ? texts.lang(w.id) : QLatin1String(w.fixed);
}

// Field names as the views spell them, in the words of the editor window's captions. The
// range ends take the window's fixed "Min"/"Max", the trips its "Hi"/"Lo".
const QHash<QString, QList<Word>>& labels() {
    static const QHash<QString, QList<Word>> table = {
        {QStringLiteral("input"), {{48}}},
        {QStringLiteral("input_start"), {{48}, {0, "Min"}}},
        {QStringLiteral("input_end"), {{48}, {0, "Max"}}},
        {QStringLiteral("input_decimals"), {{48}, {own::Decimals}}},
        {QStringLiteral("output"), {{49}}},
        {QStringLiteral("output_start"), {{49}, {0, "Min"}}},
        {QStringLiteral("output_end"), {{49}, {0, "Max"}}},
        {QStringLiteral("offset"), {{66}}},
        {QStringLiteral("wires"), {{60}}},
        {QStringLiteral("cjc"), {{0, "CJC"}}},
        {QStringLiteral("burnout"), {{0, "Burn-out"}}},
        {QStringLiteral("function"), {{41}}},
        {QStringLiteral("over_range"), {{own::OverRange}}},
        {QStringLiteral("over_range_percent"), {{own::OverRange}}},
        {QStringLiteral("operator"), {{85}}},
        {QStringLiteral("operator_delay_s"), {{85}, {own::TripDelay}}},
        {QStringLiteral("option"), {{57}}},
        {QStringLiteral("trip high"), {{50}, {0, "Hi"}}},
        {QStringLiteral("trip low"), {{50}, {0, "Lo"}}},
        {QStringLiteral("trip direction"), {{own::TripDirection}}},
        {QStringLiteral("trip relay"), {{own::Relay}}},
        {QStringLiteral("trip delay_s"), {{50}, {own::TripDelay}}},
        {QStringLiteral("high_speed"), {{own::HighSpeed}}},
        {QStringLiteral("doubler"), {{31}}},
        {QStringLiteral("filter"), {{82}}},
        {QStringLiteral("response_time_s"), {{own::ResponseTime}}},
        {QStringLiteral("frequency_sensor"), {{0, "Freq"}, {40}}},
        {QStringLiteral("mains_50hz"), {{0, "50 Hz"}}},
        {QStringLiteral("aux_frequency"), {{83}}},
        {QStringLiteral("trigger_level"), {{81}}},
    };
    return table;
}

QString joined(const QList<Word>& words, const Texts& texts) {
    QStringList parts;
    for (const Word& w : words)
        parts << wordText(w, texts);
    return parts.join(u' ');
}

} // namespace

QString FieldLabel(const QString& field, const Texts& texts) {
    const auto& table = labels();
    if (const auto it = table.constFind(field); it != table.constEnd())
        return joined(*it, texts);
    // The math model's physical scaling: "physical_input_end" of a device's channel, or
    // "physical input_end_a" of a file, which keeps both channels among the device's fields.
    const QString physical = QStringLiteral("physical");
    if (field.startsWith(physical) && field.size() > physical.size()) {
        QString rest = field.mid(physical.size() + 1);
        QString channel;
        if (rest.endsWith(QLatin1String("_a")) || rest.endsWith(QLatin1String("_b"))) {
            channel = rest.right(1).toUpper();
            rest.chop(2);
        }
        const auto it = table.constFind(rest);
        if (it != table.constEnd()) {
            const QString label = texts.lang(86) + u' ' + joined(*it, texts);
            return channel.isEmpty() ? label : label + u' ' + channel;
        }
    }
    return field;
}

int FieldRank(const QString& channel, const QString& field) {
    static const QStringList order{
        "input",          "input_code_read",  "input_start",  "input_end",
        "input_decimals", "offset",           "wires",        "cjc",
        "output",         "output_code_read", "output_start", "output_end",
        "burnout",        "function",         "over_range",   "over_range_percent",
        "operator",       "operator_delay_s", "option",       "trip high",
        "trip low",       "trip direction",   "trip delay_s", "trip relay"};
    const int group = channel.isEmpty() ? 2 : channel == QLatin1String("A") ? 0 : 1;
    const qsizetype at = order.indexOf(field);
    return group * 1000 + int(at < 0 ? order.size() : at);
}

QString FieldValue(const QString& value, const Texts& texts) {
    static const QHash<QString, int> words = {
        {QStringLiteral("internal"), 43},  {QStringLiteral("external"), 42},
        {QStringLiteral("up"), 44},        {QStringLiteral("down"), 45},
        {QStringLiteral("direct"), 58},    {QStringLiteral("reverse"), 59},
        {QStringLiteral("Linear"), 32},    {QStringLiteral("Tank"), 33},
        {QStringLiteral("SQRT"), 34},      {QStringLiteral("on"), own::On},
        {QStringLiteral("off"), own::Off},
    };
    if (const auto it = words.constFind(value); it != words.constEnd())
        return texts.lang(*it);
    // The doubler's entry of channel B, which the views name in English.
    Texts english(texts.table());
    english.setLanguage(Texts::English);
    if (value == english.lang(31))
        return texts.lang(31);
    return value;
}

} // namespace vantelso
