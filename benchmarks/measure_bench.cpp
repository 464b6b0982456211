// Live measurement speed: the cost of converting one frame and updating the display model,
// the path from a frame's arrival to its display at the wire's maximum frame rate (16-byte
// frames back to back at 9600 baud, with the window when Qt Widgets is there), and the CPU
// use of "vantelso-cli --demo RSX7030 monitor".
//
//   measure_bench [frames-at-wire-rate] [monitor-frames]
#include "catalogue.h"
#include "csvlog.h"
#include "devicelink.h"
#include "frameconverter.h"
#include "measurement.h"
#include "scriptedprompter.h"
#include "simdevice.h"
#include "simtransport.h"
#include "texts.h"
#include "trendhistory.h"

#ifdef VANTELSO_BENCH_WINDOW
#include "appstate.h"
#include "frmmisura.h"
#include <QApplication>
#else
#include <QCoreApplication>
#endif
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

using namespace vantelso;

namespace {

double processCpuSeconds() {
    return double(std::clock()) / CLOCKS_PER_SEC;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

QByteArray sampleFrame(int k) {
    QByteArray F(256, '\0');
    F[1] = char(k & 0x3F);
    F[2] = 0x48; // 800 + a little
    F[3] = char(k & 0xFF);
    F[4] = char(136);
    F[5] = 0x70;
    F[7] = char(138);
    F[14] = char(k & 0x13);
    return F;
}

// Conversion, trend history and CSV text of one frame, in the core alone.
void coreCost() {
    Catalogue catalogue;
    DeviceIdentity id; // 12/0: 16-byte frames with a status byte
    measure::MeasureChannel mc;
    mc.settings.inputType = 8;
    mc.settings.outputType = 1;
    mc.settings.inputEnd = 1000;
    mc.settings.outputStart = 4;
    mc.settings.outputEnd = 20;
    mc.settings.outputRef800 = 4;
    mc.settings.outputRef3500 = 20;
    const measure::FrameConverter conv(catalogue, id, {mc, mc}, 1);
    measure::TrendHistory history;
    history.reset(conv);
    const int n = 200000;
    std::vector<QByteArray> frames;
    for (int k = 0; k < 64; ++k)
        frames.push_back(sampleFrame(k));
    QElapsedTimer t;
    t.start();
    qsizetype sink = 0;
    for (int k = 0; k < n; ++k) {
        const measure::FrameReading r = conv.convert(frames[std::size_t(k % 64)]);
        history.add(k / 60.0, r);
        sink += measure::CsvLog::Lines(QDateTime(), r).size();
    }
    const double us = double(t.nsecsElapsed()) / n / 1000.0;
    std::printf("core: convert + trend + CSV text, 2 channels: %.2f us per frame (%d frames, "
                "%lld chars)\n",
                us, n, static_cast<long long>(sink));
}

// A measurement on a simulated device streaming 16-byte frames back to back at 9600 baud.
void wireRate(int frames) {
    ScriptedPrompter prompter;
#ifdef VANTELSO_BENCH_WINDOW
    app::AppState state(&prompter);
    DeviceLink& link = state.link;
#else
    Texts texts;
    Catalogue catalogue;
    DeviceLink link(&prompter);
#endif
    sim::SimDevice device(0);
    device.setWireTiming(true);
    // One frame takes 16 x 10 bits at 9600 baud = 16.7 ms on the wire.
    device.setStreamInterval(17);
    sim::SimTransport transport(&device);
    transport.open();
    link.setTransport(&transport);

#ifdef VANTELSO_BENCH_WINDOW
    gui::FrmMisura window(state);
    window.resize(760, 620);
    window.show();
    measure::Measurement& m = window.measurement();
    const char* what = "window";
#else
    measure::Measurement m(link, catalogue, texts);
    const char* what = "core";
#endif

    QElapsedTimer clock;
    clock.start();
    qint64 arrivedNs = 0;
    QObject::connect(&device, &sim::SimDevice::transmit, &device, [&](const QByteArray& b) {
        if (b.startsWith('A'))
            arrivedNs = clock.nsecsElapsed();
    });
    std::vector<double> latencyMs;
    double cpuStart = 0;
    qint64 wallStart = 0;
    int shown = 0;
    // Connected after the window's own slot: the time includes the display update.
    QObject::connect(&m, &measure::Measurement::frameShown, &m, [&] {
        if (shown == 0) {
            cpuStart = processCpuSeconds();
            wallStart = clock.nsecsElapsed();
        } else {
            latencyMs.push_back(double(clock.nsecsElapsed() - arrivedNs) / 1e6);
        }
        if (++shown > frames)
            m.Stop();
    });
    measure::MeasureSetup setup;
    setup.LastChannel = 1;
    setup.record.channels[0].inputEnd = 1000;
    setup.record.channels[0].outputStart = 4;
    setup.record.channels[0].outputEnd = 20;
    setup.record.channels[1] = setup.record.channels[0];
    m.Start(setup);
    const double cpu = processCpuSeconds() - cpuStart;
    const double wall = double(clock.nsecsElapsed() - wallStart) / 1e9;
    std::printf("%s at wire rate: %d frames in %.2f s (%.1f frames/s); arrival to display "
                "median %.3f ms, 99%% %.3f ms, max %.3f ms; CPU %.1f %% of one core\n",
                what, frames, wall, frames / wall, percentile(latencyMs, 0.5),
                percentile(latencyMs, 0.99), percentile(latencyMs, 1.0), 100 * cpu / wall);
}

void monitorCpu(int frames) {
#ifdef Q_OS_UNIX
    const QString cli =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../src/cli/vantelso-cli");
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(cli, {QStringLiteral("--demo"), QStringLiteral("RSX7030"), QStringLiteral("monitor"),
                  QStringLiteral("--count"), QString::number(frames), QStringLiteral("--csv")});
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::printf("monitor: could not run %s\n", qPrintable(cli));
        return;
    }
    const double wall = double(t.nsecsElapsed()) / 1e9;
    rusage ru{};
    getrusage(RUSAGE_CHILDREN, &ru);
    const double cpu = double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
                       double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
    std::printf("monitor --demo RSX7030 --count %d --csv: %.2f s wall, %.3f s CPU (%.2f %% of "
                "one core, %.2f ms CPU per frame incl. start-up)\n",
                frames, wall, cpu, 100 * cpu / wall, 1000 * cpu / frames);
#else
    Q_UNUSED(frames);
#endif
}

} // namespace

int main(int argc, char** argv) {
#ifdef VANTELSO_BENCH_WINDOW
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    const int frames = argc > 1 ? std::max(10, atoi(argv[1])) : 600;
    const int monitorFrames = argc > 2 ? std::max(1, atoi(argv[2])) : 100;
    coreCost();
    wireRate(frames);
    monitorCpu(monitorFrames);
    return 0;
}
