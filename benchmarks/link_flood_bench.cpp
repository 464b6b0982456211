// What does a broken device that floods the line cost while the link waits out its time-out?
//
// A child process (this program started with --flood RATE) serves a pseudo-terminal and
// writes junk into it without pause: stray "*" markers and CR/LF fragments that never form a
// reply. RATE is bytes per second; "line" is what a 9600-baud line can carry (960 bytes per
// second, a byte a millisecond as a UART hands them over), "max" as fast as the
// pseudo-terminal takes them (a USB device that ignores the baud rate). The parent opens the
// slave as a serial port and waits for a "$R" reply through several time-outs, then prints
// its own CPU time as a share of the wall time (target < 20 %).
#include "devicelink.h"
#include "ptyline.h"
#include "scriptedprompter.h"
#include "serialtransport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <ctime>

using namespace vantelso;

namespace {

// Never a reply: no "*" is followed, five bytes on, by CR LF.
const QByteArray kJunk("*\x01\x02\r*\r\n\x00", 8);

int flood(const QString& rate) {
    sim::PtyLine line;
    QString why;
    if (!line.start(&why)) {
        std::fprintf(stderr, "flood: %s\n", qPrintable(why));
        return 1;
    }
    std::printf("%s\n", qPrintable(line.slavePath()));
    std::fflush(stdout);
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    if (rate == QLatin1String("max")) {
        // Keep a few kilobytes queued at all times.
        QObject::connect(&tick, &QTimer::timeout, &line, [&] { line.send(kJunk.repeated(512)); });
        tick.start(1);
    } else {
        int at = 0;
        QObject::connect(&tick, &QTimer::timeout, &line, [&] {
            line.send(kJunk.mid(at % kJunk.size(), 1));
            ++at;
        });
        tick.start(1);
    }
    return QCoreApplication::exec();
}

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 2 && args.at(1) == QLatin1String("--flood"))
        return flood(args.at(2));

    const int waits = argc > 1 && QByteArray(argv[1]).toInt() > 0 ? QByteArray(argv[1]).toInt() : 3;
    for (const QString& rate : {QStringLiteral("line"), QStringLiteral("max")}) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--flood"), rate});
        if (!child.waitForStarted(5000) || !child.waitForReadyRead(5000)) {
            std::fprintf(stderr, "could not start the flooding device\n");
            return 1;
        }
        const QString path = QString::fromLocal8Bit(child.readLine()).trimmed();
        ScriptedPrompter prompter;
        SerialTransport port(path);
        if (!port.open()) {
            std::fprintf(stderr, "%s\n", qPrintable(port.errorString()));
            return 1;
        }
        DeviceLink link(&prompter);
        link.setTransport(&port);
        const ReplyTemplate tmpl{QByteArray("*#####"), false};
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = processCpuSeconds();
        int timeouts = 0;
        for (int i = 0; i < waits; ++i)
            timeouts += link.WaitReply(QByteArray("$R\0\4\0\r", 6), tmpl, 1).status ==
                                Reply::Status::Timeout
                            ? 1
                            : 0;
        const double seconds = wall.nsecsElapsed() / 1e9;
        const double cpu = processCpuSeconds() - cpu0;
        std::printf("flood %-4s: %d waits, %d time-outs, %.2f s wall, %.3f s CPU = %.1f%% of a "
                    "core (target < 20%%)\n",
                    qPrintable(rate), waits, timeouts, seconds, cpu, 100.0 * cpu / seconds);
        port.close();
        child.kill();
        child.waitForFinished(2000);
    }
    return 0;
}
