// The whole simulated bench served on pseudo-terminals and loopback TCP, driven by the real
// drivers through real serial ports and sessions: every instrument answers, and the
// calibrator's output reaches the device and the device's output the multimeter.
#include "benchinstruments.h"
#include "calfunction.h"
#include "defaultimages.h"
#include "devicelink.h"
#include "functiongenerator.h"
#include "scriptedprompter.h"
#include "serialtransport.h"
#include "sessionfactory.h"
#include "simulatedbench.h"

#include <QTest>

using namespace vantelso;
using namespace vantelso::bench;
using namespace Qt::StringLiterals;

namespace {

// The served bench's pseudo-terminal of an instrument.
QString address(const sim::SimulatedBench& sim, const char* name) {
    for (const auto& e : sim.endpoints())
        if (e.name == QLatin1String(name) && !e.address.startsWith(u"TCPIP"_s))
            return e.address;
    return QString();
}

// The selectors' serial ports 4, 6, 3 and 5 on the served supply, calibrator, meter and switch.
void useServedPorts(BenchInstruments& bench, const sim::SimulatedBench& sim) {
    bench.setPortPath(4, address(sim, "alimentatore"));
    bench.setPortPath(6, address(sim, "calibratore"));
    bench.setPortPath(3, address(sim, "multimetro0"));
    bench.setPortPath(5, address(sim, "switch"));
}

} // namespace

class TestBenchPty : public QObject {
    Q_OBJECT
private Q_SLOTS:
#ifdef Q_OS_UNIX
    void wholeBench() {
        sim::SimulatedBench sim(5);
        QString why;
        QVERIFY2(sim.serve(&why), qPrintable(why));
        ResourceAliases aliases;
        for (const QString& line : sim.aliasLines())
            aliases.add(line.section(u'=', 0, 0).trimmed(), line.section(u'=', 1).trimmed());
        SessionFactory sessions(aliases);
        ScriptedPrompter prompter;
        BenchInstruments bench(&prompter, &sessions);
        bench.context.timings = BenchTimings().scaled(0);
        useServedPorts(bench, sim);
        QCOMPARE(bench.openPorts(), QStringList());
        QVERIFY(bench.supply.port()->portName().startsWith(u"/dev/"_s));

        // Supply at 2400 baud.
        QCOMPARE(bench.supply.SetSupply(true, u"24.00"_s), BenchStatus::Ok);
        const SupplyCurrent i = bench.supply.ReadSupplyCurrent();
        QCOMPARE(i.kind(), SupplyCurrent::Kind::Milliamps);
        QCOMPARE(i.value(), 23.0); // the default load, 22.8 mA at 24 V, to the supply's 1 mA
        QVERIFY(sim.supply().outputOn());

        // Calibrator to channel A, 5 V.
        QCOMPARE(bench.switches.SetSwitch(u"101A102A103C"_s), BenchStatus::Ok);
        const CalFunction* volts = FindCalFunction(u"V");
        QCOMPARE(bench.calibrator.Select(*volts), BenchStatus::Ok);
        QCOMPARE(bench.calibrator.SetCalibrator(5 * volts->scale), BenchStatus::Ok);
        QCOMPARE(sim.device().analogInput(0), std::optional<double>(5.0));
        QCOMPARE(sim.device().analogInput(1), std::nullopt);
        QCOMPARE(bench.calibrator.ReadAmbientTemp().value, 23.5);

        // The device drives DAC count 3500 on output A; the meter reads the top of its range.
        SerialTransport devicePort(address(sim, "dispositivo"));
        QVERIFY(devicePort.open());
        DeviceLink link(&prompter);
        link.setTransport(&devicePort);
        link.EnterProgramming();
        link.SendValueUpperI(3500);
        QTRY_COMPARE(sim.device().directValueUpper(), 3500);
        const bool current = sim.device().outputIsCurrent(0);
        QCOMPARE(bench.meters.SetMultimeter(0, u"REM"_s, current ? u"CURR"_s : u"VOLT"_s),
                 BenchStatus::Ok);
        const Measurement top = bench.meters.ReadMultimeter(0);
        QVERIFY(top.ok());
        QCOMPARE(top.value,
                 current ? sim::OutputAtRawHigh(true) : sim::OutputAtRawHigh(false) * 1000);
        link.EndProgramming();
        QCOMPARE(bench.meters.MultimeterBeep(), BenchStatus::Ok);
        QTRY_COMPARE(sim.meter(0).beeps(), 1);

        // The meter's USB session and the function generator over loopback TCP.
        bench.meters.setSelector(u"Usb2"_s);
        QCOMPARE(bench.meters.SetMultimeter(0, u"REM"_s, u"VOLT"_s), BenchStatus::Ok);
        QVERIFY(bench.meters.ReadMultimeter(0).ok());
        QVERIFY(bench.meters.session()->resource().startsWith(u"TCPIP::127.0.0.1"_s));
        FunctionGenerator generator(&bench.context, &sessions);
        QCOMPARE(generator.SetUp(FunctionGenerator::Waveform::Tacho, u"60"_s), BenchStatus::Ok);
        QTRY_VERIFY(sim.generator().outputOn());
        QCOMPARE(sim.generator().shape(), u"SIN"_s);
        QCOMPARE(sim.generator().frequency(), 60.0);
        QCOMPARE(prompter.questions().size(), 0);
    }

    // A silent instrument on a real port: a bounded failure, no hang.
    void silentOverPty() {
        sim::SimulatedBench sim(5);
        QString why;
        QVERIFY2(sim.serve(&why), qPrintable(why));
        ScriptedPrompter prompter;
        SessionFactory sessions;
        BenchInstruments bench(&prompter, &sessions);
        BenchTimings t = BenchTimings().scaled(0);
        t.calibratorEchoTimeout = t.meterReplyTimeout = t.supplyReplyTimeout = 0.3;
        bench.context.timings = t;
        useServedPorts(bench, sim);
        QCOMPARE(bench.openPorts(), QStringList());
        for (const QString& name : sim::SimulatedBench::instrumentNames())
            sim.instrument(name)->setSilent(true);
        QCOMPARE(bench.calibrator.SetCalibrator(258), BenchStatus::Timeout);
        QCOMPARE(bench.meters.ReadMultimeter(0).status, BenchStatus::Timeout);
        QVERIFY(bench.supply.ReadSupplyCurrent().timedOut());
    }
#endif
};

QTEST_GUILESS_MAIN(TestBenchPty)
#include "tst_benchpty.moc"
