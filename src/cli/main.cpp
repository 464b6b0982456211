// vantelso-cli: the configuration tool for scripts and terminals.
#include "clicontext.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <cstdio>
#include <cstring>
#include <memory>
#ifdef VANTELSO_HAS_REPORT
#include <QGuiApplication>
#endif

using namespace vantelso;

namespace vantelso {
int RunBench(const QCommandLineParser& parser);   // benchcommand.cpp
int RunEeprom(CliContext& ctx);                   // eepromcommand.cpp
int RunRecords(const QCommandLineParser& parser); // recordscommand.cpp
} // namespace vantelso

namespace {

// --trace: the link's trace lines on stderr as they are, whatever Qt's default log sink is.
void traceToStderr(QtMsgType, const QMessageLogContext&, const QString& message) {
    std::fprintf(stderr, "%s\n", qPrintable(message));
    std::fflush(stderr);
}

// The report lays text out with fonts, which needs Qt's GUI application; the tool shows no
// window, so it needs no display either.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
#ifdef VANTELSO_HAS_REPORT
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "report") != 0 && std::strcmp(argv[i], "certificate") != 0)
            continue;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
#endif
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> application = makeApplication(argc, argv);
    QCoreApplication& app = *application;
    QCoreApplication::setApplicationName(QStringLiteral("vantelso-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTELSO_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Identify, read, decode and dump signal conditioners on a serial port.\n\n"
        "Commands:\n"
        "  ports [--json]             serial ports found on this machine: port, product, maker,\n"
        "                             serial number, stable name (tab-separated)\n"
        "  sim MODEL [--wire-timing]  serve a simulated device on a pseudo-terminal\n"
        "  bench sim [MODEL]          serve a simulated bench: device and instruments\n"
        "  bench calibrate MODEL [--ranges LIST] [--gain-error PERCENT] [--model-byte N]\n"
        "           [--unit ID] [--json]\n"
        "                             one calibration run on a simulated bench (exit 0 every\n"
        "                             range passed and the final programming read back, 3 a\n"
        "                             range failed, 1 the run's error ending)\n"
        "  identify [--json]          identify the device\n"
        "  read [--json]              read and decode the configuration\n"
        "  save FILE                  read the device and save its configuration file\n"
        "  load FILE [--yes]          write a configuration file into the device\n"
        "  show FILE [--json]         print a configuration file, no device needed\n"
        "  diff FILE [--json]         compare the device with a configuration file, field by\n"
        "                             field (exit 0 equal, 3 different, 4 file unreadable)\n"
        "  report OUT.pdf             the device's configuration report as PDF: identity, date,\n"
        "                             each channel with units, trips, switch positions\n"
        "  report FILE OUT.pdf        the same for a configuration file, no device needed\n"
        "  dump [--bank N] [--from A] [--count N]  raw memory, one address<TAB>value per line\n"
        "  eeprom read|write|verify FILE [--bank N]\n"
        "                             a whole memory bank to or from a .dat image (256 numbers,\n"
        "                             one a line); write reads back and compares; verify lists\n"
        "                             each address that differs\n"
        "  switches [--json]          read the DIP-switch banks S0, S1, S2 and what they select\n"
        "  switches --model MODEL [--input N] [--input-b N] [--output N] [--output-b N]\n"
        "           [--span N] [--zero N] [--multiplier N] [--option on|off] [--json]\n"
        "                             the banks for a configuration, no device needed. --input is\n"
        "                             an input-type code (RSX7030, lettered A-C, RSX7035), a "
        "sensor\n"
        "                             list index 0-3 (RSX7040) or a range switch value 0-15 (D\n"
        "                             models, also --input-b); --output/--output-b are output "
        "codes\n"
        "                             0-3; --span, --zero and --multiplier are list positions\n"
        "                             (0 = Default)\n"
        "  sim/--demo MODEL --switches S0,S1,S2  the simulated device's switch positions\n\n"
        "  monitor [--count N] [--csv]  live measurements until Ctrl-C (or N frames)\n\n"
        "  records [--unit ID] [--since DATE] [--json|--csv]\n"
        "                             the production records: the bench's runs, oldest first\n"
        "  records import FILE        load the runs a refused database left in a fallback file\n"
        "  records certificate RUN OUT.pdf  a run's calibration certificate\n"
        "                             (--records postgresql://host/db or a SQLite file; default:\n"
        "                             the setting records/database, else records.sqlite in the\n"
        "                             user's data folder)\n\n"
        "PORT is a device path or COMn (on Linux COMn is /dev/ttyS(n-1)).\n"
        "MODEL is a model identifier such as RSX7030 or RSX7131B, or a model byte 0 to 9.\n"
        "Exit codes:\n"
        "  0  done\n"
        "  1  communication failure\n"
        "  2  usage (unknown command or option, an empty -p, --demo together with -p)\n"
        "  3  refused by a check or cancelled (eeprom: a bad image or a device that differs)\n"
        "  4  file cannot be read or written (missing, not a configuration file, no such\n"
        "     folder); files are checked before the device is touched"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {{QStringLiteral("p"), QStringLiteral("port")},
         QStringLiteral("Serial port."),
         QStringLiteral("PORT")},
        {QStringLiteral("demo"), QStringLiteral("Use a simulated device instead of a port."),
         QStringLiteral("MODEL")},
        {QStringLiteral("json"), QStringLiteral("Print JSON.")},
        {QStringLiteral("trace"),
         QStringLiteral("Print every request and reply on the wire to stderr (also: "
                        "QT_LOGGING_RULES=vantelso.link.debug=true).")},
        {QStringLiteral("yes"), QStringLiteral("Answer OK to OK/Cancel questions.")},
        {QStringLiteral("bank"), QStringLiteral("Memory bank (dump, eeprom)."),
         QStringLiteral("N")},
        {QStringLiteral("from"), QStringLiteral("First address (dump)."), QStringLiteral("A")},
        {QStringLiteral("count"), QStringLiteral("Number of bytes (dump) or frames (monitor)."),
         QStringLiteral("N")},
        {QStringLiteral("csv"),
         QStringLiteral("Print CSV: time,channel,input,input_unit,output,output_unit,status.")},
        {QStringLiteral("wire-timing"), QStringLiteral("Simulate the 9600-baud byte time (sim).")},
        {QStringLiteral("switches"), QStringLiteral("Switch banks of the simulated device."),
         QStringLiteral("S0,S1,S2")},
        {QStringLiteral("model"), QStringLiteral("Model (switches)."), QStringLiteral("MODEL")},
        {QStringLiteral("input"), QStringLiteral("Input (switches)."), QStringLiteral("N")},
        {QStringLiteral("input-b"), QStringLiteral("Channel B input (switches)."),
         QStringLiteral("N")},
        {QStringLiteral("output"), QStringLiteral("Output (switches)."), QStringLiteral("N")},
        {QStringLiteral("output-b"), QStringLiteral("Channel B output (switches)."),
         QStringLiteral("N")},
        {QStringLiteral("span"), QStringLiteral("Span position (switches)."), QStringLiteral("N")},
        {QStringLiteral("zero"), QStringLiteral("Zero position (switches)."), QStringLiteral("N")},
        {QStringLiteral("multiplier"), QStringLiteral("Multiplier position (switches)."),
         QStringLiteral("N")},
        {QStringLiteral("option"), QStringLiteral("Option switch (switches)."),
         QStringLiteral("on|off")},
        {QStringLiteral("ranges"),
         QStringLiteral("Ranges to calibrate, indices or names such as 90mVA,mAB (bench)."),
         QStringLiteral("LIST")},
        {QStringLiteral("gain-error"),
         QStringLiteral("Input gain error of the simulated unit (bench calibrate)."),
         QStringLiteral("PERCENT")},
        {QStringLiteral("model-byte"),
         QStringLiteral("Model byte of the simulated unit, for identifiers shared by two (bench "
                        "calibrate)."),
         QStringLiteral("N")},
        {QStringLiteral("records"),
         QStringLiteral("Production records: postgresql://host/db or a SQLite file."),
         QStringLiteral("DATABASE")},
        {QStringLiteral("unit"), QStringLiteral("Unit id (records, bench)."), QStringLiteral("ID")},
        {QStringLiteral("since"), QStringLiteral("Runs started since (records)."),
         QStringLiteral("DATE")},
    });
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("What to do."));
    if (!parser.parse(app.arguments())) {
        std::fprintf(stderr, "error: %s\n", qPrintable(parser.errorText()));
        return ExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::printf("%s", qPrintable(parser.helpText()));
        return ExitDone;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("vantelso-cli %s\n", VANTELSO_VERSION);
        return ExitDone;
    }
    if (parser.isSet(QStringLiteral("trace"))) {
        QLoggingCategory::setFilterRules(QStringLiteral("vantelso.link.debug=true"));
        qInstallMessageHandler(traceToStderr);
    }
    const QStringList args = parser.positionalArguments();
    if (args.isEmpty()) {
        std::fprintf(stderr, "error: no command; see vantelso-cli --help\n");
        return ExitUsage;
    }
    const QString command = args.first();
    // One device at a time, named: an empty port or a port beside --demo is a mistake.
    const bool port = parser.isSet(QStringLiteral("port"));
    if (port && parser.value(QStringLiteral("port")).trimmed().isEmpty()) {
        std::fprintf(stderr, "error: -p needs a port name (a device path or COMn)\n");
        return ExitUsage;
    }
    if (port && parser.isSet(QStringLiteral("demo"))) {
        std::fprintf(stderr, "error: give either --demo MODEL or -p PORT, not both\n");
        return ExitUsage;
    }
    if (command == QLatin1String("sim"))
        return RunSim(parser);
    if (command == QLatin1String("bench"))
        return RunBench(parser);
#ifdef VANTELSO_HAS_RECORDS
    if (command == QLatin1String("records"))
        return RunRecords(parser);
#endif

    CliContext ctx(parser, parser.isSet(QStringLiteral("yes")));
    int rc = ExitUsage;
    const bool takesFile = command == QLatin1String("save") || command == QLatin1String("load") ||
                           command == QLatin1String("show") || command == QLatin1String("diff");
#ifdef VANTELSO_HAS_REPORT
    if (command == QLatin1String("report")) {
        const int reported = RunReport(ctx);
        ctx.out.flush();
        return reported;
    }
#endif
    if (command == QLatin1String("eeprom")) {
        rc = RunEeprom(ctx);
    } else if (takesFile) {
        rc = command == QLatin1String("save")   ? RunSave(ctx)
             : command == QLatin1String("load") ? RunLoad(ctx)
             : command == QLatin1String("diff") ? RunDiff(ctx)
                                                : RunShow(ctx);
    } else if (args.size() != 1) {
        ctx.error(QStringLiteral("unexpected arguments after %1").arg(command));
    } else if (command == QLatin1String("ports")) {
        rc = RunPorts(ctx);
    } else if (command == QLatin1String("identify")) {
        rc = RunIdentify(ctx);
    } else if (command == QLatin1String("read")) {
        rc = RunRead(ctx);
    } else if (command == QLatin1String("dump")) {
        rc = RunDump(ctx);
    } else if (command == QLatin1String("switches")) {
        rc = RunSwitches(ctx);
    } else if (command == QLatin1String("monitor")) {
        rc = RunMonitor(ctx);
    } else {
        ctx.error(QStringLiteral("unknown command \"%1\"; see vantelso-cli --help").arg(command));
    }
    ctx.out.flush();
    return rc;
}
