#include "configdiff.h"

#include "catalogue.h"
#include "configfiles.h"
#include "devicelink.h"
#include "editormodel.h"
#include "owntexts.h"
#include "prompter.h"
#include "recordformat.h"
#include "texts.h"

#include <QFileInfo>
#include <QJsonArray>
#include <algorithm>

namespace vantelso {

std::optional<ConfigFileRecord> ReadDeviceAsFile(DeviceLink& link, Prompter& prompter,
                                                 EditorOutcome* outcome, const Texts* language) {
    Texts texts(language ? language->table() : StringTable::builtIn());
    texts.setLanguage(language ? Texts::Language(language->langIndex()) : Texts::English);
    texts.setBrand(language ? language->brandIndex() : 0);
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

QString modelLabel(const ConfigFileRecord& r) {
    if (!ModelNeedsVariantByte(r.modelByte))
        return ModelIdentifier(r.modelByte, 0);
    return QStringLiteral("ID=%1/%2").arg(r.deviceCode).arg(r.modelByte);
}

// The fields `show` prints, flattened, with the unit each number is in.
QList<ConfigField> fieldsOf(const ConfigFileRecord& r) {
    Catalogue cat;
    cat.Init(DeviceIdentity{r.deviceCode, r.modelByte, 0, 0});
    return ConfigFields(FileJson(r, cat), cat);
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
    d.fileVersion = file.version;
    d.sameVersion = device.version == file.version;
    const QList<ConfigField> mine = fieldsOf(device);
    const QList<ConfigField> theirs = fieldsOf(file);
    for (const ConfigField& f : mine) {
        const auto other = std::find_if(theirs.begin(), theirs.end(),
                                        [&](const ConfigField& t) { return t.key() == f.key(); });
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
    for (const ConfigField& t : theirs)
        if (std::none_of(mine.begin(), mine.end(),
                         [&](const ConfigField& f) { return f.key() == t.key(); }))
            d.onlyInFile << t.key();
    return d;
}

std::optional<FileComparison> CompareDeviceWithFile(DeviceLink& link, Prompter& prompter,
                                                    const Texts& texts, const QString& path) {
    QString error;
    const auto file = ConfigFileRecord::load(path, texts, &error);
    if (!file) {
        prompter.ask(error, Prompter::Buttons::Ok, Prompter::Icon::Critical);
        return std::nullopt;
    }
    const auto device = ReadDeviceAsFile(link, prompter, nullptr, &texts);
    if (!device)
        return std::nullopt; // the editor's read has told the user why
    return FileComparison{CompareConfigurations(*device, *file), QFileInfo(path).fileName()};
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

QStringList DiffSummary(const ConfigDiff& d, const QString& fileName, const Texts& texts) {
    // Models by the names the user reads on the device, where the brand has one.
    const auto name = [&texts](const QString& model) {
        const QString shown = texts.modelDisplayName(model);
        return shown.isEmpty() ? model : shown;
    };
    QStringList out;
    out << (d.equal() ? texts.lang(own::CompareEqual).arg(name(d.deviceModel), fileName)
                      : texts.lang(own::CompareDiffer)
                            .arg(name(d.deviceModel), fileName)
                            .arg(d.differences()));
    if (!d.sameModel)
        out << texts.lang(own::CompareOtherModel).arg(name(d.fileModel)).arg(d.rows.size());
    if (!d.sameVersion)
        out << texts.lang(own::CompareOtherVersion).arg(FieldText(d.fileVersion));
    return out;
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
