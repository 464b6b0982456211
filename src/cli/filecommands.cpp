// save, load and show: configuration files from and into a device, and read on their own.
#include "catalogue.h"
#include "clicontext.h"
#include "configeditor.h"
#include "configfiles.h"
#include "editormodel.h"
#include "recordformat.h"
#include "texts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vantelso {

namespace {

// The editor the desktop program shows, without its window: files go through it exactly as
// they do there, with every check.
struct EditorSession {
    explicit EditorSession(CliContext& ctx)
        : model(catalogue, texts), editor(model, ctx.link, catalogue, texts),
          files(model, ctx.link.identity, texts, ctx.prompter) {
        texts.setLanguage(Texts::English);
    }
    Texts texts;
    Catalogue catalogue;
    EditorModel model;
    ConfigEditor editor;
    ConfigFiles files;
};

int readExitCode(EditorOutcome outcome) {
    switch (outcome) {
    case EditorOutcome::Done:
        return ExitDone;
    case EditorOutcome::CommFailed:
    case EditorOutcome::VerifyFailed:
    case EditorOutcome::Busy:
        return ExitCommFailure;
    default:
        return ExitRefused;
    }
}

const char* outcomeText(EditorOutcome outcome) {
    switch (outcome) {
    case EditorOutcome::Done:
        return "done";
    case EditorOutcome::Busy:
        return "the link is busy";
    case EditorOutcome::CommFailed:
        return "communication failed";
    case EditorOutcome::Incompatible:
        return "the device is not of a family this program configures";
    case EditorOutcome::DeviceChanged:
        return "another device answers than the one read";
    case EditorOutcome::WrongCjc:
        return "the cold-junction setting is refused";
    case EditorOutcome::Cancelled:
        return "a check was answered Cancel";
    case EditorOutcome::DataError:
        return "a value cannot be stored in the device";
    case EditorOutcome::VerifyFailed:
        return "the device does not hold what was written";
    }
    return "failed";
}

// Fills the editor from the device; an exit code when that fails.
int readDevice(CliContext& ctx, EditorSession& s) {
    const EditorOutcome read = s.editor.ReadEprom();
    if (read == EditorOutcome::Done)
        return ExitDone;
    ctx.error(
        QStringLiteral("reading the device failed: %1").arg(QLatin1String(outcomeText(read))));
    return readExitCode(read);
}

QString flagChoice(std::initializer_list<std::pair<std::int16_t, const char*>> options) {
    for (const auto& [flag, name] : options)
        if (FileFlagSet(flag))
            return QLatin1String(name);
    return QString();
}

QJsonObject fileJson(const ConfigFileRecord& r, const Catalogue& cat) {
    DeviceIdentity id{r.deviceCode, r.modelByte, r.idByte3, r.idByte4};
    // The lettered models' variant is not in the file, so their identifier is not either.
    const QString model =
        ModelNeedsVariantByte(r.modelByte) ? QString() : ModelIdentifier(r.modelByte, 0);
    QJsonObject o;
    o.insert(QStringLiteral("identity"), IdentityJson(id, model));
    o.insert(QStringLiteral("version"), r.version);
    QJsonArray channels;
    for (std::size_t i = 0; i < 2; ++i) {
        auto name = [](const QString& n, int code) {
            return n.isEmpty() ? QStringLiteral("code %1").arg(code) : n;
        };
        QJsonObject ch;
        ch.insert(QStringLiteral("channel"), i == 0 ? QStringLiteral("A") : QStringLiteral("B"));
        ch.insert(QStringLiteral("input_type"), r.inputType[i]);
        ch.insert(QStringLiteral("input"), name(cat.Input(r.inputType[i]).name, r.inputType[i]));
        ch.insert(QStringLiteral("input_start"), r.inputStart[i]);
        ch.insert(QStringLiteral("input_end"), r.inputEnd[i]);
        ch.insert(QStringLiteral("output_type"), r.outputType[i]);
        ch.insert(QStringLiteral("output"),
                  name(cat.Output(r.outputType[i]).name, r.outputType[i]));
        ch.insert(QStringLiteral("output_start"), r.outputStart[i]);
        ch.insert(QStringLiteral("output_end"), r.outputEnd[i]);
        ch.insert(QStringLiteral("offset"), r.offset[i]);
        ch.insert(QStringLiteral("cjc"),
                  flagChoice({{r.cjcExternal[i], "external"}, {r.cjcInternal[i], "internal"}}));
        ch.insert(QStringLiteral("wires"),
                  flagChoice({{r.wires2[i], "2"}, {r.wires4[i], "4"}, {r.wires3[i], "3"}}));
        ch.insert(QStringLiteral("function"), flagChoice({{r.functionLinear[i], "Linear"},
                                                          {r.functionTank[i], "Tank"},
                                                          {r.functionSqrt[i], "SQRT"}}));
        ch.insert(QStringLiteral("burnout"),
                  flagChoice({{r.breakUp[i], "up"}, {r.breakDown[i], "down"}}));
        ch.insert(QStringLiteral("over_range_percent"), r.overRange[i]);
        ch.insert(QStringLiteral("operator"), r.mathOperator[i]);
        ch.insert(QStringLiteral("option"), r.optionValue[i]);
        if (i == 0) {
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
    o.insert(QStringLiteral("doubler_state"), r.doubler);
    return o;
}

QString fileArgument(CliContext& ctx, const char* command) {
    const QStringList args = ctx.parser.positionalArguments();
    if (args.size() != 2) {
        ctx.error(QStringLiteral("usage: vantelso-cli %1 FILE").arg(QLatin1String(command)));
        return {};
    }
    return args[1];
}

} // namespace

int RunSave(CliContext& ctx) {
    const QString path = fileArgument(ctx, "-p PORT save");
    if (path.isEmpty())
        return ExitUsage;
    if (int rc = ctx.connect())
        return rc;
    EditorSession s(ctx);
    if (int rc = readDevice(ctx, s))
        return rc;
    if (s.files.saveTo(path) != ConfigFiles::Outcome::Done)
        return ExitCommFailure;
    std::fprintf(stderr, "saved the configuration of %s to %s\n",
                 qPrintable(s.editor.modelIdentifier()), qPrintable(path));
    return ExitDone;
}

int RunLoad(CliContext& ctx) {
    const QString path = fileArgument(ctx, "-p PORT load");
    if (path.isEmpty())
        return ExitUsage;
    if (int rc = ctx.connect())
        return rc;
    EditorSession s(ctx);
    // Read the device first: the device check compares the file with what is on the port,
    // and the settings a file does not hold keep the device's values.
    if (int rc = readDevice(ctx, s))
        return rc;
    switch (s.files.openFrom(path)) {
    case ConfigFiles::Outcome::Done:
        break;
    case ConfigFiles::Outcome::Cancelled:
        ctx.error(QStringLiteral("nothing written: the file's check was answered Cancel"));
        return ExitRefused;
    case ConfigFiles::Outcome::Failed:
        return ExitRefused;
    }
    const EditorOutcome written = s.editor.WriteEprom();
    if (written != EditorOutcome::Done) {
        ctx.error(QStringLiteral("writing the device failed: %1")
                      .arg(QLatin1String(outcomeText(written))));
        return readExitCode(written);
    }
    std::fprintf(stderr, "wrote %s into %s (%d bytes, verified)\n", qPrintable(path),
                 qPrintable(s.editor.modelIdentifier()), int(s.editor.lastWrite().size()));
    return ExitDone;
}

int RunShow(CliContext& ctx) {
    const QString path = fileArgument(ctx, "show");
    if (path.isEmpty())
        return ExitUsage;
    QString error;
    const auto record = ConfigFileRecord::load(path, &error);
    if (!record) {
        ctx.error(error);
        return ExitRefused;
    }
    Catalogue catalogue;
    catalogue.Init(DeviceIdentity{record->deviceCode, record->modelByte, 0, 0});
    const QJsonObject o = fileJson(*record, catalogue);
    if (ctx.parser.isSet(QStringLiteral("json"))) {
        ctx.out << QJsonDocument(o).toJson();
        return ExitDone;
    }
    const QJsonObject id = o.value(QStringLiteral("identity")).toObject();
    ctx.out << QStringLiteral("ID=%1/%2")
                   .arg(id.value(QStringLiteral("device_code")).toInt())
                   .arg(id.value(QStringLiteral("model_byte")).toInt())
            << '\n';
    ctx.out << "version: " << o.value(QStringLiteral("version")).toDouble() << '\n';
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
                    ctx.out << p << it.key() << ' ' << s.key() << ": "
                            << s.value().toVariant().toString() << '\n';
            } else {
                ctx.out << p << it.key() << ": " << it.value().toVariant().toString() << '\n';
            }
        }
    }
    const QJsonObject phys = o.value(QStringLiteral("physical")).toObject();
    for (auto it = phys.begin(); it != phys.end(); ++it)
        ctx.out << "physical " << it.key() << ": " << it.value().toDouble() << '\n';
    ctx.out << "high speed: " << o.value(QStringLiteral("high_speed_state")).toInt() << '\n';
    ctx.out << "doubler: " << o.value(QStringLiteral("doubler_state")).toInt() << '\n';
    return ExitDone;
}

} // namespace vantelso
