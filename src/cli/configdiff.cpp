#include "configdiff.h"

#include "catalogue.h"
#include "configfiles.h"
#include "devicelink.h"
#include "editormodel.h"
#include "recordformat.h"
#include "texts.h"

#include <QJsonArray>
#include <algorithm>

namespace vantelso {

std::optional<ConfigFileRecord> ReadDeviceAsFile(DeviceLink& link, Prompter& prompter,
                                                 EditorOutcome* outcome) {
    Texts texts;
    texts.setLanguage(Texts::English);
    Catalogue catalogue;
    EditorModel model(catalogue, texts);
    ConfigEditor editor(model, link, catalogue, texts);
    ConfigFiles files(model, link.identity, texts, prompter);
    const EditorOutcome read = editor.ReadEprom();
    if (outcome)
        *outcome = read;
    if (read != EditorOutcome::Done)
        return std::nullopt;
    ConfigFileRecord r;
    files.fillRecord(r);
    return r;
}

namespace {

struct Field {
    QString channel;
    QString field;
    QString value;
    QString unit;
    QString key() const { return channel.isEmpty() ? field : channel + u' ' + field; }
};

QString modelLabel(const ConfigFileRecord& r) {
    if (!ModelNeedsVariantByte(r.modelByte))
        return ModelIdentifier(r.modelByte, 0);
    return QStringLiteral("ID=%1/%2").arg(r.deviceCode).arg(r.modelByte);
}

// The fields `show` prints, flattened, with the unit each number is in.
QList<Field> fieldsOf(const ConfigFileRecord& r) {
    Catalogue cat;
    cat.Init(DeviceIdentity{r.deviceCode, r.modelByte, 0, 0});
    const QJsonObject o = FileJson(r, cat);
    QList<Field> out;
    for (const QJsonValue& v : o.value(QStringLiteral("channels")).toArray()) {
        const QJsonObject ch = v.toObject();
        const QString c = ch.value(QStringLiteral("channel")).toString();
        const QString inUnit = cat.Input(ch.value(QStringLiteral("input_type")).toInt()).unit;
        const QString outUnit = cat.Output(ch.value(QStringLiteral("output_type")).toInt()).unit;
        auto unitOf = [&](const QString& key) {
            if (key == QLatin1String("input_start") || key == QLatin1String("input_end") ||
                key == QLatin1String("offset") || key == QLatin1String("trip high") ||
                key == QLatin1String("trip low"))
                return inUnit;
            if (key == QLatin1String("output_start") || key == QLatin1String("output_end"))
                return outUnit;
            if (key == QLatin1String("over_range_percent"))
                return QStringLiteral("%");
            return QString();
        };
        for (auto it = ch.begin(); it != ch.end(); ++it) {
            // The codes are shown by name; the name row carries them.
            if (it.key() == QLatin1String("channel") || it.key().endsWith(QLatin1String("_type")))
                continue;
            if (it.value().isObject()) {
                const QJsonObject sub = it.value().toObject();
                for (auto s = sub.begin(); s != sub.end(); ++s) {
                    const QString key = it.key() + u' ' + s.key();
                    out.append({c, key, FieldText(s.value()), unitOf(key)});
                }
            } else {
                out.append({c, it.key(), FieldText(it.value()), unitOf(it.key())});
            }
        }
    }
    const QJsonObject phys = o.value(QStringLiteral("physical")).toObject();
    for (auto it = phys.begin(); it != phys.end(); ++it)
        out.append(
            {QString(), QStringLiteral("physical ") + it.key(), FieldText(it.value()), QString()});
    out.append({QString(), QStringLiteral("high_speed"),
                FieldText(o.value(QStringLiteral("high_speed_state"))), QString()});
    if (o.contains(QStringLiteral("doubler_state")))
        out.append({QString(), QStringLiteral("doubler"),
                    FieldText(o.value(QStringLiteral("doubler_state"))), QString()});
    return out;
}

} // namespace

int ConfigDiff::differences() const {
    int n = 0;
    for (const DiffRow& r : rows)
        n += r.differs ? 1 : 0;
    return n;
}

ConfigDiff CompareConfigurations(const ConfigFileRecord& device, const ConfigFileRecord& file) {
    ConfigDiff d;
    d.deviceModel = modelLabel(device);
    d.fileModel = modelLabel(file);
    d.sameModel = device.deviceCode == file.deviceCode && device.modelByte == file.modelByte;
    const QList<Field> mine = fieldsOf(device);
    const QList<Field> theirs = fieldsOf(file);
    for (const Field& f : mine) {
        const auto other = std::find_if(theirs.begin(), theirs.end(),
                                        [&](const Field& t) { return t.key() == f.key(); });
        if (other == theirs.end()) {
            d.onlyOnDevice << f.key();
            continue;
        }
        // The unit goes with the value: a number in another unit differs even when the
        // figures agree.
        const bool differs = f.value != other->value || f.unit != other->unit;
        d.rows.append({f.channel, f.field, f.value, other->value,
                       f.unit == other->unit ? f.unit : f.unit + u'/' + other->unit, differs});
    }
    for (const Field& t : theirs)
        if (std::none_of(mine.begin(), mine.end(),
                         [&](const Field& f) { return f.key() == t.key(); }))
            d.onlyInFile << t.key();
    return d;
}

QJsonObject DiffJson(const ConfigDiff& d) {
    QJsonObject o;
    o.insert(QStringLiteral("device_model"), d.deviceModel);
    o.insert(QStringLiteral("file_model"), d.fileModel);
    o.insert(QStringLiteral("same_model"), d.sameModel);
    o.insert(QStringLiteral("equal"), d.equal());
    o.insert(QStringLiteral("differences"), d.differences());
    QJsonArray rows;
    for (const DiffRow& r : d.rows) {
        QJsonObject row;
        row.insert(QStringLiteral("channel"), r.channel);
        row.insert(QStringLiteral("field"), r.field);
        row.insert(QStringLiteral("device"), r.deviceValue);
        row.insert(QStringLiteral("file"), r.fileValue);
        row.insert(QStringLiteral("unit"), r.unit);
        row.insert(QStringLiteral("differs"), r.differs);
        rows.append(row);
    }
    o.insert(QStringLiteral("fields"), rows);
    if (!d.sameModel) {
        o.insert(QStringLiteral("only_on_device"), QJsonArray::fromStringList(d.onlyOnDevice));
        o.insert(QStringLiteral("only_in_file"), QJsonArray::fromStringList(d.onlyInFile));
    }
    return o;
}

QStringList DiffLines(const ConfigDiff& d) {
    QStringList lines;
    if (d.sameModel)
        lines << QStringLiteral("device %1, file %1").arg(d.deviceModel);
    else
        lines << QStringLiteral("device %1, file %2: another model, only the %3 fields both have "
                                "were compared (%4 on the device only, %5 in the file only)")
                     .arg(d.deviceModel, d.fileModel)
                     .arg(d.rows.size())
                     .arg(d.onlyOnDevice.size())
                     .arg(d.onlyInFile.size());
    lines << QStringLiteral("channel\tfield\tdevice\tfile\tunit\tdiffers");
    for (const DiffRow& r : d.rows)
        lines << QStringList{r.channel.isEmpty() ? QStringLiteral("-") : r.channel,
                             r.field,
                             r.deviceValue,
                             r.fileValue,
                             r.unit,
                             r.differs ? QStringLiteral("*") : QString()}
                     .join(u'\t');
    lines << (d.equal() ? QStringLiteral("equal")
                        : QStringLiteral("%1 field(s) differ").arg(d.differences()));
    return lines;
}

} // namespace vantelso
