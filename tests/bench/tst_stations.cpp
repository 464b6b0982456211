// The two stations after calibration, on simulated units and instruments. The production test
// on a frequency-input unit and function generator: the exact generator lines of every button,
// the stability log, the linearity misses, the held output values on the device wire, and
// Stop, Cancel and unreachable instruments. The programming and verification station:
// downloads counted only when read back, the set-up checks and their messages, what reaches
// the supply and the switch unit, and the verification report.
#include "calfunction.h"
#include "failingrow.h"
#include "prodrig.h"
#include "productiontest.h"
#include "stationrig.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>

using namespace vantelso;
using namespace vantelso::bench;
using Waveform = FunctionGenerator::Waveform;
using Hold = ProductionTest::HoldChannels;
using namespace Qt::StringLiterals;
using Mode = VerificationSettings::Mode;

namespace {

struct TestBench {
    ProdRig r;
    bool measuring = false;
    ProductionTest test{&r.link, &r.rig.generator, &r.rig.prompter, &measuring};
    QStringList logged;     // the test's log lines
    QList<double> readings; // the readings taken
    int stopAfter = 0;      // the running test is stopped after this many readings
    explicit TestBench(std::uint8_t modelByte = 7) : r(modelByte) {
        test.timings = ProductionTestTimings().scaled(0);
        QObject::connect(&test, &ProductionTest::logged, [this](const QString& l) { logged << l; });
        QObject::connect(&test, &ProductionTest::reading, [this](double v) {
            readings << v;
            if (readings.size() == stopAfter)
                test.Stop();
        });
    }
};

// "FREQuency <hz>" for each of the space-separated frequencies.
QByteArrayList frequencyLines(const QByteArray& hz) {
    QByteArrayList out;
    for (const QByteArray& f : hz.split(' '))
        out << "FREQuency " + f;
    return out;
}

// The unit told to stream for a test ("MI") and to stop after it ("SM").
const QByteArrayList kStreamed{"MI\r", "SM\r"};
const QString kRule(58, QLatin1Char('_'));

// The button (0 set-up, 1 on, 2 off), the waveform and frequency set up, the lines sent.
using GeneratorRow = std::tuple<int, Waveform, QString, QByteArrayList>;
// A sweep's settings, the frequencies swept and the misses logged.
using LinearityRow = std::tuple<LinearitySettings, QByteArray, QString>;
struct StabilityRow {
    double reference, tolerance, input;
    QString logged; // empty: not logged
};
struct Refusal {
    QString message, input, min, max;
    int output = 1, device = StationRig::deviceIndex(u"RSX7032D"_s), channel = 0;
};
// The bench model (the calibration bench's choice) is the device's unless told.
struct Routing {
    int channel;
    QString device, input, output, inputRoute, model = device;
};
struct EndingRow {
    QString how, last;
    QStringList prompts;
};

} // namespace

class TestStations : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void generatorLines_data() {
        QTest::addColumn<GeneratorRow>("row");
        const QByteArrayList ttl{"*RST",      "FREQuency 250",      "FUNCtion SQUARE",
                                 "VOLTage 5", "VOLTage:OFFSet 2.5", "OUTPut ON"};
        const QByteArrayList tacho{"*RST",         "FREQuency 60",     "FUNCtion SIN",
                                   "VOLTage 0.05", "VOLTage:OFFSet 0", "OUTPut ON"};
        QTest::newRow("TTL") << GeneratorRow{0, Waveform::Ttl, u"250"_s, ttl};
        QTest::newRow("Tacho") << GeneratorRow{0, Waveform::Tacho, u"60"_s, tacho};
        QTest::newRow("ON") << GeneratorRow{1, Waveform::Ttl, {}, {"OUTPut ON"}};
        QTest::newRow("OFF") << GeneratorRow{2, Waveform::Ttl, {}, {"OUTPut OFF"}};
    }
    void generatorLines() {
        QFETCH(GeneratorRow, row);
        const auto& [button, waveform, frequency, lines] = row;
        TestBench b;
        QCOMPARE(button == 0 ? b.test.SetUpGenerator(waveform, frequency)
                             : b.test.GeneratorOutput(button == 1),
                 BenchStatus::Ok);
        QCOMPARE(std::pair(b.r.generator().lines(), b.r.generator().errors()), std::pair(lines, 0));
        // The generator is the only instrument spoken to; the unit hears nothing.
        QVERIFY(b.r.rig.prompter.questions().isEmpty() && b.r.device().commandLog().isEmpty());
    }

    void stability_data() {
        QTest::addColumn<StabilityRow>("row");
        QTest::newRow("inside") << StabilityRow{100, 2, 101, ""};
        QTest::newRow("upper edge") << StabilityRow{100, 2, 102, ""};
        QTest::newRow("lower edge") << StabilityRow{100, 2, 98, ""};
        QTest::newRow("above") << StabilityRow{100, 2, 102.5, "102.5"};
        QTest::newRow("below") << StabilityRow{100, 2, 97.5, "97.5"};
        QTest::newRow("no tolerance, exact") << StabilityRow{1000, 0, 1000, ""};
        QTest::newRow("no tolerance, off") << StabilityRow{1000, 0, 1000.5, "1000.5"};
    }
    void stability() {
        QFETCH(StabilityRow, row);
        TestBench b;
        b.r.device().setAnalogInput(0, row.input);
        bool flagWhileRunning = false;
        connect(&b.test, &ProductionTest::reading, this,
                [&](double) { flagWhileRunning = b.measuring && b.test.running(); });
        b.stopAfter = 3;
        QCOMPARE(b.test.RunStability(row.reference, row.tolerance), TestEnd::Stopped);
        QCOMPARE(b.readings, QList<double>(3, row.input));
        QCOMPARE(b.logged, row.logged.isEmpty() ? QStringList() : QStringList(3, row.logged));
        QVERIFY(flagWhileRunning && !b.measuring && !b.test.running());
        // Streaming is started for the test and stopped after it.
        QCOMPARE(b.r.device().commandLog(), kStreamed);
    }

    // The rows with misses are run on a unit that reads 10% low above 1500 Hz.
    void linearity_data() {
        QTest::addColumn<LinearityRow>("row");
        QTest::newRow("exact counter")
            << LinearityRow{{1000, 2000, 500, 0.02, 0, 1}, "1000 1500 2000", {}};
        QTest::newRow("misses above 1500") << LinearityRow{{1000, 2000, 250, 0.02, 0, 5},
                                                           "1000 1250 1500 1750 2000",
                                                           u"1750-->1575. 2000-->1800."_s};
        QTest::newRow("decimal steps reach the end")
            << LinearityRow{{100, 100.3, 0.1, 0.02, 0, 0.01}, "100 100.1 100.2 100.3", {}};
        QTest::newRow("one point") << LinearityRow{{50, 50, 10, 0.02, 0, 0.5}, "50", {}};
    }
    void linearity() {
        QFETCH(LinearityRow, row);
        const auto& [s, frequencies, misses] = row;
        TestBench b;
        if (!misses.isEmpty())
            b.r.rig.bench.setFrequencyResponse(
                [](double f) { return f > 1500 ? std::round(f * 0.9) : f; });
        // The settling lets the frames streamed before a frequency change go by.
        b.test.timings.operatorTimeScale = 1;
        QSignalSpy progress(&b.test, &ProductionTest::progress);
        QCOMPARE(b.test.RunLinearity(s), TestEnd::Finished);
        QCOMPARE(b.logged.join(u' '), misses);
        // The points swept, then the generator parked at 1 mHz.
        const QByteArrayList swept = frequencyLines(frequencies + " 0.001");
        QCOMPARE(b.r.generator().lines(), QByteArrayList({"*RST", "FUNCtion SQUARE", "VOLTage 5",
                                                          "VOLTage:OFFSet 0", "OUTPut ON"}) +
                                              swept);
        const int points = int(swept.size()) - 1;
        QCOMPARE(progress.last(), (QList<QVariant>{points, points}));
        QCOMPARE(b.r.device().commandLog(), kStreamed);
        QVERIFY(!b.measuring);
    }

    void linearityRefusesRanges_data() {
        QTest::addColumn<LinearitySettings>("s");
        QTest::addColumn<QString>("message");
        const QString range = u"Intervallo di frequenze non valido"_s;
        const QString wait = u"Delay step, Delay mis e Toll"_s;
        QTest::newRow("no step") << LinearitySettings{1000, 2000, 0, 0, 0, 1} << range;
        QTest::newRow("step down") << LinearitySettings{1000, 2000, -100, 0, 0, 1} << range;
        QTest::newRow("end before start") << LinearitySettings{2000, 1000, 100, 0, 0, 1} << range;
        // A negative wait never expires: the sweep would stay on its first point.
        QTest::newRow("negative measuring time")
            << LinearitySettings{1000, 2000, 100, 0, -0.001, 1} << wait;
        QTest::newRow("negative settling") << LinearitySettings{1000, 2000, 100, -1, 0, 1} << wait;
        QTest::newRow("negative tolerance") << LinearitySettings{1000, 2000, 100, 0, 0, -1} << wait;
    }
    void linearityRefusesRanges() {
        QFETCH(LinearitySettings, s);
        QFETCH(QString, message);
        TestBench b;
        QCOMPARE(b.test.RunLinearity(s), TestEnd::BadSettings);
        QCOMPARE(b.r.rig.prompter.texts().value(0).left(message.size()), message);
        QVERIFY(b.r.generator().lines().isEmpty() && b.r.device().commandLog().isEmpty());
    }

    // The fields are read again at every point and every reading: an end lowered while the
    // sweep runs ends it there, a tolerance raised stops the misses or readings being logged.
    void rereadsSettings() {
        TestBench b;
        b.r.rig.bench.setFrequencyResponse([](double f) { return f + 5; });
        // The settling lets the frames streamed before a frequency change go by.
        b.test.timings.operatorTimeScale = 1;
        int asked = 0;
        QCOMPARE(b.test.RunLinearity([&] {
            return ++asked < 2 ? LinearitySettings{100, 1000, 100, 0.02, 0, 1}
                               : LinearitySettings{100, 300, 100, 0.02, 0, 10};
        }),
                 TestEnd::Finished);
        QCOMPARE(b.r.generator().lines().mid(5), frequencyLines("100 200 300 0.001"));
        b.logged.clear();
        asked = 0;
        QCOMPARE(b.test.RunLinearity([&] {
            return LinearitySettings{100, 200, 100, 0.02, 0, ++asked < 2 ? 1.0 : 10.0};
        }),
                 TestEnd::Finished);
        QCOMPARE(b.logged, QStringList{u"100-->105."_s});

        TestBench c;
        c.r.device().setAnalogInput(0, 105.0);
        c.stopAfter = 4;
        asked = 0;
        QCOMPARE(c.test.RunStability([&] {
            // Two readings against tolerance 1, then the operator widens it to 10.
            return StabilitySettings{100, ++asked <= 3 ? 1.0 : 10.0};
        }),
                 TestEnd::Stopped);
        QCOMPARE(c.logged, (QStringList{u"105."_s, u"105."_s}));
    }

    // A unit whose frame has no bytes 8..10 would read 0 at every point: refused, with the
    // reason, before anything is sent.
    void frameWithoutInputReading() {
        TestBench b(2);
        QCOMPARE(b.test.RunStability(0, 1), TestEnd::NoReading);
        QCOMPARE(b.test.RunLinearity({100, 200, 100, 0, 0, 1}), TestEnd::NoReading);
        QVERIFY(b.r.rig.prompter.texts().value(0).contains(u"non trasmette la misura"_s));
        QVERIFY(b.r.device().commandLog().isEmpty() && b.r.generator().lines().isEmpty());
    }

    // The generator frequency is a number of Hz above 0; anything else is refused and
    // nothing reaches the generator.
    void generatorFrequency_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("sent"); // empty: refused
        QTest::newRow("decimal") << " 0.5 " << QByteArray("FREQuency 0.5");
        QTest::newRow("exponent") << "1e3" << QByteArray("FREQuency 1000");
        for (const char* typed : {"abc", "", "0", "-5", "1,5", "100Hz"})
            QTest::addRow("refused '%s'", typed) << QString::fromLatin1(typed) << QByteArray();
    }
    void generatorFrequency() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, sent);
        TestBench b;
        const BenchStatus want = sent.isEmpty() ? BenchStatus::BadValue : BenchStatus::Ok;
        QCOMPARE(b.test.GeneratorFrequency(typed), want);
        QCOMPARE(b.test.SetUpGenerator(Waveform::Ttl, typed), want);
        // The frequency alone, then the set-up's reset and the same frequency.
        QCOMPARE(b.r.generator().lines().mid(0, 3),
                 (sent.isEmpty() ? QByteArrayList() : QByteArrayList{sent, "*RST", sent}));
        QCOMPARE(b.r.rig.prompter.texts().value(0).startsWith(u"Frequenza"_s), sent.isEmpty());
    }

    void linearityStops() {
        TestBench b;
        b.stopAfter = 2;
        QCOMPARE(b.test.RunLinearity({100, 1000, 100, 0, 0, 1}), TestEnd::Stopped);
        // Two points measured, then the generator parked and the unit stopped.
        QCOMPARE(b.r.generator().lines().mid(5), frequencyLines("100 200 0.001"));
        QCOMPARE(b.r.device().commandLog(), kStreamed);
    }

    void holdOutput_data() {
        QTest::addColumn<Hold>("channels");
        QTest::addColumn<int>("countA");
        QTest::addColumn<int>("countB");
        QTest::addColumn<QByteArrayList>("sent");
        QTest::newRow("chB") << Hold::B << 800 << 3500 << QByteArrayList{"$i\x0d\xac\x00\r"_ba};
        QTest::newRow("a+b") << Hold::Both << 4040 << 0
                             << QByteArrayList{"$I\x0f\xc8\x00\r"_ba, "$i\x00\x00\x00\r"_ba};
        QTest::newRow("negative") << Hold::A << -2 << 0 << QByteArrayList{"$I\xff\xfe\x00\r"_ba};
    }
    void holdOutput() {
        QFETCH(Hold, channels);
        QFETCH(int, countA);
        QFETCH(int, countB);
        QFETCH(QByteArrayList, sent);
        TestBench b;
        QTimer stopper;
        connect(&stopper, &QTimer::timeout, this, [&] {
            if (b.r.commands("$").size() >= 3 * sent.size())
                b.test.StopHold();
        });
        stopper.start(5);
        QSignalSpy holding(&b.test, &ProductionTest::holdingChanged);
        QCOMPARE(b.test.HoldOutput(channels, countA, countB), TestEnd::Stopped);
        QCOMPARE(holding.size(), 2);
        // Programming mode, the values over and over, then the unit let go.
        const QByteArrayList log = b.r.device().commandLog();
        QVERIFY(log.size() >= 2 + 3 * sent.size());
        QByteArrayList expected{"PR\r"};
        while (expected.size() < log.size() - 1)
            expected << sent.at((expected.size() - 1) % sent.size());
        QCOMPARE(log, expected + QByteArrayList{"$FPxx\r"});
    }

    void typedCount() {
        // Whole counts of -32768..65535 as typed; anything else refused and told (-99999 here).
        const std::pair<const char*, int> rows[] = {
            {"800", 800},     {"12.6", 13},      {"3500 conteggi", 3500}, {"", 0},
            {"65535", 65535}, {"70000", -99999}, {"-40000", -99999}};
        for (const auto& [text, count] : rows) {
            const FailingRow row(text);
            TestBench b;
            QCOMPARE(b.test.TypedCount(QString::fromLatin1(text)).value_or(-99999), count);
            QVERIFY2(b.r.rig.prompter.questions().isEmpty() == (count != -99999), text);
        }
    }

    // The unit stops streaming: the link asks Retry/Cancel; Cancel ends the test and nothing
    // more is sent to the silent unit.
    void silentUnitCancels_data() {
        QTest::addColumn<bool>("linearity");
        QTest::newRow("stability") << false;
        QTest::newRow("linearity") << true;
    }
    void silentUnitCancels() {
        QFETCH(bool, linearity);
        TestBench b;
        b.r.device().setPowered(false);
        b.r.rig.prompter.push(Prompter::Answer::Cancel);
        const TestEnd end = linearity ? b.test.RunLinearity({1000, 2000, 500, 0, 0, 1})
                                      : b.test.RunStability(100, 1);
        QCOMPARE(end, TestEnd::FrameCancelled);
        QCOMPARE(b.r.rig.prompter.questions().size(), 1);
        QCOMPARE(b.r.rig.prompter.questions().first().buttons, Prompter::Buttons::RetryCancel);
        QVERIFY(b.logged.isEmpty() && !b.measuring && !b.test.running());
        if (linearity) // the first point only, and the generator parked
            QCOMPARE(b.r.generator().lines().mid(5), frequencyLines("1000 0.001"));
    }

    void silentUnitHoldsNothing() {
        TestBench b;
        b.r.device().setPowered(false);
        QCOMPARE(b.test.HoldOutput(Hold::Both, 800, 800), TestEnd::DeviceFailed);
        QVERIFY(!b.test.holding());
        QVERIFY(b.r.rig.prompter.texts().value(0).startsWith(
            u"Il dispositivo non entra in programmazione"_s));
    }

    // A generator that cannot be reached is told once; the linearity test then does not
    // start streaming or log anything.
    void generatorUnreachable() {
        TestBench b;
        ResourceAliases aliases;
        aliases.add(u"UsbDevice1"_s, u"SIM::assente::INSTR"_s);
        b.r.rig.sessions.setAliases(aliases);
        QCOMPARE(b.test.SetUpGenerator(Waveform::Ttl, u"1000"_s), BenchStatus::PortError);
        QCOMPARE(b.test.GeneratorOutput(true), BenchStatus::PortError);
        QCOMPARE(b.r.rig.prompter.questions().size(), 2);
        QVERIFY(b.r.rig.prompter.texts().value(0).contains(u"assente"_s));
        b.r.rig.prompter.clear();
        QCOMPARE(b.test.RunLinearity({1000, 2000, 500, 0, 0, 1}), TestEnd::GeneratorFailed);
        QCOMPARE(b.r.rig.prompter.questions().size(), 1);
        QVERIFY(b.logged.isEmpty() && b.r.device().commandLog().isEmpty());
        QVERIFY(!b.measuring && !b.test.running());
    }

    // One test at a time, and none while the live measurement streams. The live measurement's
    // stop, or the editor taking the device, clears the shared flag: the stability test ends
    // there too.
    void oneAtATime() {
        TestBench b;
        TestEnd holdWhileRunning = TestEnd::Finished;
        connect(&b.test, &ProductionTest::reading, this, [&](double) {
            holdWhileRunning = b.test.HoldOutput(Hold::A, 800, 800);
            b.measuring = false;
        });
        QCOMPARE(b.test.RunStability(0, 1), TestEnd::Stopped);
        QCOMPARE(holdWhileRunning, TestEnd::Busy);
        QCOMPARE(b.r.device().commandLog(), kStreamed); // and no "$I"

        b.measuring = true; // the live measurement runs
        b.r.device().clearCommandLog();
        QCOMPARE(b.test.RunStability(0, 1), TestEnd::Busy);
        QVERIFY(b.r.device().commandLog().isEmpty());
        QCOMPARE(b.r.rig.prompter.questions().size(), 2);
    }

    // The production log's readings and the verification report's values.
    void numberTexts() {
        const std::pair<double, const char*> logged[] = {{12.3456, "12.346"}, {1000.0, "1000."},
                                                         {0.5, ".5"},         {0.0, "."},
                                                         {-1.25, "-1.25"},    {-0.0001, "."}};
        for (const auto& [value, text] : logged)
            QCOMPARE(std::pair(value, ProductionTest::FormatReading(value)),
                     std::pair(value, QString::fromLatin1(text)));
        const std::pair<double, const char*> reported[] = {
            {0.0, "00.000"},    {4.0021, "04.002"}, {19.9996, "20.000"},
            {123.4, "123.400"}, {-0.5, "-00.500"},  {-0.0001, "00.000"}};
        for (const auto& [value, text] : reported)
            QCOMPARE(std::pair(value, ReportNumber(value)),
                     std::pair(value, QString::fromLatin1(text)));
    }

    // The programming and verification station. Checks made before anything is sent: each
    // refuses with its message and the instruments hear nothing.
    void refusals_data() {
        QTest::addColumn<Refusal>("r");
        const QString mvl = u"Valore non corretto per mVL; selezionare ingresso mVH"_s;
        const QString mvh = u"Valore non corretto per mVH; selezionare ingresso V"_s;
        const auto row = [](const char* name, const Refusal& r) { QTest::newRow(name) << r; };
        row("mVL max 250", {mvl, "mVL (-20 : 200)", "0", "250"});
        row("mVL min -21", {mvl, "mVL (-20 : 200)", "-21", "100"});
        row("mVH max 801", {mvh, "mVH: (-200 : 800)", "0", "801"});
        row("mVH min -201", {mvh, "mVH: (-200 : 800)", "-201", "800"});
        row("beyond calibrator", {"Valore fuori dal campo del calibratore", "V", "0", "1e6"});
        row("max not a number", {"Valore di range non valido", "V", "0", "1O"});
        row("no input type", {"Selezionare tipo di ingresso", "", "0", "10"});
        row("no output type", {"Impostare tipo di uscita", "V", "0", "10", -1});
        row("no device", {"Selezionare dispositivo da verificare", "V", "0", "10", 1, -1});
        row("RSX7131C second", {"secondo canale di uscita non tarabile", "V", "0", "10", 0,
                                StationRig::deviceIndex(u"RSX7131C"_s), 1});
    }
    void refusals() {
        QFETCH(Refusal, r);
        StationRig s;
        VerificationStation& v = s.station;
        // Mode, input, range, output, device, measured and output channel, supply.
        const int input = FindVerificationInput(r.input);
        v.settings = {Mode::Automatic, input, r.min,     r.max,   r.output,
                      r.device,        0,     r.channel, u"24"_s, true};
        QVERIFY(!v.SetUpAndVerify());
        QCOMPARE(s.rig.prompter.texts(), QStringList{r.message});
        QCOMPARE(s.rig.prompter.questions().first().buttons, Prompter::Buttons::Ok);
        QVERIFY(s.instrumentsQuiet() && v.report.isEmpty());
    }

    // The supply takes the voltage with two decimals; outside 18..30 V nothing is sent.
    void supply_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("sent"); // empty: refused
        QTest::newRow("24.5") << u"24.5"_s << "24.50"_ba;
        QTest::newRow("18") << u"18"_s << "18.00"_ba;
        QTest::newRow("30") << u"30"_s << "30.00"_ba;
        QTest::newRow("comma") << u"24,5"_s << "24.50"_ba;
        for (const char* typed : {"17.5", "31", "30.01", "24 V"})
            QTest::newRow(typed) << QString::fromLatin1(typed) << QByteArray();
    }
    void supply() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, sent);
        StationRig s;
        s.station.settings.supplyVolts = typed;
        s.station.settings.supplyOn = true;
        const bool taken = !sent.isEmpty();
        QCOMPARE(s.station.SetUpSupply(), taken);
        QCOMPARE(s.rig.bench.supply().heard(), taken ? "SV " + sent + "\rKOE\r" : QByteArray());
        QCOMPARE(s.rig.prompter.texts(),
                 taken ? QStringList() : QStringList{u"Valore di alimentazione errato!"_s});
        if (!taken)
            return;
        QVERIFY(s.rig.bench.supply().outputOn());
        // Unticked, the value is still checked but the supply is left alone.
        s.rig.bench.supply().clearHeard();
        s.station.settings.supplyOn = false;
        QVERIFY(s.station.SetUpSupply() && s.rig.bench.supply().heard().isEmpty());
        // "stop_ver" switches the output off and leaves the voltage as it is.
        s.station.StopVerification();
        QCOMPARE(s.rig.bench.supply().heard(), QByteArray("KOD\r"));
        QVERIFY(!s.rig.bench.supply().outputOn());
    }

    // Output routing by device and channel, input routing by type and bench model; the
    // switch unit hears the output list first, then the input list.
    void routing_data() {
        QTest::addColumn<Routing>("r");
        const auto row = [](const char* name, const Routing& r) { QTest::newRow(name) << r; };
        row("7030 first mV",
            {0, "RSX7030", "mVL (-20 : 200)", "109A110A111A112A113A", "101A102A103A104A105A"});
        row("7030 second V", {1, "RSX7030", "V", "109C110A111C112C113A", "101A102A103C104C105A"});
        row("7030 mA", {0, "RSX7030", "mA", "109A110A111A112A113A", "101A102C103C104C105C"});
        row("7030 Pt100", {0, "RSX7030", "Pt100", "109A110A111A112A113A", "101C102C103C104A105A"});
        row("7031B first Tc K", {0, "RSX7031B", "Tc K", "101A102A", "103A104A105A106A107A"});
        row("7032A second V", {1, "RSX7032A", "V", "101C102C", "103A104A105C106C107A"});
        row("7131A second mA", {1, "RSX7131A", "mA", "101C102C", "103C104A105A106C107C"});
        row("7132D first KOhm", {0, "RSX7132D", "KOhm", "101A102A", "103C104C105A106C107A"});
        row("7131C first", {0, "RSX7131C", "Ni1000", "", "103C104C105A106C107A"});
        row("no bench model", {0, "RSX7035", "Ohm", "", "103C104C105A106C107A", ""});
    }
    void routing() {
        QFETCH(Routing, r);
        StationRig s;
        CalibrationRun bench(&s.link, &s.rig.instruments, &s.rig.prompter);
        bench.TaraModel = r.model;
        VerificationStation station(&s.link, &s.rig.instruments, &s.rig.prompter, &bench);
        station.ChooseMode(Mode::Automatic);
        station.ChooseInput(FindVerificationInput(r.input));
        station.ChooseDevice(StationRig::deviceIndex(r.device));
        station.settings.outputChannel = r.channel;
        QVERIFY(station.SetUpSwitches());
        QCOMPARE(s.rig.bench.switches().heard(),
                 (SwitchLines(r.output) + SwitchLines(r.inputRoute)).join());
        // In manual mode the operator wires the unit: the switch unit hears nothing.
        s.rig.bench.switches().clearHeard();
        station.ChooseMode(Mode::Manual);
        QVERIFY(station.SetUpSwitches() && s.rig.bench.switches().heard().isEmpty());
    }

    // Only a download the device holds after the read-back is counted; the report starts
    // afresh with each download.
    void downloads_data() {
        QTest::addColumn<QString>("fault"); // "drop" writes, "cancel" a limit, "closed" port
        QTest::addColumn<DownloadResult>("result");
        QTest::addColumn<QString>("shown"); // the status, then the report's further lines
        QTest::newRow("verified") << "" << DownloadResult::Verified
                                  << "OK\nDownload completato. Programmazioni effettuate:     2\n"
                                     "Impostare strumentazione";
        QTest::newRow("not read back") << "drop" << DownloadResult::Failed
                                       << "ERRORE\nErrore: controllare connessioni dispositivo";
        QTest::newRow("limit cancelled")
            << "cancel" << DownloadResult::Cancelled << "STOP\nDownload annullato";
        QTest::newRow("port closed")
            << "closed" << DownloadResult::PortClosed << "ERRORE\nErrore di comunicazione";
        // Pressed while another command holds the link: the write is refused, nothing is
        // written, and that is no download.
        QTest::newRow("link busy") << "busy" << DownloadResult::Failed
                                   << "ERRORE\nErrore: collegamento occupato da un altro comando, "
                                      "unità non programmata";
    }
    void downloads() {
        QFETCH(QString, fault);
        QFETCH(DownloadResult, result);
        QFETCH(QString, shown);
        StationRig s;
        QCOMPARE(s.editor.ReadEprom(), EditorOutcome::Done);
        VerificationStation& v = s.station;
        v.Reset();
        QCOMPARE(v.SendProgram(), DownloadResult::Verified);
        QCOMPARE(v.downloads, 1);
        s.model.setText(u"txt_Input_max"_s, 0, u"16"_s);
        s.device().clearCommandLog();
        if (fault == u"drop"_s)
            s.device().injectFault({sim::Fault::Kind::DropWrites, "$W", 0, -1, 0});
        if (fault == u"cancel"_s)
            s.model.setText(u"txt_Output_max"_s, 0, u"21"_s);
        if (fault == u"closed"_s)
            s.port.close();
        s.rig.prompter.setFallback(Prompter::Answer::Cancel);
        const auto send = [&] { QCOMPARE(v.SendProgram(), result); };
        if (fault == u"busy"_s) {
            // The download runs from a click serviced while the identification waits.
            QTimer::singleShot(0, &v, send);
            s.link.setDelayScale(1);
            s.link.ReadIdentity();
        } else {
            send();
        }
        QCOMPARE(v.reportLines().value(0), u"Programmazione in corso..."_s);
        QCOMPARE((QStringList{v.status} + v.reportLines().mid(1)).join(u'\n'), shown);
        const bool counted = result == DownloadResult::Verified;
        QCOMPARE(v.downloads, counted ? 2 : 1);
        QCOMPARE(v.statusColour, counted ? FieldColour::Green : FieldColour::Red);
        if (!counted && fault != u"drop"_s)
            QVERIFY(std::ranges::none_of(s.device().commandLog(),
                                         [](const QByteArray& c) { return c.startsWith("$W"); }));
        // "Prog" on the calibration bench starts the count again.
        v.Reset();
        QVERIFY(v.downloads == 0 && v.report.isEmpty());
    }

    // A whole verification of channel A after a download: zero, half scale and span through
    // the calibrator, the meter's readings in the report.
    void verificationRun() {
        StationRig s;
        QCOMPARE(s.editor.ReadEprom(), EditorOutcome::Done);
        VerificationStation& v = s.station;
        v.Reset();
        QCOMPARE(v.SendProgram(), DownloadResult::Verified);
        s.setUpChannelA();
        QVERIFY(v.SetUpAndVerify());
        QCOMPARE(v.range.half, 12.0);
        QCOMPARE(v.reportLines().mid(3),
                 (QStringList{u"Taratura in corso N° : 1 Range:  4 ÷ 20 V"_s,
                              u"Valore di zero: 00.000 V"_s, u"Valore di 1/2 scala: 05.000 V"_s,
                              u"Valore di span: 10.000 V"_s,
                              u"Taratura dispositivo N° 1 : terminata"_s, kRule}));
        QCOMPARE(s.rig.bench.supply().heard(), QByteArray("SV 24.00\rKOE\r"));
        QCOMPARE(s.rig.bench.meter(0).lines().join(' '),
                 ":SYST:REM :CONF:VOLT:DC :READ? :READ? :READ? SYST:BEEP");
        QCOMPARE(s.rig.bench.switches().lines().join(' '),
                 "rout:open (@101) rout:open (@102) rout:close (@103) rout:open (@104) "
                 "rout:open (@105) rout:close (@106) rout:close (@107)");
        // The current source is selected and ends at the span: 20 mA × 10000.
        QCOMPARE(s.rig.bench.calibrator().function(), FindCalFunction(u"mA")->data);
        QCOMPARE(s.rig.bench.calibrator().rawValue(), 200000);
        QVERIFY(!v.running() && s.rig.prompter.questions().isEmpty());

        // The report is in what the meter was set up for, whatever the output list says at
        // the run: volts stay volts with the list on mA, and a meter set up for mA reports mA
        // with the list back on V.
        const auto span = [&v] { return v.reportLines().value(v.reportLines().size() - 3); };
        v.settings.output = 0;
        QVERIFY(v.Verify());
        QCOMPARE(span(), u"Valore di span: 10.000 V"_s);
        s.rig.bench.meter(0).clearLines();
        v.settings.max = u"12"_s;
        QVERIFY(v.SetUpMultimeter());
        v.settings.output = 1;
        QVERIFY(v.Verify());
        QCOMPARE(s.rig.bench.meter(0).lines().mid(0, 3),
                 (QByteArrayList{":SYST:REM", ":CONF:CURR:DC", ":READ?"}));
        QVERIFY(v.reportLines().contains(u"Taratura in corso N° : 1 Range:  4 ÷ 12 mA"_s));
        QCOMPARE(span(), u"Valore di span: 00.000 mA"_s);

        // By hand the operator sets the calibrator's function; the switch unit is left alone.
        s.rig.bench.switches().clearHeard();
        v.ChooseMode(Mode::Manual);
        v.settings.device = -1; // not needed by hand
        QVERIFY(v.SetUpAndVerify());
        QCOMPARE(s.rig.prompter.texts(), QStringList{u"Impostare calibratore"_s});
        QVERIFY(s.rig.bench.switches().heard().isEmpty());
        QCOMPARE(v.reportLines().last(), kRule);
    }

    // The run stops where it fails, says so in the report, and the meter is not beeped.
    void runEndings_data() {
        const QString comm = u"Misura del dispositivo in corso. Controllare comunicazione"_s;
        const QString stopped = u"Verifica interrotta"_s;
        // "stop at the last point": STOP while the span is being read: the unit was not
        // verified to the end.
        QTest::addColumn<EndingRow>("row");
        QTest::newRow("meter silent") << EndingRow{"silent", comm, {comm}};
        QTest::newRow("manual reading cancelled")
            << EndingRow{"cancel", "Verifica annullata", {"Lettura Mult"}};
        QTest::newRow("stop") << EndingRow{"stop", stopped, {}};
        QTest::newRow("stop at the last point") << EndingRow{"stop last", stopped, {}};
    }
    void runEndings() {
        QFETCH(EndingRow, row);
        StationRig s;
        s.setUpChannelA();
        if (row.how == u"silent"_s)
            s.rig.bench.meter(0).setSilent(true);
        if (row.how == u"cancel"_s) {
            s.rig.instruments.meters.setSelector(u"Manuale"_s);
            s.rig.prompter.pushInput(QString());
        }
        if (row.how.startsWith(u"stop"_s))
            QVERIFY(s.station.SetUpSupply());
        if (row.how == u"stop"_s) // pressed while the calibrator is being set up
            QTimer::singleShot(0, &s.station, [&s] { s.station.StopVerification(); });
        if (row.how == u"stop last"_s)
            connect(&s.station, &VerificationStation::reportChanged, &s.station, [&s] {
                if (s.station.reportLines().last().startsWith(u"Valore di 1/2 scala"_s))
                    QTimer::singleShot(0, &s.station, [&s] { s.station.StopVerification(); });
            });
        QVERIFY(!s.station.Verify());
        QCOMPARE(s.station.reportLines().last(), row.last);
        const QString report = s.station.reportLines().join(u'\n');
        QVERIFY(!report.contains(u"terminata") && !s.station.running());
        QCOMPARE(s.rig.bench.meter(0).beeps(), 0);
        QCOMPARE(s.rig.prompter.texts(), row.prompts);
        if (row.how.startsWith(u"stop"_s))
            QVERIFY(!s.rig.bench.supply().outputOn());
        if (row.how == u"stop last"_s)
            QVERIFY(report.contains(u"Valore di span"_s));
    }
};

QTEST_MAIN(TestStations)
#include "tst_stations.moc"
