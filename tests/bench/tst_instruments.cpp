// The bench instruments. First the drivers against the simulated instruments: bytes and lines
// on the wire, readings decoded, manual mode through the prompter, silent and short-spoken
// instruments. Then the sessions and real ports: resource names, aliases from the working
// folder and the environment, the socket, serial and USBTMC backends, and the whole simulated
// bench served on pseudo-terminals and loopback TCP, driven by the real drivers.
// Last, with the command-line tool built: its "bench sim" prints every instrument's port and each
// one answers there, and its "bench calibrate" runs a whole calibration with its lines and exit
// code.
#include "benchrig.h"
#include "calfunction.h"
#ifdef VANTELSO_CLI
#include "clirun.h"
#endif
#include "defaultimages.h"
#include "devicelink.h"
#include "failingrow.h"
#include "ptyline.h"
#include "serialtransport.h"
#include "simmultimeter.h"
#include "tcpline.h"
#include "testfiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace vantelso;
using namespace vantelso::bench;
using namespace Qt::StringLiterals;

namespace {

// A reading's status and value, to compare in one go.
std::pair<BenchStatus, double> reading(const Measurement& m) {
    return {m.status, m.value};
}

#ifdef Q_OS_UNIX
// The selectors' serial ports 4, 6, 3 and 5 on the served supply, calibrator, meter and switch
// (their ports by instrument name), with no pauses.
void useServedPorts(BenchInstruments& bench, const QHash<QString, QString>& address) {
    bench.context.timings = BenchTimings().scaled(0);
    for (const auto& [port, name] : {std::pair{4, "alimentatore"}, std::pair{6, "calibratore"},
                                     std::pair{3, "multimetro0"}, std::pair{5, "switch"}})
        bench.setPortPath(port, address.value(QLatin1String(name)));
}
#endif

} // namespace

class TestInstruments : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A selector's text: the mode of a source instrument, of the meter, and the port number.
    void selectors() {
        using M = InstrumentMode;
        const std::tuple<QString, M, M, int> rows[] = {{u"Manuale"_s, M::Manual, M::Manual, 0},
                                                       {u"Com3"_s, M::Serial, M::Serial, 3},
                                                       {u"Usb2"_s, M::Serial, M::Usb, 2},
                                                       {u"Gpib1"_s, M::Serial, M::None, 1}};
        for (const auto& [t, source, meter, port] : rows)
            QCOMPARE(
                std::tuple(t, SourceSelectorMode(t), MeterSelectorMode(t), SelectorPortNumber(t)),
                std::tuple(t, source, meter, port));
        QCOMPARE(SelectorEntries().size(), 13);
    }

    // The operator's port choice takes effect: a selector changed after its port was opened
    // lets go of the old port, and the next use reaches the port now chosen, by number, by
    // name or by a typed path. A port that cannot be opened is named with its instrument.
    void changedSelectorReachesNewPort_data() {
        QTest::addColumn<Instrument>("w");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("supply by number") << Instrument::Supply << u"alimentatore"_s << u"Com5"_s;
        QTest::newRow("supply by name") << Instrument::Supply << u"alimentatore"_s << u"switch"_s;
        QTest::newRow("meter by number") << Instrument::Meter << u"multimetro0"_s << u"Com5"_s;
        QTest::newRow("calibrator by name")
            << Instrument::Calibrator << u"calibratore"_s << u"switch"_s;
    }
    void changedSelectorReachesNewPort() {
        QFETCH(Instrument, w);
        QFETCH(QString, first);
        QFETCH(QString, second);
        BenchRig rig;
        BenchInstruments bench(&rig.prompter, &rig.sessions);
        bench.context.timings = rig.instruments.context.timings;
        for (const QString& name :
             {u"alimentatore"_s, u"calibratore"_s, u"multimetro0"_s, u"switch"_s})
            bench.addNamedPort(name, [&rig, name] { return rig.bench.connectTo(name); });
        bench.setPortPath(5, u"switch"_s);
        QVERIFY(bench.selectorEntries().contains(u"multimetro0"_s));
        QCOMPARE(bench.selectorEntries().last(), u"Manuale"_s);
        for (Instrument other :
             {Instrument::Supply, Instrument::Calibrator, Instrument::Meter, Instrument::Switch})
            bench.setSelector(other, u"Manuale"_s);
        auto send = [&] {
            return w == Instrument::Supply ? bench.supply.SetSupply(true, u"24.00"_s)
                   : w == Instrument::Calibrator
                       ? bench.calibrator.SetCalibrator(0)
                       : bench.meters.SetMultimeter(0, u"LOC"_s, u"VOLT"_s);
        };
        bench.setSelector(w, first);
        QCOMPARE(bench.openPorts(), QStringList());
        send();
        sim::SimInstrument* old = rig.bench.instrument(first);
        QVERIFY(!old->heard().isEmpty());
        old->clearHeard();
        bench.setSelector(w, second);
        QCOMPARE(bench.selector(w), second);
        // Not talked to any more, also before the new port is opened.
        send();
        QCOMPARE(bench.openPorts(), QStringList());
        send();
        QVERIFY(old->heard().isEmpty() && !rig.bench.switches().heard().isEmpty());
        // Closing (the program ends) lets go of every port.
        bench.closePorts();
        QCOMPARE(send(), BenchStatus::PortError);
    }

    void portErrorsNameTheInstrument() {
        BenchRig rig;
        BenchInstruments bench(&rig.prompter, &rig.sessions);
        bench.setPortTexts([] {
            BenchInstruments::PortTexts t;
            t.names[std::size_t(Instrument::Meter)] = u"Multimeter"_s;
            t.link.portMissing = u"Port %1 is missing"_s;
            return t;
        });
        for (Instrument i : {Instrument::Supply, Instrument::Calibrator, Instrument::Switch})
            bench.setSelector(i, u"Manuale"_s);
        bench.setSelector(Instrument::Meter, u"/dev/vantelso-no-such-tty"_s);
        QCOMPARE(bench.meters.mode(), InstrumentMode::Serial); // a typed path is a port
        QCOMPARE(bench.openPorts(),
                 QStringList{u"Multimeter: Port /dev/vantelso-no-such-tty is missing"_s});
    }

    // Every calibrator frame byte goes out alone and is echoed; the value arrives at the
    // calibrator as the signed count that was meant.
    // (-1; 258; 50 mV as 50000 thousandths; 258.9, its fraction dropped.)
    void calibratorFrames() {
        for (const auto& [value, frame] :
             {std::pair{-1.0, QByteArray::fromHex("0181FFFFFFFF7C")},
              std::pair{258.0, QByteArray::fromHex("01810000010203")},
              std::pair{50000.0, QByteArray::fromHex("01810000C35013")},
              std::pair{258.9, QByteArray::fromHex("01810000010203")}}) {
            const FailingRow row(QString::number(value));
            BenchRig rig;
            QCOMPARE(rig.instruments.calibrator.SetCalibrator(value), BenchStatus::Ok);
            QCOMPARE(std::pair(rig.bench.calibrator().rawValue(), rig.bench.calibrator().heard()),
                     std::pair(qint32(std::floor(value)), frame));
        }
    }

    void calibratorFunctionAndSensor() {
        BenchRig rig;
        Calibrator& cal = rig.instruments.calibrator;
        QVERIFY(!CalibratorValueBytes(4294967296.0));
        QCOMPARE(cal.SetCalibrator(1e10), BenchStatus::BadValue);
        QCOMPARE(rig.bench.calibrator().heard(), QByteArray());

        const CalFunction* v = FindCalFunction(u"V");
        QVERIFY(v && v->scale == 10000);
        QCOMPARE(FindCalFunction(u"Tc K")->data, (CalData{8, 1, 0, 0x40}));
        QVERIFY(!FindCalFunction(u"Tc X"));
        QCOMPARE(cal.Select(*v), BenchStatus::Ok);
        QCOMPARE(cal.SetCalibrator(5 * v->scale), BenchStatus::Ok);
        QCOMPARE(std::pair(rig.bench.calibrator().quantity(), rig.bench.calibrator().output()),
                 std::pair(sim::SimCalibrator::Quantity::Volts, 5.0));

        // The sensor read: six frames, the reply bytes of the 0x01 frame are the reading.
        rig.bench.calibrator().setAmbient(21.37);
        rig.bench.calibrator().clearHeard();
        QCOMPARE(reading(cal.ReadAmbientTemp()), std::pair(BenchStatus::Ok, double(21.37f)));
        // The first frame, and the last two of the six (bytes 28 to 42); the reading's frame
        // ends with its checksum, (8 + 1 + 0xC0) & 127. Frames apart by blanks.
        const QByteArray heard = rig.bench.calibrator().heard();
        QCOMPARE(heard.left(7) + heard.mid(28),
                 QByteArray::fromHex("01820100000001 0101080100C049 01820000000000"));
        QCOMPARE(rig.bench.calibrator().quantity(), sim::SimCalibrator::Quantity::Volts);

        // A late byte left on the line does not shift the answers of the next frame; a silent
        // calibrator is given up on at the first byte left unanswered.
        Q_EMIT rig.bench.calibrator().transmit(QByteArray(1, char(0x55)));
        QCOMPARE(reading(cal.ReadAmbientTemp()), std::pair(BenchStatus::Ok, double(21.37f)));
        rig.bench.calibrator().clearHeard();
        rig.bench.calibrator().setSilent(true);
        QCOMPARE(cal.SetCalibrator(1), BenchStatus::Timeout);
        QCOMPARE(rig.bench.calibrator().heard(), QByteArray("\x01"));
        QCOMPARE(cal.ReadAmbientTemp().status, BenchStatus::Timeout);
    }

    void meterLines() {
        for (const auto& [remote, function, wire] :
             {std::tuple{u"REM"_s, u"VOLT"_s, QByteArray(":SYST:REM\r\n:CONF:VOLT:DC\r\n")},
              std::tuple{u"REM"_s, u"CURR"_s, QByteArray(":SYST:REM\r\n:CONF:CURR:DC\r\n")},
              std::tuple{u"LOC"_s, u"CURR"_s, QByteArray(":SYST:LOC\r\n")}}) {
            const FailingRow row(remote + u' ' + function);
            BenchRig rig;
            QCOMPARE(rig.instruments.meters.SetMultimeter(0, remote, function), BenchStatus::Ok);
            QCOMPARE(rig.bench.meter(0).heard(), wire);
            QCOMPARE(rig.instruments.meters.MultimeterBeep(), BenchStatus::Ok);
            QCOMPARE(rig.bench.meter(0).beeps(), 1);
        }
    }

    // Meter replies in milli-units of the function; NaN: refused.
    void replyFormats() {
        for (const auto& [reply, milli] :
             {std::pair{"+1.23456789E+00\r\n", 1234.567}, std::pair{"-1.50000000E+00\r\n", -1500.0},
              std::pair{"+1.23456789E-03\r\n", 1.234},
              std::pair{"-1.23456789E-03\r\n", -1.235}, // negative rounds down
              std::pair{"+1.00000000E-03\r\n", 1.0}, std::pair{"+2.00000000E-02\r\n", 20.0},
              std::pair{"+9.90000000E+37\r\n", qQNaN()}, // overload
              // Beyond 10^9 milli-units with decimals and no exponent, as a fuzzer found.
              std::pair{"8188987.8188987", qQNaN()}, std::pair{"1000000.000", 1e9}, // the largest
              std::pair{"ERR\r\n", qQNaN()}}) {
            const std::optional<double> got = ParseMeterReading(QByteArray(reply));
            QVERIFY2(bool(got) == !qIsNaN(milli) && (!got || qFuzzyCompare(*got, milli)), reply);
        }
        // The supply's replies in mA.
        for (const auto& [reply, mA] : {std::pair{QByteArray("A0.026\r\n"), 26.0},
                                        {QByteArray("AXYZ\r\n"), 0.0},
                                        {QByteArray("19E305"), 0.0}}) // found by a fuzzer
            QCOMPARE(std::pair(reply, ParseSupplyReply(reply)), std::pair(reply, mA));
    }

    // "Usb2" sends through the session on UsbDevice2 and nothing through the serial port.
    void meterReadings() {
        BenchRig rig;
        Multimeter& m = rig.instruments.meters;
        sim::SimMultimeter serialMeter(u"seriale"_s);
        sim::SimInstrumentTransport serialPort(&serialMeter);
        serialPort.open();
        m.setPort(0, &serialPort);
        m.setSelector(u"Usb2"_s);
        QCOMPARE(m.SetMultimeter(0, u"REM"_s, u"VOLT"_s), BenchStatus::Ok);
        QCOMPARE(m.SetMultimeter(0, u"REM"_s, u"CURR"_s), BenchStatus::Ok);
        QCOMPARE(rig.bench.meter(0).heard(),
                 QByteArray("CONF:VOLT:DC 100,0.001\nSENS:VOLT:DC:NPLC 1\n"
                            "CONF:CURR:DC .1,0.001\nSENS:CURR:DC:NPLC 1\n"));
        rig.bench.meter(0).setProbe([](sim::SimMultimeter::Function) { return 0.0123456789; });
        const Measurement r = m.ReadMultimeter(0);
        QVERIFY(r.ok());
        QCOMPARE(r.value, 12.3456789);
        QCOMPARE(m.MultimeterBeep(), BenchStatus::Ok);
        QCOMPARE(rig.bench.meter(0).beeps(), 1);
        QCOMPARE(serialMeter.heard(), QByteArray());

        // An alias nobody defined: a clear message, no traffic.
        m.setSelector(u"Usb3"_s);
        QCOMPARE(m.SetMultimeter(0, u"REM"_s, u"VOLT"_s), BenchStatus::PortError);
        QVERIFY(rig.prompter.texts().last().contains(u"\"UsbDevice3\""_s));
        QCOMPARE(rig.prompter.questions().last().icon, Prompter::Icon::Critical);

        // A reading through the serial driver: the meter measures what the device drives on
        // its output; an instrument that never answers, or stops short, is a time-out.
        m.setPort(0, &rig.meterPort);
        m.setSelector(u"Com3"_s);
        rig.bench.meter(0).setProbe([](sim::SimMultimeter::Function) { return 7.25; });
        QCOMPARE(reading(m.ReadMultimeter(0)), std::pair(BenchStatus::Ok, 7250.0));
        QCOMPARE(rig.bench.meter(0).lines().last(), QByteArray(":READ?"));

        rig.bench.meter(0).setAnswerLimit(4);
        QCOMPARE(m.ReadMultimeter(0).status, BenchStatus::Timeout);
        rig.bench.meter(0).setAnswerLimit(-1);
        rig.bench.meter(0).setSilent(true);
        QCOMPARE(m.ReadMultimeter(0).status, BenchStatus::Timeout);
        m.setSelector(u"Gpib1"_s); // names nothing: the driver does nothing
        QCOMPARE(reading(m.ReadMultimeter(0)), std::pair(BenchStatus::Ok, 0.0));
    }

    void supplyAndSwitches() {
        BenchRig rig;
        PowerSupply& s = rig.instruments.supply;
        QCOMPARE(s.SetSupply(true, u"24.00"_s), BenchStatus::Ok);
        QCOMPARE(rig.bench.supply().heard(), QByteArray("SV 24.00\rKOE\r"));
        rig.bench.supply().setLoad([](double v) { return v == 24 ? 26.0 : 0.0; });
        const SupplyCurrent i = s.ReadSupplyCurrent();
        QCOMPARE(std::tuple(i.kind(), i.value(), i.text()),
                 std::tuple(SupplyCurrent::Kind::Milliamps, 26.0, u"26"_s));
        QCOMPARE(s.SetSupply(false, u"24.00"_s), BenchStatus::Ok);
        QCOMPARE(s.ReadSupplyCurrent().value(), 0.0);

        // Seven characters of the eight: a time-out, not a number.
        rig.bench.supply().setAnswerLimit(7);
        QVERIFY(s.ReadSupplyCurrent().timedOut());
        rig.bench.supply().setAnswerLimit(-1);
        rig.bench.supply().setSilent(true);
        QVERIFY(s.ReadSupplyCurrent().timedOut());
        s.setPort(nullptr);
        QVERIFY(s.ReadSupplyCurrent().timedOut());
        QCOMPARE(s.SetSupply(true, u"24.00"_s), BenchStatus::PortError);

        // The switch unit: one line per relay.
        QCOMPARE(rig.instruments.switches.SetSwitch(u"101A102A103C104C"_s), BenchStatus::Ok);
        QCOMPARE(rig.bench.switches().heard(),
                 QByteArray("rout:open (@101)\r\nrout:open (@102)\r\n"
                            "rout:close (@103)\r\nrout:close (@104)\r\n"));
        QCOMPARE(rig.bench.switches().closedRelays(), (QSet<int>{103, 104}));
        QCOMPARE(rig.instruments.switches.SetSwitch(u"103A"_s), BenchStatus::Ok);
        QCOMPARE(rig.bench.switches().closedRelays(), (QSet<int>{104}));
        QCOMPARE(SwitchLines(u"AC1C"_s), QByteArrayList{"rout:close (@AC1)\r\n"});
    }

    // Manual mode: what the operator is told and asked, and what the answers give.
    void manualMode() {
        BenchRig rig;
        BenchInstruments& in = rig.instruments;
        for (Instrument i :
             {Instrument::Supply, Instrument::Calibrator, Instrument::Meter, Instrument::Switch})
            in.setSelector(i, u"Manuale"_s);
        ScriptedPrompter& p = rig.prompter;
        // The supply current, kept as typed; the meter: not a number (asked again), 1.5 V, then
        // Cancel; the ambient: not a number (asked again), then 23.4 with blanks around.
        for (const QString& typed :
             {u"12x"_s, u"abc"_s, u"1.5"_s, QString(), u"23,4"_s, u" 23.4 "_s})
            p.pushInput(typed);

        in.supply.SetSupply(true, u"24.00"_s);
        in.supply.SetSupply(false, u"18.00"_s);
        const SupplyCurrent i = in.supply.ReadSupplyCurrent();
        QCOMPARE(std::tuple(i.kind(), i.value(), i.text()),
                 std::tuple(SupplyCurrent::Kind::OperatorText, 12.0, u"12x"_s));
        in.meters.SetMultimeter(0, u"REM"_s, u"VOLT"_s);
        QCOMPARE(reading(in.meters.ReadMultimeter(0)), std::pair(BenchStatus::Ok, 1500.0));
        QCOMPARE(in.meters.ReadMultimeter(0).status, BenchStatus::Cancelled);
        in.switches.SetSwitch(u"101A"_s);
        in.calibrator.SetCalibrator(-1);
        CalData d{1, 2, 3, 4};
        QCOMPARE(in.calibrator.CalibratorFrame(1, 0x80, d), BenchStatus::Ok);
        QCOMPARE(d, (CalData{1, 2, 3, 4}));
        QCOMPARE(in.calibrator.ReadAmbientTemp().value, double(23.4f));
        QCOMPARE(in.meters.MultimeterBeep(), BenchStatus::Ok);

        QCOMPARE(p.texts(),
                 (QStringList{"Alim = True Volt = 24.00", "Alim = False Volt = 18.00",
                              "Lettura mA Alim", "Mult = VOLT", "Lettura Mult", "Lettura Mult",
                              "Lettura Mult", "Switch = 101A", "Cal = -1", "Temperatura Ambiente",
                              "Temperatura Ambiente"}));
        // Nothing went to any instrument.
        for (const QString& name : sim::SimulatedBench::instrumentNames())
            QCOMPARE(std::pair(name, rig.bench.instrument(name)->heard()),
                     std::pair(name, QByteArray()));
    }

    // The contact-bounce pattern as the generator receives it: closed, seven bounces of 80
    // points, open for 1200 points, six bounces, closed to the end of the 4000; uploaded as
    // the user waveform at 5 kHz. The lines of the other waveforms and buttons are the
    // production test's.
    void functionGenerator() {
        BenchRig rig;
        QCOMPARE(rig.generator.SetUp(FunctionGenerator::Waveform::Bounce, u"1000"_s),
                 BenchStatus::Ok);
        sim::SimFunctionGenerator& sim = rig.bench.generator();
        QByteArrayList lines = sim.lines();
        const QByteArray data = lines.takeAt(2); // the points; the other lines below
        QVERIFY(data.startsWith("DATA VOLATILE, 1,"));
        QList<int> runs;
        QByteArray level;
        for (const QByteArray& p : data.mid(15).split(',')) {
            if (p != level)
                runs << 0;
            ++runs.last();
            level = p;
        }
        QCOMPARE(runs, QList<int>(7, 80) + QList<int>{1200} + QList<int>(6, 80) + QList<int>{1760});
        QCOMPARE(lines,
                 (QByteArrayList{"*RST", "FREQuency 1000", "DATA:COPY PULSE, VOLATILE",
                                 "FUNCtion:USER PULSE", "FUNCtion:SHAPe USER", "OUTPut:LOAD 50",
                                 "FREQuency 5000;VOLTage 5", "OUTPut ON"}));
        // Points, shape, frequency, output on, errors.
        QCOMPARE(std::tuple(sim.userPoints(), sim.shape(), sim.frequency(), sim.outputOn(),
                            sim.errors()),
                 std::tuple(4000, u"USER"_s, 5000.0, true, 0));
    }

    // A resource name: valid or not, its kind, host or port name, and TCP port. The socket
    // port defaults to 5025; port 0 and the VISA USB form are refused.
    void resources() {
        using K = ResourceSpec::Kind;
        const std::tuple<QString, bool, K, QString, int> rows[] = {
            {u"/dev/usbtmc0"_s, true, K::UsbTmc, u"/dev/usbtmc0"_s, 5025},
            {u"TCPIP::192.168.1.20::5025::SOCKET"_s, true, K::Socket, u"192.168.1.20"_s, 5025},
            {u"tcpip0::meter.lan::5555::socket"_s, true, K::Socket, u"meter.lan"_s, 5555},
            {u"TCPIP::10.0.0.2::SOCKET"_s, true, K::Socket, u"10.0.0.2"_s, 5025},
            {u"ASRL/dev/ttyUSB0::INSTR"_s, true, K::Serial, u"/dev/ttyUSB0"_s, 5025},
            {u"ASRL3::INSTR"_s, true, K::Serial, u"COM3"_s, 5025},
            {u"SIM::generatore::INSTR"_s, true, K::Simulated, u"generatore"_s, 5025},
            {u"TCPIP::h::0::SOCKET"_s, false, K::Socket, QString(), 0},
            {u"USB0::0x1AB1::0x0588::INSTR"_s, false, K::Socket, QString(), 0}};
        for (const auto& [name, valid, kind, target, port] : rows) {
            const std::optional<ResourceSpec> s = ParseResource(name);
            QCOMPARE(s ? std::tuple(name, true, s->kind, s->target, int(s->port))
                       : std::tuple(name, false, K::Socket, QString(), 0),
                     std::tuple(name, valid, kind, target, port));
        }
    }

    void aliases() {
        QTemporaryDir dir;
        QVERIFY(WriteTestFile(dir.filePath(ResourceAliases::fileName()),
                              "# bench 2\n"
                              "UsbDevice1 = TCPIP::10.0.0.5::5025::SOCKET  # generator\n"
                              "UsbDevice2=ASRL/dev/ttyUSB1::INSTR\n"
                              "\n"
                              "broken line\n"));
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
        QVERIFY(!f.open(u"UsbDevice1"_s, &why) && why.contains(u"\"UsbDevice1\""_s));
        QVERIFY(why.contains(ResourceAliases::fileName()));
        QVERIFY(why.contains(ResourceAliases::environmentVariable()));
        QVERIFY(!f.open(u"/dev/usbtmc-vantelso-none"_s, &why)); // no such USBTMC node
        QVERIFY(why.contains(u"/dev/usbtmc-vantelso-none"_s));
        f.setLanguage(1);
        QVERIFY(!f.open(u"GPIB0::7::INSTR"_s, &why));
        QVERIFY(why.startsWith(u"Invalid resource \"GPIB0::7::INSTR\""_s));
        QVERIFY(!f.open(u"SIM::meter::INSTR"_s, &why));
        QVERIFY(why.contains(u"No simulated instrument \"meter\""_s));
    }

    // The raw socket: a reading over loopback TCP, a clear, and a silent instrument; then the
    // serial backend.
    void sessions() {
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
        QVERIFY(!s->readLine() && s->errorString().contains(u"time-out"_s));

        // Nobody listening: a message naming the instrument, at once.
        const QString resource = line.resourceName();
        line.stop();
        QVERIFY2(!f.open(resource, &why) && why.contains(resource), qPrintable(why));

#ifdef Q_OS_UNIX
        // The serial backend: the same meter on a pseudo-terminal, named by an alias.
        meter.setSilent(false);
        meter.setProbe([](sim::SimMultimeter::Function) { return 0.25; });
        sim::PtyLine pty;
        QVERIFY2(pty.start(&why), qPrintable(why));
        connect(&pty, &sim::PtyLine::received, &meter, &sim::SimInstrument::receive);
        connect(&meter, &sim::SimInstrument::transmit, &pty, &sim::PtyLine::send);
        ResourceAliases a;
        a.add(u"UsbDevice1"_s, u"ASRL%1::INSTR"_s.arg(pty.slavePath()));
        SessionFactory serial(a);
        serial.setTimeoutMs(1000);
        s = serial.open(u"UsbDevice1"_s, &why);
        QVERIFY2(s, qPrintable(why));
        QVERIFY(s->writeLine(":CONF:CURR:DC") && s->writeLine(":READ?"));
        QCOMPARE(s->readLine(), QByteArray("+2.50000000E-01"));
        QCOMPARE(meter.function(), sim::SimMultimeter::Function::Amperes);
#endif
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
        QHash<QString, QString> ptys; // the pseudo-terminals by instrument name
        for (const auto& e : sim.endpoints())
            if (!e.address.startsWith(u"TCPIP"_s))
                ptys.insert(e.name, e.address);
        useServedPorts(bench, ptys);
        QCOMPARE(bench.openPorts(), QStringList());
        QVERIFY(bench.supply.port()->portName().startsWith(u"/dev/"_s));

        // Supply at 2400 baud.
        QCOMPARE(bench.supply.SetSupply(true, u"24.00"_s), BenchStatus::Ok);
        // The default load, 22.8 mA at 24 V, to the supply's 1 mA.
        const SupplyCurrent i = bench.supply.ReadSupplyCurrent();
        QCOMPARE(std::pair(i.kind(), i.value()), std::pair(SupplyCurrent::Kind::Milliamps, 23.0));
        QVERIFY(sim.supply().outputOn());

        // Calibrator to channel A, 5 V.
        QCOMPARE(bench.switches.SetSwitch(u"101A102A103C"_s), BenchStatus::Ok);
        const CalFunction* volts = FindCalFunction(u"V");
        QCOMPARE(bench.calibrator.Select(*volts), BenchStatus::Ok);
        QCOMPARE(bench.calibrator.SetCalibrator(5 * volts->scale), BenchStatus::Ok);
        QCOMPARE(sim.device().analogInput(0), std::optional<double>(5.0));
        QCOMPARE(sim.device().analogInput(1), std::nullopt);
        QCOMPARE(bench.calibrator.ReadAmbientTemp().value, 23.5);

        // The device drives DAC count 3500 on output A, a current output on this model; the
        // meter reads the top of its range.
        SerialTransport devicePort(ptys.value(u"dispositivo"_s));
        QVERIFY(devicePort.open());
        DeviceLink link(&prompter);
        link.setTransport(&devicePort);
        link.EnterProgramming();
        link.SendValueUpperI(3500);
        QTRY_COMPARE(sim.device().directValueUpper(), 3500);
        QCOMPARE(bench.meters.SetMultimeter(0, u"REM"_s, u"CURR"_s), BenchStatus::Ok);
        QCOMPARE(reading(bench.meters.ReadMultimeter(0)),
                 std::pair(BenchStatus::Ok, sim::OutputAtRawHigh(true)));
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
        QCOMPARE(std::pair(sim.generator().shape(), sim.generator().frequency()),
                 std::pair(u"SIN"_s, 60.0));
        QCOMPARE(prompter.questions().size(), 0);

        // A silent instrument on a real port: a bounded failure, no hang.
        BenchTimings& t = bench.context.timings;
        t.calibratorEchoTimeout = t.meterReplyTimeout = t.supplyReplyTimeout = 0.3;
        bench.meters.setSelector(u"Com3"_s); // the meter on its pseudo-terminal again
        for (const QString& name : sim::SimulatedBench::instrumentNames())
            sim.instrument(name)->setSilent(true);
        QCOMPARE(bench.calibrator.SetCalibrator(258), BenchStatus::Timeout);
        QCOMPARE(bench.meters.ReadMultimeter(0).status, BenchStatus::Timeout);
        QVERIFY(bench.supply.ReadSupplyCurrent().timedOut());
    }
#endif

#ifdef VANTELSO_CLI
    // vantelso-cli bench sim: every instrument's port is printed, and each one answers there.
    // vantelso-cli bench calibrate: a whole run on a simulated bench, its lines and exit code.
#ifdef Q_OS_UNIX
    void benchSim() {
        QProcess cli;
        cli.start(QStringLiteral(VANTELSO_CLI), {u"bench"_s, u"sim"_s, u"RSX7030"_s});
        QVERIFY(cli.waitForStarted());
        QHash<QString, QString> ports; // name -> address, pseudo-terminals and sockets apart
        while (ports.size() < 8 && cli.waitForReadyRead(5000)) {
            while (cli.canReadLine()) {
                const QStringList f = QString::fromLocal8Bit(cli.readLine()).trimmed().split(u'\t');
                QCOMPARE(f.size(), 3);
                ports.insert(f[0] + (f[1].startsWith(u'/') ? QString() : u"/tcp"_s), f[1]);
            }
        }
        QCOMPARE(ports.size(), 8);
        for (const char* name :
             {"dispositivo", "alimentatore", "calibratore", "multimetro0", "multimetro1", "switch"})
            QVERIFY2(ports.value(QLatin1String(name)).startsWith(u"/dev/"_s), name);
        QVERIFY(ports.value(u"generatore/tcp"_s).startsWith(u"TCPIP::"_s));

        ScriptedPrompter prompter;
        ResourceAliases aliases;
        aliases.add(u"UsbDevice2"_s, ports.value(u"multimetro0/tcp"_s));
        SessionFactory sessions(aliases);
        BenchInstruments bench(&prompter, &sessions);
        useServedPorts(bench, ports);
        QCOMPARE(bench.openPorts(), QStringList());
        QCOMPARE(bench.supply.SetSupply(true, u"20.00"_s), BenchStatus::Ok);
        QCOMPARE(bench.supply.ReadSupplyCurrent().value(), 27.0);
        QCOMPARE(bench.calibrator.ReadAmbientTemp().value, 23.5);
        QVERIFY(bench.meters.ReadMultimeter(0).ok());
        bench.meters.setSelector(u"Usb2"_s);
        QVERIFY(bench.meters.ReadMultimeter(0).ok());
        cli.kill();
        cli.waitForFinished();
    }
#endif

    // Exit 0 only when every selected range passed and the final programming was read
    // back; a range that failed exits 3 and is named; usage mistakes exit 2 before any run.
    // Every run, passed or not, ends with its closing line; a usage mistake prints nothing.
    void calibrate() {
        const std::tuple<QStringList, int, QString> runs[] = {
            {{"RSX7030"}, 0, {}},
            {{"RSX7032A", "--gain-error", "5"},
             3,
             u"not passed: 90 mV A, 200 mV A, 800 mV A, 90 mV B"_s},
            {{"RSX7031A", "--gain-error", "1", "--ranges", "0,cjca"}, 0, {}},
            // A model byte 1 unit keeps its output pair the other way round.
            {{"RSX7030", "--model-byte", "1", "--ranges", "9,mAB"}, 0, {}},
            // Usage mistakes: a model byte or range of another model, an unknown model, a gain
            // error that is no number.
            {{"RSX7030", "--model-byte", "2"}, 2, u"--model-byte 2"_s},
            {{"RSX7031A", "--ranges", "PTCA"}, 2, u"not a range"_s},
            {{"RSX9999"}, 2, u"unknown bench model"_s},
            {{"RSX7030", "--gain-error", "x"}, 2, u"--gain-error"_s}};
        for (const auto& [args, exitCode, stderrHas] : runs) {
            const CliRun r = cli(QStringList{"bench", "calibrate"} + args);
            const QByteArray said = (args.join(u' ') + u'\n' + r.out + r.err).toLocal8Bit();
            QVERIFY2(r.exitCode == exitCode && r.err.contains(stderrHas), said.constData());
            const QString ending = exitCode == 2 ? QString() : u"COLLAUDO TERMINATO"_s;
            QVERIFY2(r.lines().value(r.lines().size() - 1) == ending, said.constData());
            // One line per range, then the ending.
            QVERIFY2(exitCode != 0 || args.size() != 1 || r.lines().size() == 13, said.constData());
        }
    }

    // --json: every selected range with its fields, and the unit identifier given.
    void calibrateJson() {
        const CliRun r = cli({"bench", "calibrate", "RSX7032A", "--ranges", "1,mAA", "--unit",
                              "L-0042", "--gain-error", "3", "--json"});
        QCOMPARE(r.exitCode, 3);
        // Each range of a list as its caption and its "passed" field.
        const auto outcomes = [](const QJsonValue& ranges) {
            QStringList out;
            for (const QJsonValue& v : ranges.toArray())
                out << v["range"].toString() + u' ' + v["passed"].toVariant().toString();
            return out;
        };
        const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(
            std::tuple(o["unit"].toString(), o["passed"].toVariant().toString(),
                       o["finalProgrammed"].toVariant().toString(), o["failedRanges"]),
            std::tuple(u"L-0042"_s, u"false"_s, u"true"_s, QJsonValue(QJsonArray{u"200 mV A"_s})));
        QCOMPARE(outcomes(o["ranges"]), (QStringList{u"200 mV A false"_s, u"mA A true"_s}));
        QVERIFY(!o["ranges"][1]["k2"].toString().isEmpty());

        // The run is in the production records under the unit's id, with its steps.
        const CliRun listed = cli({"records", "--unit", "L-0042", "--json"});
        QVERIFY2(listed.exitCode == 0, qPrintable(listed.err));
        const QJsonArray runs = QJsonDocument::fromJson(listed.out.toUtf8()).array();
        QCOMPARE(runs.size(), 1);
        QCOMPARE(std::tuple(runs[0]["kind"].toString(), runs[0]["outcome"].toString(),
                            outcomes(runs[0]["steps"])),
                 std::tuple(u"calibration"_s, u"failed"_s,
                            QStringList{u"200 mV A false"_s, u"mA A true"_s}));
    }
#endif
};

QTEST_GUILESS_MAIN(TestInstruments)
#include "tst_instruments.moc"
