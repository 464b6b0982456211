// Instrument sessions and real ports: resource names, aliases from the working folder and the
// environment, and the socket, serial and USBTMC backends against simulated instruments; then
// the whole simulated bench served on pseudo-terminals and loopback TCP, driven by the real
// drivers: every instrument answers, the calibrator's output reaches the device and the
// device's output the multimeter.
#include "benchinstruments.h"
#include "calfunction.h"
#include "defaultimages.h"
#include "devicelink.h"
#include "functiongenerator.h"
#include "ptyline.h"
#include "scriptedprompter.h"
#include "serialtransport.h"
#include "sessionfactory.h"
#include "simmultimeter.h"
#include "simulatedbench.h"
#include "tcpline.h"

#include <QTemporaryDir>
#include <QTest>

using namespace vantelso;
using namespace vantelso::bench;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(vantelso::bench::ResourceSpec::Kind)

namespace {

#ifdef Q_OS_UNIX
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
#endif

} // namespace

class TestSessions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Instrument sessions: resource names, aliases from the working folder and the environment,
    // and the socket, serial and USBTMC backends against simulated instruments.
    void resources_data() {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<ResourceSpec::Kind>("kind");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("port");
        using K = ResourceSpec::Kind;
        QTest::newRow("usbtmc") << "/dev/usbtmc0" << true << K::UsbTmc << "/dev/usbtmc0" << 5025;
        QTest::newRow("socket") << "TCPIP::192.168.1.20::5025::SOCKET" << true << K::Socket
                                << "192.168.1.20" << 5025;
        QTest::newRow("socket board, port")
            << "tcpip0::meter.lan::5555::socket" << true << K::Socket << "meter.lan" << 5555;
        QTest::newRow("socket default port")
            << "TCPIP::10.0.0.2::SOCKET" << true << K::Socket << "10.0.0.2" << 5025;
        QTest::newRow("serial path")
            << "ASRL/dev/ttyUSB0::INSTR" << true << K::Serial << "/dev/ttyUSB0" << 5025;
        QTest::newRow("serial number") << "ASRL3::INSTR" << true << K::Serial << "COM3" << 5025;
        QTest::newRow("simulated")
            << "SIM::generatore::INSTR" << true << K::Simulated << "generatore" << 5025;
        QTest::newRow("port 0") << "TCPIP::h::0::SOCKET" << false << K::Socket << "" << 0;
        QTest::newRow("VISA USB") << "USB0::0x1AB1::0x0588::INSTR" << false << K::Socket << "" << 0;
    }
    void resources() {
        QFETCH(QString, resource);
        const std::optional<ResourceSpec> spec = ParseResource(resource);
        QFETCH(bool, valid);
        QCOMPARE(bool(spec), valid);
        if (!spec)
            return;
        QFETCH(ResourceSpec::Kind, kind);
        QCOMPARE(spec->kind, kind);
        QFETCH(QString, target);
        QCOMPARE(spec->target, target);
        QFETCH(int, port);
        QCOMPARE(int(spec->port), port);
    }

    void aliases() {
        QTemporaryDir dir;
        QFile file(dir.filePath(ResourceAliases::fileName()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("# bench 2\n"
                   "UsbDevice1 = TCPIP::10.0.0.5::5025::SOCKET  # generator\n"
                   "UsbDevice2=ASRL/dev/ttyUSB1::INSTR\n"
                   "\n"
                   "broken line\n");
        file.close();
        QProcessEnvironment env;
        env.insert(ResourceAliases::environmentVariable(),
                   u"usbdevice2=/dev/usbtmc1;UsbDevice4 = SIM::switch::INSTR"_s);
        const ResourceAliases a = ResourceAliases::load(dir.path(), env);
        QCOMPARE(a.resolve(u"UsbDevice1"_s), u"TCPIP::10.0.0.5::5025::SOCKET"_s);
        QCOMPARE(a.resolve(u"USBDEVICE2"_s), u"/dev/usbtmc1"_s);
        QCOMPARE(a.resolve(u"UsbDevice4"_s), u"SIM::switch::INSTR"_s);
        QCOMPARE(a.resolve(u"ASRL4::INSTR"_s), u"ASRL4::INSTR"_s);
        QVERIFY(!a.resolve(u"UsbDevice3"_s));
        QCOMPARE(a.problems().size(), 1);
        QVERIFY(a.problems().first().endsWith(u":5: \"broken line\""_s));

        // No file at all is no error; an unknown alias says where to define it.
        SessionFactory f(ResourceAliases::load(dir.filePath(u"none"_s), {}));
        QString why;
        QVERIFY(!f.open(u"UsbDevice1"_s, &why));
        QVERIFY(why.contains(u"\"UsbDevice1\""_s));
        QVERIFY(why.contains(ResourceAliases::fileName()));
        QVERIFY(why.contains(ResourceAliases::environmentVariable()));
        f.setLanguage(1);
        QVERIFY(!f.open(u"GPIB0::7::INSTR"_s, &why));
        QVERIFY(why.startsWith(u"Invalid resource \"GPIB0::7::INSTR\""_s));
        QVERIFY(!f.open(u"SIM::meter::INSTR"_s, &why));
        QVERIFY(why.contains(u"No simulated instrument \"meter\""_s));
    }

    // The raw socket: a reading over loopback TCP, a clear, and a silent instrument.
    void socketSession() {
        sim::SimMultimeter meter(u"m"_s);
        meter.setProbe([](sim::SimMultimeter::Function) { return -0.5; });
        sim::TcpLine line;
        QString why;
        QVERIFY2(line.start(0, &why), qPrintable(why));
        connect(&line, &sim::TcpLine::received, &meter, &sim::SimInstrument::receive);
        connect(&meter, &sim::SimInstrument::transmit, &line, &sim::TcpLine::send);

        SessionFactory f;
        f.setTimeoutMs(300);
        std::unique_ptr<InstrumentSession> s = f.open(line.resourceName(), &why);
        QVERIFY2(s, qPrintable(why));
        QVERIFY(s->writeLine("READ?"));
        QCOMPARE(s->readLine(), QByteArray("-5.00000000E-01"));
        QVERIFY(s->writeLine("READ?"));
        QTRY_COMPARE(meter.lines().size(), 2);
        QTest::qWait(20);
        QVERIFY(s->clear());
        meter.setSilent(true);
        QVERIFY(s->writeLine("READ?"));
        QVERIFY(!s->readLine());
        QVERIFY(s->errorString().contains(u"time-out"_s));

        // Nobody listening: a message naming the instrument, at once.
        const QString resource = line.resourceName();
        line.stop();
        QVERIFY(!f.open(resource, &why));
        QVERIFY(why.contains(resource));
    }

#ifdef Q_OS_UNIX
    void serialSession() {
        sim::SimMultimeter meter(u"m"_s);
        meter.setProbe([](sim::SimMultimeter::Function) { return 0.25; });
        sim::PtyLine line;
        QString why;
        QVERIFY2(line.start(&why), qPrintable(why));
        connect(&line, &sim::PtyLine::received, &meter, &sim::SimInstrument::receive);
        connect(&meter, &sim::SimInstrument::transmit, &line, &sim::PtyLine::send);
        ResourceAliases a;
        a.add(u"UsbDevice1"_s, u"ASRL%1::INSTR"_s.arg(line.slavePath()));
        SessionFactory f(a);
        f.setTimeoutMs(1000);
        std::unique_ptr<InstrumentSession> s = f.open(u"UsbDevice1"_s, &why);
        QVERIFY2(s, qPrintable(why));
        QVERIFY(s->writeLine(":CONF:CURR:DC"));
        QVERIFY(s->writeLine(":READ?"));
        QCOMPARE(s->readLine(), QByteArray("+2.50000000E-01"));
        QCOMPARE(meter.function(), sim::SimMultimeter::Function::Amperes);
    }
#endif

    void usbtmcNodeMissing() {
        SessionFactory f;
        QString why;
        QVERIFY(!f.open(u"/dev/usbtmc-vantelso-none"_s, &why));
        QVERIFY(why.contains(u"/dev/usbtmc-vantelso-none"_s));
    }

    // The whole simulated bench served on pseudo-terminals and loopback TCP, driven by the real
    // drivers through real serial ports and sessions: every instrument answers, and the
    // calibrator's output reaches the device and the device's output the multimeter.
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

QTEST_GUILESS_MAIN(TestSessions)
#include "tst_sessions.moc"
