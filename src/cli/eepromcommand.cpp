// eeprom read|write|verify FILE: the factory's EEPROM tool from the command line. A whole
// memory bank against a ".dat" image, 256 decimal numbers one a line.
#include "clicontext.h"
#include "eepromtool.h"

#include <QSaveFile>

namespace vantelso {

namespace {

constexpr int ExitFileError = 4; // a file that cannot be read or written
constexpr int kEnglish = 1;

int outcomeExit(const bench::EepromOutcome& outcome) {
    switch (outcome.kind) {
    case bench::EepromOutcome::Kind::Done:
        return ExitDone;
    case bench::EepromOutcome::Kind::CommFailed:
        return ExitCommFailure;
    case bench::EepromOutcome::Kind::BadInput:
    case bench::EepromOutcome::Kind::NoImage:
        return ExitUsage;
    case bench::EepromOutcome::Kind::Differs:
        break;
    }
    return ExitRefused;
}

// The comparison as the bench window lists it: address, the device's value, the file's.
int report(CliContext& ctx, const bench::EepromOutcome& outcome) {
    if (outcome.kind == bench::EepromOutcome::Kind::CommFailed) {
        ctx.error(outcome.message);
        return ExitCommFailure;
    }
    if (!outcome.differences.isEmpty())
        ctx.out << "address\tdevice\tfile\n";
    for (const bench::Difference& d : outcome.differences)
        ctx.out << d.address << '\t' << int(d.device) << '\t' << int(d.expected) << '\n';
    ctx.out << outcome.message << '\n';
    return outcomeExit(outcome);
}

int loadImage(CliContext& ctx, bench::EepromTool& tool, const QString& path) {
    const bench::ImageStatus status = tool.loadFile(path);
    if (status.ok())
        return ExitDone;
    ctx.error(status.message);
    return status.kind == bench::ImageStatus::Kind::FileError ? ExitFileError : ExitRefused;
}

int readToFile(CliContext& ctx, bench::EepromTool& tool, const QString& path) {
    // The file is opened first so that an unwritable path costs no device time; it replaces
    // the old one only once the device has been read whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        ctx.error(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        return ExitFileError;
    }
    if (int rc = ctx.connect())
        return rc;
    const bench::EepromOutcome read = tool.readDevice();
    if (!read.ok()) {
        ctx.error(read.message);
        return ExitCommFailure;
    }
    const QByteArray bytes = bench::FormatEepromImage(tool.image());
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        ctx.error(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        return ExitFileError;
    }
    ctx.out << "read " << bench::EepromImage::Size << " bytes of bank " << tool.bank() << " into "
            << path << '\n';
    return ExitDone;
}

} // namespace

int RunEeprom(CliContext& ctx) {
    const QStringList args = ctx.parser.positionalArguments();
    const QStringList actions = {QStringLiteral("read"), QStringLiteral("write"),
                                 QStringLiteral("verify")};
    if (args.size() != 3 || !actions.contains(args[1])) {
        ctx.error(QStringLiteral("usage: vantelso-cli -p PORT eeprom read|write|verify FILE "
                                 "[--bank N]"));
        return ExitUsage;
    }
    int bank = 0;
    if (!ctx.intOption(QStringLiteral("bank"), 0, 0, 255, &bank))
        return ExitUsage;
    const QString action = args[1];
    const QString path = args[2];
    bench::EepromTool tool(ctx.link, kEnglish);
    tool.setBank(bank);

    if (action == QLatin1String("read"))
        return readToFile(ctx, tool, path);

    // A bad image is refused before the device is touched.
    if (int rc = loadImage(ctx, tool, path))
        return rc;
    if (int rc = ctx.connect())
        return rc;
    return report(ctx, action == QLatin1String("write") ? tool.writeDevice() : tool.verify());
}

} // namespace vantelso
