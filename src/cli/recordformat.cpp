#include "recordformat.h"

#include "texts.h"

#include <QJsonArray>
#include <cmath>

namespace vantelso {

namespace {

// Values as the editor shows them: up to three decimals, no trailing zeros.
QString number(double v) {
    QString s = QString::number(v, 'f', 3);
    while (s.contains(u'.') && (s.endsWith(u'0') || s.endsWith(u'.')))
        s.chop(1);
    return s == QLatin1String("-0") ? QStringLiteral("0") : s;
}

// A JSON value printed as text: numbers as the editor shows them, not float's long tails.
QString valueText(const QJsonValue& v) {
    return v.isDouble() ? number(v.toDouble()) : v.toVariant().toString();
}

QString channelName(int c) {
    return c == 0 ? QStringLiteral("A") : QStringLiteral("B");
}

// The catalogue's name, or the raw code when the device holds a code with no row.
QString inputName(const Catalogue& cat, int code) {
    const QString n = cat.Input(code).name;
    return n.isEmpty() ? QStringLiteral("code %1").arg(code) : n;
}

QString outputName(const Catalogue& cat, int code) {
    const QString n = cat.Output(code).name;
    return n.isEmpty() ? QStringLiteral("code %1").arg(code) : n;
}

QString overRangeName(const Catalogue& cat, int code) {
    const QString n = cat.OverRange(code).name;
    return n.isEmpty() ? QStringLiteral("code %1").arg(code) : n;
}

// A number of wires, or the raw code when it names none.
QJsonValue wiresValue(int code) {
    const int n = WireCount(code);
    return n ? QJsonValue(n) : QJsonValue(QStringLiteral("code %1").arg(code));
}

// The entry channel B's input list shows for the doubler (the tool speaks English).
QString doublerName() {
    Texts texts;
    texts.setLanguage(Texts::English);
    return texts.lang(31);
}

const char* kFunctions[] = {"Linear", "Tank", "SQRT"};

QString functionName(int f) {
    return f >= 0 && f < 3 ? QLatin1String(kFunctions[f]) : QStringLiteral("code %1").arg(f);
}

QString flagChoice(std::initializer_list<std::pair<std::int16_t, const char*>> options) {
    for (const auto& [flag, name] : options)
        if (FileFlagSet(flag))
            return QLatin1String(name);
    return QString();
}

} // namespace

QString FieldText(const QJsonValue& v) {
    if (v.isString())
        return v.toString();
    if (v.isBool())
        return v.toBool() ? QStringLiteral("on") : QStringLiteral("off");
    return number(v.toDouble());
}

QJsonObject IdentityJson(const DeviceIdentity& id, const QString& model) {
    QJsonObject o;
    o.insert(QStringLiteral("device_code"), id.DeviceCode);
    o.insert(QStringLiteral("model_byte"), id.ModelByte);
    o.insert(QStringLiteral("id_byte3"), id.IdByte3);
    o.insert(QStringLiteral("id_byte4"), id.IdByte4);
    o.insert(QStringLiteral("model"), model);
    return o;
}

QJsonObject RecordJson(const ConfigRecord& r, const DeviceIdentity& id, const Catalogue& cat) {
    QJsonArray channels;
    for (int c = 0; c < (UsesChannelB(id, r.doubler) ? ChannelCount : 1); ++c) {
        const ChannelSettings& ch = r.channels[c];
        const int rawIn = r.raw.inputCode[c];
        const int rawOut = r.raw.outputCode[c];
        // Channel B of a single-channel model is the doubler's: its input is channel A's.
        const bool ownInput = c == 0 || !IsSingleChannel(id);
        QJsonObject o;
        o.insert(QStringLiteral("channel"), channelName(c));
        if (ownInput) {
            o.insert(QStringLiteral("input_type"), ch.inputType);
            o.insert(QStringLiteral("input"), inputName(cat, ch.inputType));
            if (rawIn != ch.inputType)
                o.insert(QStringLiteral("input_code_read"), rawIn);
            o.insert(QStringLiteral("input_unit"), cat.Input(ch.inputType).unit);
            o.insert(QStringLiteral("input_start"), ch.inputStart);
            o.insert(QStringLiteral("input_end"), ch.inputEnd);
            o.insert(QStringLiteral("input_decimals"), ch.decimals);
        } else {
            o.insert(QStringLiteral("input"), doublerName());
        }
        o.insert(QStringLiteral("output_type"), ch.outputType);
        o.insert(QStringLiteral("output"), outputName(cat, ch.outputType));
        if (rawOut != ch.outputType)
            o.insert(QStringLiteral("output_code_read"), rawOut);
        o.insert(QStringLiteral("output_unit"), cat.Output(ch.outputType).unit);
        o.insert(QStringLiteral("output_start"), ch.outputStart);
        o.insert(QStringLiteral("output_end"), ch.outputEnd);
        if (ownInput) {
            o.insert(QStringLiteral("offset"), r.offset[c]);
            o.insert(QStringLiteral("wires"), wiresValue(r.wires[c]));
            o.insert(QStringLiteral("cjc"),
                     r.internalCjc[c] ? QStringLiteral("internal") : QStringLiteral("external"));
        }
        o.insert(QStringLiteral("burnout"),
                 r.burnoutDown[c] ? QStringLiteral("down") : QStringLiteral("up"));
        o.insert(QStringLiteral("function"), functionName(r.function[c]));
        o.insert(QStringLiteral("over_range"), overRangeName(cat, r.overRange[c]));
        if (HasExtensionBlock(id)) {
            o.insert(QStringLiteral("physical_input_start"), ch.physicalInputStart);
            o.insert(QStringLiteral("physical_input_end"), ch.physicalInputEnd);
            o.insert(QStringLiteral("physical_output_start"), ch.physicalOutputStart);
            o.insert(QStringLiteral("physical_output_end"), ch.physicalOutputEnd);
            o.insert(QStringLiteral("operator"), ch.operatorCode);
            o.insert(QStringLiteral("operator_delay_s"), OperatorDelaySeconds(ch.operatorDelay));
        }
        if (HasTrips(id) && c < TripChannelCount(id)) {
            const TripConfig& t = r.trips[c];
            QJsonObject trip;
            trip.insert(QStringLiteral("high"), t.high);
            trip.insert(QStringLiteral("low"), t.low);
            trip.insert(QStringLiteral("direction"),
                        t.direction ? QStringLiteral("max") : QStringLiteral("min"));
            trip.insert(QStringLiteral("relay"),
                        r.relayDirection[c] ? QStringLiteral("reverse") : QStringLiteral("direct"));
            trip.insert(QStringLiteral("delay_s"), TripDelayShown(t.delay, id));
            o.insert(QStringLiteral("trip"), trip);
        }
        channels.append(o);
    }
    QJsonObject out;
    out.insert(QStringLiteral("channels"), channels);
    if (HasDoubler(id))
        out.insert(QStringLiteral("doubler"), r.doubler);
    out.insert(QStringLiteral("high_speed"), r.highSpeed);
    out.insert(QStringLiteral("filter"), r.filter);
    if (HasResponseTime(id))
        // The editor shows and writes the response time in tenths of a second.
        out.insert(QStringLiteral("response_time_s"), std::round(r.responseTime * 10.0) / 10.0);
    if (IsFrequencyModel(id)) {
        out.insert(QStringLiteral("frequency_sensor"), cat.Freq(r.freqSensorType).name);
        out.insert(QStringLiteral("frequency_sensor_type"), r.freqSensorType);
        out.insert(QStringLiteral("mains_50hz"), r.mains50Hz);
        out.insert(QStringLiteral("aux_frequency"), r.auxFrequency);
        out.insert(QStringLiteral("trigger_level"), r.triggerLevel);
        out.insert(QStringLiteral("trigger_unit"), cat.Freq(r.freqSensorType).triggerUnit);
    }
    return out;
}

QStringList RecordLines(const ConfigRecord& r, const DeviceIdentity& id, const Catalogue& cat) {
    const QJsonObject o = RecordJson(r, id, cat);
    QStringList lines;
    const QJsonArray channels = o.value(QStringLiteral("channels")).toArray();
    for (int c = 0; c < channels.size(); ++c) {
        const QJsonObject ch = channels[c].toObject();
        const QString p = QStringLiteral("Channel %1 ").arg(channelName(c));
        const QString inUnit = ch.value(QStringLiteral("input_unit")).toString();
        const QString outUnit = ch.value(QStringLiteral("output_unit")).toString();
        auto withUnit = [](double v, const QString& unit) {
            return unit.isEmpty() ? number(v) : number(v) + u' ' + unit;
        };
        lines << p + QStringLiteral("input: ") + ch.value(QStringLiteral("input")).toString();
        if (ch.contains(QStringLiteral("input_code_read")))
            lines << p + QStringLiteral("input code read: %1")
                             .arg(ch.value(QStringLiteral("input_code_read")).toInt());
        if (ch.contains(QStringLiteral("input_end"))) {
            lines << p + QStringLiteral("input start: ") +
                         withUnit(ch.value(QStringLiteral("input_start")).toDouble(), inUnit);
            lines << p + QStringLiteral("input end: ") +
                         withUnit(ch.value(QStringLiteral("input_end")).toDouble(), inUnit);
        }
        lines << p + QStringLiteral("output: ") + ch.value(QStringLiteral("output")).toString();
        if (ch.contains(QStringLiteral("output_code_read")))
            lines << p + QStringLiteral("output code read: %1")
                             .arg(ch.value(QStringLiteral("output_code_read")).toInt());
        lines << p + QStringLiteral("output start: ") +
                     withUnit(ch.value(QStringLiteral("output_start")).toDouble(), outUnit);
        lines << p + QStringLiteral("output end: ") +
                     withUnit(ch.value(QStringLiteral("output_end")).toDouble(), outUnit);
        if (ch.contains(QStringLiteral("offset")))
            lines << p + QStringLiteral("offset: ") +
                         withUnit(ch.value(QStringLiteral("offset")).toDouble(), inUnit);
        for (const char* key :
             {"wires", "cjc", "burnout", "function", "over_range", "operator",
              "physical_input_start", "physical_input_end", "physical_output_start",
              "physical_output_end", "operator_delay_s"}) {
            const QString k = QLatin1String(key);
            if (!ch.contains(k))
                continue;
            lines << p + k + QStringLiteral(": ") + FieldText(ch.value(k));
        }
        if (ch.contains(QStringLiteral("trip"))) {
            const QJsonObject t = ch.value(QStringLiteral("trip")).toObject();
            lines << p + QStringLiteral("trip high: ") +
                         withUnit(t.value(QStringLiteral("high")).toDouble(), inUnit);
            lines << p + QStringLiteral("trip low: ") +
                         withUnit(t.value(QStringLiteral("low")).toDouble(), inUnit);
            lines << p + QStringLiteral("trip direction: ") +
                         t.value(QStringLiteral("direction")).toString();
            lines << p + QStringLiteral("relay: ") + t.value(QStringLiteral("relay")).toString();
            lines << p + QStringLiteral("trip delay: ") +
                         number(t.value(QStringLiteral("delay_s")).toDouble()) +
                         QStringLiteral(" s");
        }
    }
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (it.key() == QLatin1String("channels"))
            continue;
        lines << it.key() + QStringLiteral(": ") + FieldText(it.value());
    }
    return lines;
}

QJsonObject FileJson(const ConfigFileRecord& r, const Catalogue& cat) {
    DeviceIdentity id{r.deviceCode, r.modelByte, r.idByte3, r.idByte4};
    // The lettered models' variant is not in the file, so their identifier is not either.
    const QString model =
        ModelNeedsVariantByte(r.modelByte) ? QString() : ModelIdentifier(r.modelByte, 0);
    QJsonObject o;
    o.insert(QStringLiteral("identity"), IdentityJson(id, model));
    o.insert(QStringLiteral("version"), r.version);
    QJsonArray channels;
    // As `read` shows it: a single-channel model's channel B only for the doubler's output.
    const bool doubler = HasDoubler(id) && r.doubler == 1;
    for (std::size_t i = 0; i < (UsesChannelB(id, doubler) ? 2u : 1u); ++i) {
        auto name = [](const QString& n, int code) {
            return n.isEmpty() ? QStringLiteral("code %1").arg(code) : n;
        };
        const bool ownInput = i == 0 || !IsSingleChannel(id);
        QJsonObject ch;
        ch.insert(QStringLiteral("channel"), i == 0 ? QStringLiteral("A") : QStringLiteral("B"));
        if (ownInput) {
            ch.insert(QStringLiteral("input_type"), r.inputType[i]);
            ch.insert(QStringLiteral("input"),
                      name(cat.Input(r.inputType[i]).name, r.inputType[i]));
            ch.insert(QStringLiteral("input_start"), r.inputStart[i]);
            ch.insert(QStringLiteral("input_end"), r.inputEnd[i]);
        } else {
            ch.insert(QStringLiteral("input"), doublerName());
        }
        ch.insert(QStringLiteral("output_type"), r.outputType[i]);
        ch.insert(QStringLiteral("output"),
                  name(cat.Output(r.outputType[i]).name, r.outputType[i]));
        ch.insert(QStringLiteral("output_start"), r.outputStart[i]);
        ch.insert(QStringLiteral("output_end"), r.outputEnd[i]);
        if (ownInput) {
            ch.insert(QStringLiteral("offset"), r.offset[i]);
            ch.insert(QStringLiteral("cjc"),
                      flagChoice({{r.cjcExternal[i], "external"}, {r.cjcInternal[i], "internal"}}));
            const QString wires =
                flagChoice({{r.wires2[i], "2"}, {r.wires4[i], "4"}, {r.wires3[i], "3"}});
            if (!wires.isEmpty())
                ch.insert(QStringLiteral("wires"), wires.toInt());
        }
        ch.insert(QStringLiteral("function"), flagChoice({{r.functionLinear[i], "Linear"},
                                                          {r.functionTank[i], "Tank"},
                                                          {r.functionSqrt[i], "SQRT"}}));
        ch.insert(QStringLiteral("burnout"),
                  flagChoice({{r.breakUp[i], "up"}, {r.breakDown[i], "down"}}));
        ch.insert(QStringLiteral("over_range_percent"), r.overRange[i]);
        ch.insert(QStringLiteral("operator"), r.mathOperator[i]);
        ch.insert(QStringLiteral("option"), r.optionValue[i]);
        if (i == 0 && HasTrips(id)) {
            QJsonObject trip;
            trip.insert(QStringLiteral("high"), r.tripHigh[0]);
            trip.insert(QStringLiteral("low"), r.tripLow[0]);
            trip.insert(QStringLiteral("direction"),
                        flagChoice({{r.tripMax[0], "max"}, {r.tripMin[0], "min"}}));
            ch.insert(QStringLiteral("trip"), trip);
        }
        channels.append(ch);
    }
    o.insert(QStringLiteral("channels"), channels);
    QJsonObject phys;
    phys.insert(QStringLiteral("input_end_a"), r.physicalInputEndA);
    phys.insert(QStringLiteral("input_start_a"), r.physicalInputStartA);
    phys.insert(QStringLiteral("input_end_b"), r.physicalInputEndB);
    phys.insert(QStringLiteral("input_start_b"), r.physicalInputStartB);
    phys.insert(QStringLiteral("output_end_a"), r.physicalOutputEndA);
    phys.insert(QStringLiteral("output_start_a"), r.physicalOutputStartA);
    phys.insert(QStringLiteral("output_end_b"), r.physicalOutputEndB);
    phys.insert(QStringLiteral("output_start_b"), r.physicalOutputStartB);
    o.insert(QStringLiteral("physical"), phys);
    o.insert(QStringLiteral("high_speed_state"), r.highSpeed);
    if (HasDoubler(id))
        o.insert(QStringLiteral("doubler_state"), r.doubler);
    return o;
}

QStringList FileLines(const QJsonObject& o) {
    QStringList lines;
    const QJsonObject id = o.value(QStringLiteral("identity")).toObject();
    lines << QStringLiteral("ID=%1/%2")
                 .arg(id.value(QStringLiteral("device_code")).toInt())
                 .arg(id.value(QStringLiteral("model_byte")).toInt());
    lines << QStringLiteral("version: ") + number(o.value(QStringLiteral("version")).toDouble());
    for (const QJsonValue& v : o.value(QStringLiteral("channels")).toArray()) {
        const QJsonObject ch = v.toObject();
        const QString p =
            QStringLiteral("Channel %1 ").arg(ch.value(QStringLiteral("channel")).toString());
        for (auto it = ch.begin(); it != ch.end(); ++it) {
            if (it.key() == QLatin1String("channel"))
                continue;
            if (it.value().isObject()) {
                const QJsonObject sub = it.value().toObject();
                for (auto s = sub.begin(); s != sub.end(); ++s)
                    lines << p + it.key() + u' ' + s.key() + QStringLiteral(": ") +
                                 valueText(s.value());
            } else {
                lines << p + it.key() + QStringLiteral(": ") + valueText(it.value());
            }
        }
    }
    const QJsonObject phys = o.value(QStringLiteral("physical")).toObject();
    for (auto it = phys.begin(); it != phys.end(); ++it)
        lines << QStringLiteral("physical ") + it.key() + QStringLiteral(": ") +
                     number(it.value().toDouble());
    lines << QStringLiteral("high speed: %1")
                 .arg(o.value(QStringLiteral("high_speed_state")).toInt());
    if (o.contains(QStringLiteral("doubler_state")))
        lines
            << QStringLiteral("doubler: %1").arg(o.value(QStringLiteral("doubler_state")).toInt());
    return lines;
}

} // namespace vantelso
