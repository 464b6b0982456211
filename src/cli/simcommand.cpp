// sim: a simulated device served on a pseudo-terminal, for trying the tools without hardware.
#include "clicontext.h"
#include "ptyserver.h"
#include "simdevice.h"

#include <QCoreApplication>
#include <cstdio>
#include <memory>

namespace vantelso {

int RunSim(const QCommandLineParser& parser) {
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "error: usage: vantelso-cli sim MODEL [--wire-timing]\n");
        return ExitUsage;
    }
    QString why;
    std::unique_ptr<sim::SimDevice> device(sim::SimDevice::fromModelText(args[1], nullptr, &why));
    if (!device) {
        std::fprintf(stderr, "error: %s\n", qPrintable(why));
        return ExitUsage;
    }
    device->setWireTiming(parser.isSet(QStringLiteral("wire-timing")));
    if (!ApplySwitchesOption(parser, device.get()))
        return ExitUsage;
    sim::PtyServer server;
    if (!server.start(device.get(), &why)) {
        std::fprintf(stderr, "error: %s\n", qPrintable(why));
        return ExitCommFailure;
    }
    // The path first and alone on its line, so scripts can read it and connect.
    std::printf("%s\n", qPrintable(server.slavePath()));
    std::fflush(stdout);
    std::fprintf(stderr, "simulated %s served on %s; interrupt to stop\n",
                 qPrintable(args[1].toUpper()), qPrintable(server.slavePath()));
    return QCoreApplication::exec();
}

} // namespace vantelso
