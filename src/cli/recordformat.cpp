#include "recordformat.h"

#include <QJsonArray>

namespace vantelso {

namespace {

// Values as the editor shows them: up to three decimals, no trailing zeros.
QString number(double v) {
    QString s = QString::number(v, 'f', 3);
    while (s.contains(u'.') && (s.endsWith(u'0') || s.endsWith(u'.')))
        s.chop(1);
    return s == QLatin1String("-0") ? QStringLiteral("0") : s;
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

const char* kFunctions[] = {"Linear", "Tank", "SQRT"};

QString functionName(int f) {
    return f >= 0 && f < 3 ? QLatin1String(kFunctions[f]) : QStringLiteral("code %1").arg(f);
}

} // namespace

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
    for (int c = 0; c < ChannelCount; ++c) {
        const ChannelSettings& ch = r.channels[c];
        const int rawIn = r.raw.inputCode[c];
        const int rawOut = r.raw.outputCode[c];
        QJsonObject o;
        o.insert(QStringLiteral("channel"), channelName(c));
        o.insert(QStringLiteral("input_type"), ch.inputType);
        o.insert(QStringLiteral("input"), inputName(cat, ch.inputType));
        if (rawIn != ch.inputType)
            o.insert(QStringLiteral("input_code_read"), rawIn);
        o.insert(QStringLiteral("input_unit"), cat.Input(ch.inputType).unit);
        o.insert(QStringLiteral("input_start"), ch.inputStart);
        o.insert(QStringLiteral("input_end"), ch.inputEnd);
        o.insert(QStringLiteral("input_decimals"), ch.decimals);
        o.insert(QStringLiteral("output_type"), ch.outputType);
        o.insert(QStringLiteral("output"), outputName(cat, ch.outputType));
        if (rawOut != ch.outputType)
            o.insert(QStringLiteral("output_code_read"), rawOut);
        o.insert(QStringLiteral("output_unit"), cat.Output(ch.outputType).unit);
        o.insert(QStringLiteral("output_start"), ch.outputStart);
        o.insert(QStringLiteral("output_end"), ch.outputEnd);
        o.insert(QStringLiteral("offset"), r.offset[c]);
        o.insert(QStringLiteral("wires"), r.wires[c]);
        o.insert(QStringLiteral("cjc"),
                 r.internalCjc[c] ? QStringLiteral("internal") : QStringLiteral("external"));
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
    out.insert(QStringLiteral("doubler"), r.doubler);
    out.insert(QStringLiteral("high_speed"), r.highSpeed);
    out.insert(QStringLiteral("filter"), r.filter);
    if (HasResponseTime(id))
        out.insert(QStringLiteral("response_time_s"), r.responseTime);
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
        lines << p + QStringLiteral("input start: ") +
                     withUnit(ch.value(QStringLiteral("input_start")).toDouble(), inUnit);
        lines << p + QStringLiteral("input end: ") +
                     withUnit(ch.value(QStringLiteral("input_end")).toDouble(), inUnit);
        lines << p + QStringLiteral("output: ") + ch.value(QStringLiteral("output")).toString();
        if (ch.contains(QStringLiteral("output_code_read")))
            lines << p + QStringLiteral("output code read: %1")
                             .arg(ch.value(QStringLiteral("output_code_read")).toInt());
        lines << p + QStringLiteral("output start: ") +
                     withUnit(ch.value(QStringLiteral("output_start")).toDouble(), outUnit);
        lines << p + QStringLiteral("output end: ") +
                     withUnit(ch.value(QStringLiteral("output_end")).toDouble(), outUnit);
        lines << p + QStringLiteral("offset: ") +
                     withUnit(ch.value(QStringLiteral("offset")).toDouble(), inUnit);
        for (const char* key :
             {"wires", "cjc", "burnout", "function", "over_range", "operator",
              "physical_input_start", "physical_input_end", "physical_output_start",
              "physical_output_end", "operator_delay_s"}) {
            const QString k = QLatin1String(key);
            if (!ch.contains(k))
                continue;
            const QJsonValue v = ch.value(k);
            lines << p + k + QStringLiteral(": ") +
                         (v.isString() ? v.toString() : number(v.toDouble()));
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
        const QJsonValue v = it.value();
        lines << it.key() + QStringLiteral(": ") +
                     (v.isString() ? v.toString()
                      : v.isBool() ? (v.toBool() ? QStringLiteral("on") : QStringLiteral("off"))
                                   : number(v.toDouble()));
    }
    return lines;
}

} // namespace vantelso
