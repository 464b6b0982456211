// bench sim: the whole simulated factory bench (device and instruments) served on
// pseudo-terminals and loopback TCP, so the bench windows can be tried with no hardware.
#include "clicontext.h"
#include "identity.h"
#include "simulatedbench.h"

#include <QCoreApplication>
#include <cstdio>

namespace vantelso {

int RunBench(const QCommandLineParser& parser) {
    const QStringList args = parser.positionalArguments();
    if (args.size() < 2 || args.size() > 3 || args[1] != QLatin1String("sim")) {
        std::fprintf(stderr, "error: usage: vantelso-cli bench sim [MODEL]\n");
        return ExitUsage;
    }
    const QString model = args.size() == 3 ? args[2] : QStringLiteral("RSX7030");
    std::uint8_t modelByte = 0;
    std::uint8_t variantBits = 0;
    if (!ParseModelIdentifier(model, &modelByte, &variantBits)) {
        std::fprintf(stderr, "error: unknown device model \"%s\"\n", qPrintable(model));
        return ExitUsage;
    }
    QString why;
    sim::SimulatedBench bench(modelByte, variantBits);
    bench.device().setWireTiming(parser.isSet(QStringLiteral("wire-timing")));
    if (!bench.serve(&why)) {
        std::fprintf(stderr, "error: %s\n", qPrintable(why));
        return ExitCommFailure;
    }
    // One instrument a line, name TAB address TAB what it stands for, for people and scripts.
    for (const sim::SimulatedBench::Endpoint& e : bench.endpoints())
        std::printf("%s\t%s\t%s\n", qPrintable(e.name), qPrintable(e.address), qPrintable(e.note));
    std::fflush(stdout);
    std::fprintf(stderr,
                 "simulated bench around a %s; for the USB instruments put these lines in "
                 "instruments.txt in the working folder:\n",
                 qPrintable(bench.device().modelIdentifier()));
    for (const QString& line : bench.aliasLines())
        std::fprintf(stderr, "  %s\n", qPrintable(line));
    std::fprintf(stderr, "interrupt to stop\n");
    return QCoreApplication::exec();
}

} // namespace vantelso
