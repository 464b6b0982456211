// report: the configuration report as PDF, of the device on the port or of a file.
#include "clicontext.h"
#include "configreport.h"
#include "texts.h"

namespace vantelso {

namespace {

int write(CliContext& ctx, const report::ReportSource& source, const QString& out) {
    Texts english;
    english.setLanguage(Texts::English);
    const report::ConfigReport report(source, english);
    QString why;
    if (!report.writePdf(out, &why)) {
        ctx.error(QStringLiteral("cannot write %1: %2").arg(out, why));
        return ExitFile;
    }
    std::fprintf(stderr, "wrote the configuration report to %s (%d page(s))\n", qPrintable(out),
                 report.pageCount());
    return ExitDone;
}

} // namespace

// report OUT.pdf (the device, -p or --demo) or report FILE.VNT OUT.pdf. The files are
// checked before the device is touched, as save and load do.
int RunReport(CliContext& ctx) {
    const QStringList args = ctx.parser.positionalArguments();
    if (args.size() != 2 && args.size() != 3) {
        ctx.error(QStringLiteral("usage: vantelso-cli -p PORT report OUT.pdf, or vantelso-cli "
                                 "report FILE.VNT OUT.pdf"));
        return ExitUsage;
    }
    const QString out = args.last();
    if (!WritablePath(ctx, out))
        return ExitFile;
    if (args.size() == 3) {
        if (ctx.parser.isSet(QStringLiteral("port")) || ctx.parser.isSet(QStringLiteral("demo"))) {
            ctx.error(QStringLiteral("a report is of a device or of a file, not both"));
            return ExitUsage;
        }
        Texts english;
        english.setLanguage(Texts::English);
        QString error;
        const auto record = ConfigFileRecord::load(args[1], english, &error);
        if (!record) {
            ctx.error(error);
            return ExitFile;
        }
        return write(ctx, report::ReportFromFile(*record, args[1]), out);
    }
    if (int rc = ctx.connect())
        return rc;
    const QString port = ctx.parser.isSet(QStringLiteral("demo"))
                             ? QStringLiteral("demo ") + ctx.parser.value(QStringLiteral("demo"))
                             : ctx.parser.value(QStringLiteral("port"));
    ReadFailure failure = ReadFailure::None;
    const auto source = report::ReportFromDevice(ctx.link, port, &failure);
    if (failure == ReadFailure::Incompatible) {
        ctx.error(QStringLiteral("Device not compatible with this software version (%1)")
                      .arg(IdentificationLabel(ctx.link.identity)));
        return ExitRefused;
    }
    if (!source) {
        ctx.error(QStringLiteral("reading the device failed (%1); nothing was written")
                      .arg(ctx.link.texts().communicationError));
        return ExitCommFailure;
    }
    return write(ctx, *source, out);
}

} // namespace vantelso
