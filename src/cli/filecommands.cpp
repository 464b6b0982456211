// save, load and show: configuration files from and into a device, and read on their own.
#include "catalogue.h"
#include "clicontext.h"
#include "configdiff.h"
#include "configeditor.h"
#include "configfiles.h"
#include "editormodel.h"
#include "owntexts.h"
#include "recordformat.h"
#include "switchmeaning.h"
#include "texts.h"

#include <QFileInfo>
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

QString fileArgument(CliContext& ctx, const char* command) {
    const QStringList args = ctx.parser.positionalArguments();
    if (args.size() != 2) {
        ctx.error(QStringLiteral("usage: vantelso-cli %1 FILE").arg(QLatin1String(command)));
        return {};
    }
    return args[1];
}

} // namespace

// Whether a file can be written at path, said before the device is read for it.
bool WritablePath(CliContext& ctx, const QString& path) {
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    QString why;
    if (info.isDir())
        why = QStringLiteral("it is a folder");
    else if (!folder.isDir())
        why = QStringLiteral("the folder %1 does not exist").arg(folder.filePath());
    else if (!folder.isWritable())
        why = QStringLiteral("the folder %1 is not writable").arg(folder.filePath());
    if (why.isEmpty())
        return true;
    ctx.error(
        QStringLiteral("cannot write %1: %2; nothing was read from the device").arg(path, why));
    return false;
}

int RunSave(CliContext& ctx) {
    const QString path = fileArgument(ctx, "-p PORT save");
    if (path.isEmpty())
        return ExitUsage;
    if (!WritablePath(ctx, path))
        return ExitFile;
    if (int rc = ctx.connect())
        return rc;
    EditorSession s(ctx);
    if (int rc = readDevice(ctx, s))
        return rc;
    if (s.files.saveTo(path) != ConfigFiles::Outcome::Done)
        return ExitFile; // the file functions said why
    std::fprintf(stderr, "saved the configuration of %s to %s\n",
                 qPrintable(s.editor.modelIdentifier()), qPrintable(path));
    return ExitDone;
}

int RunLoad(CliContext& ctx) {
    const QString path = fileArgument(ctx, "-p PORT load");
    if (path.isEmpty())
        return ExitUsage;
    // A missing file or one that is no configuration file is told before the device is read.
    // The CLI speaks English: file problems read as the desktop program's English ones.
    Texts english;
    english.setLanguage(Texts::English);
    QString error;
    if (!ConfigFileRecord::load(path, english, &error)) {
        ctx.error(error);
        return ExitFile;
    }
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
        return ExitFile; // gone or changed since the check: the file functions said why
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
    Texts english;
    english.setLanguage(Texts::English);
    QString error;
    const auto record = ConfigFileRecord::load(path, english, &error);
    if (!record) {
        ctx.error(error);
        return ExitFile;
    }
    Catalogue catalogue;
    catalogue.Init(DeviceIdentity{record->deviceCode, record->modelByte, 0, 0});
    const QJsonObject o = FileJson(*record, catalogue);
    if (ctx.parser.isSet(QStringLiteral("json"))) {
        ctx.out << QJsonDocument(o).toJson();
        return ExitDone;
    }
    for (const QString& line : FileLines(o))
        ctx.out << line << '\n';
    // A switch-configured device may work on other values than the file's: say so.
    if (switches::FamilyOf(record->modelByte) != switches::Family::None)
        ctx.out << english.lang(own::ReportNoSwitches) << '\n';
    return ExitDone;
}

// diff: the device against a file, field by field. The file is read (and refused) before
// the device is touched; the device is read as a save would write it.
int RunDiff(CliContext& ctx) {
    const QString path = fileArgument(ctx, "diff");
    if (path.isEmpty())
        return ExitUsage;
    QString error;
    Texts english;
    english.setLanguage(Texts::English);
    const auto file = ConfigFileRecord::load(path, english, &error);
    if (!file) {
        ctx.error(error + QStringLiteral("; nothing was read from the device"));
        return ExitFile;
    }
    if (int rc = ctx.connect())
        return rc;
    EditorOutcome outcome = EditorOutcome::Done;
    const auto device = ReadDeviceAsFile(ctx.link, ctx.prompter, &outcome);
    if (!device) {
        ctx.error(QStringLiteral("reading the device failed: %1")
                      .arg(QLatin1String(outcomeText(outcome))));
        return readExitCode(outcome);
    }
    const ConfigDiff diff = CompareConfigurations(*device, *file);
    if (ctx.parser.isSet(QStringLiteral("json"))) {
        ctx.out << QJsonDocument(DiffJson(diff)).toJson();
    } else {
        for (const QString& line : DiffLines(diff))
            ctx.out << line << '\n';
    }
    return diff.equal() ? ExitDone : ExitRefused;
}

} // namespace vantelso
