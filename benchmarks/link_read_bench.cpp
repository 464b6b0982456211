// How close does a configuration read come to what the wire allows?
//
// A simulated RSX7030 is read three ways: in-process with 9600-baud byte timing, and served
// on a pseudo-terminal by a child process (this program started with --serve), once with
// byte timing and once answering at once as the demo device does, which the link must hold
// back to the wire's pace. Each run times ReadIdentity followed by ReadBlock(0, 0, 65). The
// protocol floor is the fixed pauses of the commands plus the wire time of every request and reply
// that is waited for. The bytes of the short commands ("SM", "PR"/"OK", "$FPxx") travel inside
// their own pauses, so counting them again would flatter the ratio; the loose figure that does is
// printed too. Also printed: the CPU time the client used, as a share of the wall time.
//
// "--log off" runs with the desktop program's communication log in place but not recording
// (the way the program normally runs: tracing off), "--log on" with it recording every line.
#include "devicelink.h"
#include "ptyserver.h"
#include "scriptedprompter.h"
#include "serialtransport.h"
#include "simdevice.h"
#include "simtransport.h"
#include "tracelog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <ctime>
#include <memory>

using namespace vantelso;

namespace {

int serve(bool wireTiming) {
    sim::SimDevice device(0);
    device.setWireTiming(wireTiming);
    sim::PtyServer server;
    QString why;
    if (!server.start(&device, &why)) {
        std::fprintf(stderr, "serve: %s\n", qPrintable(why));
        return 1;
    }
    std::printf("%s\n", qPrintable(server.slavePath()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}

constexpr double kByteSeconds = 10.0 / 9600.0;

// ReadIdentity on a model without a variant byte, then ReadBlock: SM, PR, the exchanges,
// then one $FPxx (two after the identity).
constexpr double kPauses = (0.2 + 0.1 + 0.1 + 0.1) + (0.2 + 0.1 + 0.1);
constexpr int kShortCommandBytes = (3 + 7 + 6 + 6) + (3 + 7 + 6);

double protocolFloorSeconds(int blockCount, bool countShortCommands) {
    const int exchanged = (6 + 7) + blockCount * (6 + 6);
    const int bytes = exchanged + (countShortCommands ? kShortCommandBytes : 0);
    return bytes * kByteSeconds + kPauses;
}

// Times `runs` configuration reads over `port`; returns the worst ratio to the floor, or -1.
double measure(const char* kind, Transport& port, int runs, double floor) {
    ScriptedPrompter prompter;
    if (!port.open()) {
        std::fprintf(stderr, "%s: %s\n", kind, qPrintable(port.errorString()));
        return -1;
    }
    DeviceLink link(&prompter);
    link.setTransport(&port);
    double worst = 0;
    for (int run = 0; run < runs; ++run) {
        const std::clock_t cpu0 = std::clock();
        QElapsedTimer wall;
        wall.start();
        link.ReadIdentity();
        const bool idOk = link.CommError == 0;
        link.ReadBlock(0, 0, 65);
        const bool blockOk = link.CommError == 0;
        const double seconds = wall.nsecsElapsed() / 1e9;
        const double cpu = double(std::clock() - cpu0) / CLOCKS_PER_SEC;
        if (!idOk || !blockOk) {
            std::fprintf(stderr, "%s: run %d failed (identity %d, block %d)\n", kind, run, idOk,
                         blockOk);
            return -1;
        }
        worst = qMax(worst, seconds / floor);
        std::printf("%-22s run %d: %.3f s, ratio %.3f (target <= 1.03); CPU %.3f s = %.1f%% of "
                    "wall\n",
                    kind, run + 1, seconds, seconds / floor, cpu, 100.0 * cpu / seconds);
    }
    port.close();
    std::printf("%-22s worst ratio %.3f\n", kind, worst);
    return worst;
}

// A child process serving the device on a pseudo-terminal; empty path when it failed.
QString startServer(QProcess& server, bool wireTiming) {
    QStringList args{QStringLiteral("--serve")};
    if (wireTiming)
        args << QStringLiteral("--wire-timing");
    server.start(QCoreApplication::applicationFilePath(), args);
    if (!server.waitForStarted(5000) || !server.waitForReadyRead(5000))
        return {};
    return QString::fromLocal8Bit(server.readLine()).trimmed();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("--serve")))
        return serve(args.contains(QStringLiteral("--wire-timing")));

    const qsizetype logAt = args.indexOf(QStringLiteral("--log"));
    const QString logMode = logAt > 0 && logAt + 1 < args.size() ? args.at(logAt + 1) : QString();
    std::unique_ptr<app::TraceLog> log;
    if (!logMode.isEmpty()) {
        log = std::make_unique<app::TraceLog>();
        log->setRecording(logMode == QLatin1String("on"));
    }
    std::printf("communication log: %s\n",
                log ? (log->recording() ? "recording" : "present, not recording") : "none");
    const int runs = argc > 1 && QByteArray(argv[1]).toInt() > 0 ? QByteArray(argv[1]).toInt() : 3;
    const double floor = protocolFloorSeconds(65, false);
    const double looseFloor = protocolFloorSeconds(65, true);
    std::printf("floor %.3f s (with the short commands' bytes counted again: %.3f s)\n", floor,
                looseFloor);
    std::printf("CPU is the client's, and in-process also the device's\n");

    double worst = 0;
    {
        sim::SimDevice device(0);
        device.setWireTiming(true);
        sim::SimTransport port(&device);
        worst = measure("in-process, wire-timed", port, runs, floor);
    }
    for (const bool wireTiming : {true, false}) {
        if (worst < 0)
            break;
        QProcess server;
        const QString path = startServer(server, wireTiming);
        if (path.isEmpty()) {
            std::fprintf(stderr, "could not start the simulated device\n");
            return 1;
        }
        SerialTransport port(path);
        const double w =
            measure(wireTiming ? "pty, wire-timed" : "pty, answering at once", port, runs, floor);
        worst = w < 0 ? w : qMax(worst, w);
        server.kill();
        server.waitForFinished(2000);
    }
    if (worst < 0)
        return 1;
    std::printf("worst ratio of all %.3f\n", worst);
    if (log)
        std::printf("lines kept: %d\n", int(log->lines().size()));
    return 0;
}
