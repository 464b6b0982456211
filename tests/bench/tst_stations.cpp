// The two stations after calibration, on simulated units and instruments. The production test
// on a frequency-input unit and function generator: the exact generator lines of every button,
// the contact-bounce pattern, the stability log, the linearity misses, the held output values
// on the device wire, and Stop, Cancel and unreachable instruments. The programming and
// verification station: downloads counted only when read back, the set-up checks and their
// messages, what reaches the supply and the switch unit, and the verification report.
#include "calfunction.h"
#include "numberformat.h"
#include "prodrig.h"
#include "productiontest.h"
#include "simbench.h"
#include "stationrig.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>

using namespace vantelso;
using namespace vantelso::bench;
using Waveform = FunctionGenerator::Waveform;
using namespace Qt::StringLiterals;
using Answer = Prompter::Answer;
using Mode = VerificationSettings::Mode;

Q_DECLARE_METATYPE(Waveform)
Q_DECLARE_METATYPE(ProductionTest::HoldChannels)
Q_DECLARE_METATYPE(LinearitySettings)

namespace {

struct TestBench {
    ProdRig r;
    bool measuring = false;
    ProductionTest test{&r.link, &r.rig.generator, &r.rig.prompter, &measuring};
    explicit TestBench(std::uint8_t modelByte = 7) : r(modelByte) {
        test.timings = ProductionTestTimings().scaled(0);
    }
    // Stops the running test once `n` readings have been taken.
    void stopAfter(int n) {
        QObject::connect(&test, &ProductionTest::reading, &test,
                         [this, n, seen = 0](double) mutable {
                             if (++seen == n)
                                 test.Stop();
                         });
    }
};

QStringList texts(const QSignalSpy& spy) {
    QStringList out;
    for (const QList<QVariant>& args : spy)
        out << args.at(0).toString();
    return out;
}

const QString kRule(58, QLatin1Char('_'));

int deviceIndex(const char* name) {
    return int(VerificationDevices().indexOf(QLatin1String(name)));
}

struct Refusal {
    QString input, min, max, volts;
    int output, device, channel;
    QString message;
};
struct Routing {
    QString device;
    int channel;
    QString model, input, output, inputRoute;
};

} // namespace

Q_DECLARE_METATYPE(Refusal)
Q_DECLARE_METATYPE(Routing)

class TestStations : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The two stations after calibration, on simulated units and instruments. The production test
    // on a frequency-input unit and function generator: the exact generator lines of every button,
    // the contact-bounce pattern, the stability log, the linearity misses, the held output values
    // on the device wire, and Stop, Cancel and unreachable instruments. The programming and
    // verification station: downloads counted only when read back, the set-up checks and their
    // messages, what reaches the supply and the switch unit, and the verification report.
    // The production test on a simulated frequency-input unit and function generator: the exact
    // generator lines of every button, the contact-bounce pattern, the stability log, the
    // linearity misses, the held output values on the device wire, and Stop, Cancel and
    // unreachable instruments.
    void generatorLines_data() {
        QTest::addColumn<int>("button"); // 0 set-up, 1 on, 2 off, 3 frequency
        QTest::addColumn<Waveform>("waveform");
        QTest::addColumn<QString>("frequency");
        QTest::addColumn<QByteArrayList>("lines");
        QTest::newRow("TTL") << 0 << Waveform::Ttl << "250"
                             << QByteArrayList{"*RST",      "FREQuency 250",      "FUNCtion SQUARE",
                                               "VOLTage 5", "VOLTage:OFFSet 2.5", "OUTPut ON"};
        QTest::newRow("Tacho") << 0 << Waveform::Tacho << "60"
                               << QByteArrayList{"*RST",         "FREQuency 60",     "FUNCtion SIN",
                                                 "VOLTage 0.05", "VOLTage:OFFSet 0", "OUTPut ON"};
        QTest::newRow("ON") << 1 << Waveform::Ttl << "" << QByteArrayList{"OUTPut ON"};
        QTest::newRow("OFF") << 2 << Waveform::Ttl << "" << QByteArrayList{"OUTPut OFF"};
        QTest::newRow(">>") << 3 << Waveform::Ttl << "1500.5" << QByteArrayList{"FREQuency 1500.5"};
    }
    void generatorLines() {
        QFETCH(int, button);
        QFETCH(Waveform, waveform);
        QFETCH(QString, frequency);
        QFETCH(QByteArrayList, lines);
        TestBench b;
        QCOMPARE(button == 0   ? b.test.SetUpGenerator(waveform, frequency)
                 : button == 3 ? b.test.GeneratorFrequency(frequency)
                               : b.test.GeneratorOutput(button == 1),
                 BenchStatus::Ok);
        QCOMPARE(b.r.generator().lines(), lines);
        QCOMPARE(b.r.generator().errors(), 0);
        QVERIFY(b.r.rig.prompter.questions().isEmpty());
        // The generator is the only instrument spoken to; the unit hears nothing.
        QVERIFY(b.r.device().commandLog().isEmpty());
    }

    void stability_data() {
        QTest::addColumn<double>("reference");
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<double>("input");
        QTest::addColumn<QString>("logged"); // empty: not logged
        QTest::newRow("inside") << 100.0 << 2.0 << 101.0 << "";
        QTest::newRow("upper edge") << 100.0 << 2.0 << 102.0 << "";
        QTest::newRow("lower edge") << 100.0 << 2.0 << 98.0 << "";
        QTest::newRow("above") << 100.0 << 2.0 << 102.5 << "102.5";
        QTest::newRow("below") << 100.0 << 2.0 << 97.5 << "97.5";
        QTest::newRow("no tolerance, exact") << 1000.0 << 0.0 << 1000.0 << "";
        QTest::newRow("no tolerance, off") << 1000.0 << 0.0 << 1000.5 << "1000.5";
    }
    void stability() {
        QFETCH(double, reference);
        QFETCH(double, tolerance);
        QFETCH(double, input);
        QFETCH(QString, logged);
        TestBench b;
        b.r.device().setAnalogInput(0, input);
        QSignalSpy log(&b.test, &ProductionTest::logged);
        QSignalSpy readings(&b.test, &ProductionTest::reading);
        bool flagWhileRunning = false;
        connect(&b.test, &ProductionTest::reading, this,
                [&](double) { flagWhileRunning = b.measuring && b.test.running(); });
        b.stopAfter(3);
        QCOMPARE(b.test.RunStability(reference, tolerance), TestEnd::Stopped);
        QCOMPARE(readings.size(), 3);
        QCOMPARE(readings.first().at(0).toDouble(), input);
        QCOMPARE(texts(log), logged.isEmpty() ? QStringList() : QStringList(3, logged));
        QVERIFY(flagWhileRunning);
        QVERIFY(!b.measuring && !b.test.running());
        // Streaming is started for the test and stopped after it.
        QCOMPARE(b.r.commandsInOrder(), (QList<QByteArray>{"MI\r", "SM\r"}));
    }

    void linearity_data() {
        QTest::addColumn<LinearitySettings>("s");
        QTest::addColumn<bool>("misreadAbove1500"); // the unit reads 10% low above 1500 Hz
        QTest::addColumn<QByteArrayList>("frequencies");
        QTest::addColumn<QStringList>("misses");
        QTest::newRow("exact counter")
            << LinearitySettings{1000, 2000, 500, 0.02, 0, 1} << false
            << QByteArrayList{"FREQuency 1000", "FREQuency 1500", "FREQuency 2000"}
            << QStringList();
        QTest::newRow("misses above 1500")
            << LinearitySettings{1000, 2000, 250, 0.02, 0, 5} << true
            << QByteArrayList{"FREQuency 1000", "FREQuency 1250", "FREQuency 1500",
                              "FREQuency 1750", "FREQuency 2000"}
            << QStringList{"1750-->1575.", "2000-->1800."};
        QTest::newRow("decimal steps reach the end")
            << LinearitySettings{100, 100.3, 0.1, 0.02, 0, 0.01} << false
            << QByteArrayList{"FREQuency 100", "FREQuency 100.1", "FREQuency 100.2",
                              "FREQuency 100.3"}
            << QStringList();
        QTest::newRow("one point") << LinearitySettings{50, 50, 10, 0.02, 0, 0.5} << false
                                   << QByteArrayList{"FREQuency 50"} << QStringList();
    }
    void linearity() {
        QFETCH(LinearitySettings, s);
        QFETCH(bool, misreadAbove1500);
        QFETCH(QByteArrayList, frequencies);
        QFETCH(QStringList, misses);
        TestBench b;
        if (misreadAbove1500)
            b.r.rig.bench.setFrequencyResponse(
                [](double f) { return f > 1500 ? std::round(f * 0.9) : f; });
        // The settling lets the frames streamed before a frequency change go by.
        b.test.timings.operatorTimeScale = 1;
        QSignalSpy log(&b.test, &ProductionTest::logged);
        QSignalSpy progress(&b.test, &ProductionTest::progress);
        QCOMPARE(b.test.RunLinearity(s), TestEnd::Finished);
        QCOMPARE(texts(log), misses);
        const QByteArrayList expected = QByteArrayList{"*RST", "FUNCtion SQUARE", "VOLTage 5",
                                                       "VOLTage:OFFSet 0", "OUTPut ON"} +
                                        frequencies + QByteArrayList{"FREQuency 0.001"};
        QCOMPARE(b.r.generator().lines(), expected);
        const int points = int(frequencies.size());
        QCOMPARE(progress.last(), (QList<QVariant>{points, points}));
        QCOMPARE(b.r.commandsInOrder(), (QList<QByteArray>{"MI\r", "SM\r"}));
        QVERIFY(!b.measuring);
    }

    void linearityRefusesRanges_data() {
        QTest::addColumn<LinearitySettings>("settings");
        QTest::addColumn<QString>("message");
        const QString range = u"Intervallo di frequenze non valido"_s;
        const QString waits = u"Delay step, Delay mis e Toll"_s;
        QTest::newRow("no step") << LinearitySettings{1000, 2000, 0, 0, 0, 1} << range;
        QTest::newRow("step down") << LinearitySettings{1000, 2000, -100, 0, 0, 1} << range;
        QTest::newRow("end before start") << LinearitySettings{2000, 1000, 100, 0, 0, 1} << range;
        // A negative wait never expires: the sweep would stay on its first point.
        QTest::newRow("negative measuring time")
            << LinearitySettings{1000, 2000, 100, 0, -0.001, 1} << waits;
        QTest::newRow("negative settling") << LinearitySettings{1000, 2000, 100, -1, 0, 1} << waits;
        QTest::newRow("negative tolerance")
            << LinearitySettings{1000, 2000, 100, 0, 0, -1} << waits;
    }
    void linearityRefusesRanges() {
        QFETCH(LinearitySettings, settings);
        QFETCH(QString, message);
        TestBench b;
        QCOMPARE(b.test.RunLinearity(settings), TestEnd::BadSettings);
        QVERIFY2(b.r.rig.prompter.texts().value(0).startsWith(message),
                 qPrintable(b.r.rig.prompter.texts().value(0)));
        QVERIFY(b.r.generator().lines().isEmpty());
        QVERIFY(b.r.device().commandLog().isEmpty());
    }

    // The fields are read again at every point: an end lowered while the sweep runs ends it
    // there, a tolerance raised stops the misses being logged.
    void linearityRereadsSettings() {
        TestBench b;
        b.r.rig.bench.setFrequencyResponse([](double f) { return f + 5; });
        // The settling lets the frames streamed before a frequency change go by.
        b.test.timings.operatorTimeScale = 1;
        LinearitySettings s{100, 1000, 100, 0.02, 0, 1};
        int asked = 0;
        const TestEnd end = b.test.RunLinearity([&] {
            if (++asked == 2) {
                s.end = 300;
                s.tolerance = 10;
            }
            return s;
        });
        QCOMPARE(end, TestEnd::Finished);
        QCOMPARE(
            b.r.generator().lines().mid(5),
            (QByteArrayList{"FREQuency 100", "FREQuency 200", "FREQuency 300", "FREQuency 0.001"}));
        QSignalSpy log(&b.test, &ProductionTest::logged);
        b.r.generator().clearLines();
        s = {100, 200, 100, 0.02, 0, 1};
        asked = 0;
        QCOMPARE(b.test.RunLinearity([&] {
            if (++asked == 2)
                s.tolerance = 10;
            return s;
        }),
                 TestEnd::Finished);
        QCOMPARE(texts(log), QStringList{u"100-->105."_s});
    }

    void stabilityRereadsSettings() {
        TestBench b;
        b.r.device().setAnalogInput(0, 105.0);
        QSignalSpy log(&b.test, &ProductionTest::logged);
        b.stopAfter(4);
        int asked = 0;
        QCOMPARE(b.test.RunStability([&] {
            // Two readings against tolerance 1, then the operator widens it to 10.
            return StabilitySettings{100, ++asked <= 3 ? 1.0 : 10.0};
        }),
                 TestEnd::Stopped);
        QCOMPARE(texts(log), (QStringList{u"105."_s, u"105."_s}));
    }

    // A unit whose frame has no bytes 8..10 would read 0 at every point: refused, with the
    // reason, before anything is sent.
    void frameWithoutInputReading() {
        TestBench b(2);
        QCOMPARE(b.test.RunStability(0, 1), TestEnd::NoReading);
        QCOMPARE(b.test.RunLinearity({100, 200, 100, 0, 0, 1}), TestEnd::NoReading);
        QVERIFY(b.r.rig.prompter.texts().value(0).contains(u"non trasmette la misura"_s));
        QVERIFY(b.r.device().commandLog().isEmpty());
        QVERIFY(b.r.generator().lines().isEmpty());
    }

    // The generator frequency is a number of Hz above 0; anything else is refused and
    // nothing reaches the generator.
    void generatorFrequency_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("sent"); // empty: refused
        QTest::newRow("whole") << "1200" << QByteArray("FREQuency 1200");
        QTest::newRow("decimal") << " 0.5 " << QByteArray("FREQuency 0.5");
        QTest::newRow("exponent") << "1e3" << QByteArray("FREQuency 1000");
        QTest::newRow("word") << "abc" << QByteArray();
        QTest::newRow("empty") << "" << QByteArray();
        QTest::newRow("zero") << "0" << QByteArray();
        QTest::newRow("negative") << "-5" << QByteArray();
        QTest::newRow("comma") << "1,5" << QByteArray();
        QTest::newRow("trailing text") << "100Hz" << QByteArray();
    }
    void generatorFrequency() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, sent);
        TestBench b;
        const BenchStatus st = b.test.GeneratorFrequency(typed);
        const BenchStatus setUp = b.test.SetUpGenerator(Waveform::Ttl, typed);
        if (sent.isEmpty()) {
            QCOMPARE(st, BenchStatus::BadValue);
            QCOMPARE(setUp, BenchStatus::BadValue);
            QVERIFY(b.r.generator().lines().isEmpty());
            QVERIFY(b.r.rig.prompter.texts().value(0).startsWith(u"Frequenza"_s));
            return;
        }
        QCOMPARE(st, BenchStatus::Ok);
        QCOMPARE(setUp, BenchStatus::Ok);
        QCOMPARE(b.r.generator().lines().value(0), sent);
        QVERIFY(b.r.generator().lines().contains(sent));
    }

    void linearityStops() {
        TestBench b;
        b.stopAfter(2);
        QCOMPARE(b.test.RunLinearity({100, 1000, 100, 0, 0, 1}), TestEnd::Stopped);
        // Two points measured, then the generator parked and the unit stopped.
        const QByteArrayList lines = b.r.generator().lines();
        QCOMPARE(lines.mid(5),
                 (QByteArrayList{"FREQuency 100", "FREQuency 200", "FREQuency 0.001"}));
        QCOMPARE(b.r.commandsInOrder(), (QList<QByteArray>{"MI\r", "SM\r"}));
    }

    void holdOutput_data() {
        QTest::addColumn<ProductionTest::HoldChannels>("channels");
        QTest::addColumn<int>("countA");
        QTest::addColumn<int>("countB");
        QTest::addColumn<QList<QByteArray>>("sent");
        QTest::newRow("chA") << ProductionTest::HoldChannels::A << 800 << 3500
                             << QList<QByteArray>{QByteArray("$I\x03\x20\x00\r", 6)};
        QTest::newRow("chB") << ProductionTest::HoldChannels::B << 800 << 3500
                             << QList<QByteArray>{QByteArray("$i\x0d\xac\x00\r", 6)};
        QTest::newRow("a+b") << ProductionTest::HoldChannels::Both << 4040 << 0
                             << QList<QByteArray>{QByteArray("$I\x0f\xc8\x00\r", 6),
                                                  QByteArray("$i\x00\x00\x00\r", 6)};
        QTest::newRow("negative") << ProductionTest::HoldChannels::A << -2 << 0
                                  << QList<QByteArray>{QByteArray("$I\xff\xfe\x00\r", 6)};
    }
    void holdOutput() {
        QFETCH(ProductionTest::HoldChannels, channels);
        QFETCH(int, countA);
        QFETCH(int, countB);
        QFETCH(QList<QByteArray>, sent);
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
        const QList<QByteArray> log = b.r.device().commandLog();
        QCOMPARE(log.first(), QByteArray("PR\r"));
        QCOMPARE(log.last(), QByteArray("$FPxx\r"));
        const QList<QByteArray> values = log.mid(1, log.size() - 2);
        QVERIFY(values.size() >= 3 * sent.size());
        for (qsizetype i = 0; i < values.size(); ++i)
            QCOMPARE(values.at(i), sent.at(i % sent.size()));
    }

    void typedCount_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count"); // -99999: refused
        QTest::newRow("whole") << "800" << 800;
        QTest::newRow("decimals rounded") << "12.6" << 13;
        QTest::newRow("leading number") << "3500 conteggi" << 3500;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("top") << "65535" << 65535;
        QTest::newRow("too large") << "70000" << -99999;
        QTest::newRow("too small") << "-40000" << -99999;
    }
    void typedCount() {
        QFETCH(QString, text);
        QFETCH(int, count);
        TestBench b;
        const std::optional<int> got = b.test.TypedCount(text);
        QCOMPARE(got.value_or(-99999), count);
        QCOMPARE(b.r.rig.prompter.questions().isEmpty(), count != -99999);
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
        QSignalSpy log(&b.test, &ProductionTest::logged);
        const TestEnd end = linearity ? b.test.RunLinearity({1000, 2000, 500, 0, 0, 1})
                                      : b.test.RunStability(100, 1);
        QCOMPARE(end, TestEnd::FrameCancelled);
        QCOMPARE(b.r.rig.prompter.questions().size(), 1);
        QCOMPARE(b.r.rig.prompter.questions().first().buttons, Prompter::Buttons::RetryCancel);
        QVERIFY(log.isEmpty());
        QVERIFY(!b.measuring && !b.test.running());
        if (linearity) // the first point only, and the generator parked
            QCOMPARE(b.r.generator().lines().mid(5),
                     (QByteArrayList{"FREQuency 1000", "FREQuency 0.001"}));
    }

    void silentUnitHoldsNothing() {
        TestBench b;
        b.r.device().setPowered(false);
        QCOMPARE(b.test.HoldOutput(ProductionTest::HoldChannels::Both, 800, 800),
                 TestEnd::DeviceFailed);
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
        QSignalSpy log(&b.test, &ProductionTest::logged);
        QCOMPARE(b.test.RunLinearity({1000, 2000, 500, 0, 0, 1}), TestEnd::GeneratorFailed);
        QCOMPARE(b.r.rig.prompter.questions().size(), 1);
        QVERIFY(log.isEmpty());
        QVERIFY(b.r.device().commandLog().isEmpty());
        QVERIFY(!b.measuring && !b.test.running());
    }

    // One test at a time, and none while the live measurement streams.
    void oneAtATime() {
        TestBench b;
        TestEnd holdWhileRunning = TestEnd::Finished;
        connect(&b.test, &ProductionTest::reading, this, [&](double) {
            holdWhileRunning = b.test.HoldOutput(ProductionTest::HoldChannels::A, 800, 800);
            b.test.Stop();
        });
        QCOMPARE(b.test.RunStability(0, 1), TestEnd::Stopped);
        QCOMPARE(holdWhileRunning, TestEnd::Busy);
        QVERIFY(b.r.commands("$I").isEmpty());

        b.measuring = true; // the live measurement runs
        b.r.device().clearCommandLog();
        QCOMPARE(b.test.RunStability(0, 1), TestEnd::Busy);
        QVERIFY(b.r.device().commandLog().isEmpty());
        QCOMPARE(b.r.rig.prompter.questions().size(), 2);
    }

    // The live measurement's stop, or the editor taking the device, clears the shared flag:
    // the stability test ends there too.
    void sharedFlagEndsStability() {
        TestBench b;
        connect(&b.test, &ProductionTest::reading, this, [&](double) { b.measuring = false; });
        QCOMPARE(b.test.RunStability(0, 1), TestEnd::Stopped);
        QCOMPARE(b.r.commandsInOrder(), (QList<QByteArray>{"MI\r", "SM\r"}));
    }

    void formatReading_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("decimals") << 12.3456 << "12.346";
        QTest::newRow("whole") << 1000.0 << "1000.";
        QTest::newRow("below one") << 0.5 << ".5";
        QTest::newRow("zero") << 0.0 << ".";
        QTest::newRow("negative") << -1.25 << "-1.25";
        QTest::newRow("tiny negative") << -0.0001 << ".";
    }
    void formatReading() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(ProductionTest::FormatReading(value), text);
    }

    // The programming and verification station against a simulated unit and simulated bench
    // instruments: downloads counted only when read back, the set-up checks and their messages,
    // what reaches the supply and the switch unit, and the verification report.
    // Checks made before anything is sent: each refuses with its message and the
    // instruments hear nothing.
    void refusals_data() {
        QTest::addColumn<Refusal>("r");
        const int d7032 = deviceIndex("RSX7032D");
        const QString mvl = u"Valore non corretto per mVL; selezionare ingresso mVH"_s;
        const QString mvh = u"Valore non corretto per mVH; selezionare ingresso V"_s;
        const auto row = [](const char* name, const Refusal& r) { QTest::newRow(name) << r; };
        row("mVL max 250", {"mVL (-20 : 200)", "0", "250", "24", 1, d7032, 0, mvl});
        row("mVL min -21", {"mVL (-20 : 200)", "-21", "100", "24", 1, d7032, 0, mvl});
        row("mVH max 801", {"mVH: (-200 : 800)", "0", "801", "24", 1, d7032, 0, mvh});
        row("mVH min -201", {"mVH: (-200 : 800)", "-201", "800", "24", 1, d7032, 0, mvh});
        row("beyond calibrator",
            {"V", "0", "1e6", "24", 1, d7032, 0, "Valore fuori dal campo del calibratore"});
        row("max not a number", {"V", "0", "1O", "24", 1, d7032, 0, "Valore di range non valido"});
        row("no input type", {"", "0", "10", "24", 1, d7032, 0, "Selezionare tipo di ingresso"});
        row("supply empty", {"V", "0", "10", "", 1, d7032, 0, "Valore di alimentazione errato!"});
        row("no output type", {"V", "0", "10", "24", -1, d7032, 0, "Impostare tipo di uscita"});
        row("no device", {"V", "0", "10", "24", 1, -1, 0, "Selezionare dispositivo da verificare"});
        row("RSX7131C second", {"V", "0", "10", "24", 0, deviceIndex("RSX7131C"), 1,
                                "secondo canale di uscita non tarabile"});
    }
    void refusals() {
        QFETCH(Refusal, r);
        StationRig s;
        VerificationStation& v = s.station;
        v.OpenInstruments();
        v.ChooseMode(Mode::Automatic);
        v.ChooseInput(FindVerificationInput(r.input));
        v.settings.min = r.min;
        v.settings.max = r.max;
        v.settings.supplyVolts = r.volts;
        v.settings.supplyOn = true;
        v.settings.output = r.output;
        v.ChooseDevice(r.device);
        v.settings.outputChannel = r.channel;
        QVERIFY(!v.SetUpAndVerify());
        QCOMPARE(s.rig.prompter.texts(), QStringList{r.message});
        QCOMPARE(s.rig.prompter.questions().first().buttons, Prompter::Buttons::Ok);
        QVERIFY(s.instrumentsQuiet());
        QVERIFY(v.report.isEmpty());
    }

    // The supply takes the voltage with two decimals; outside 18..30 V nothing is sent.
    void supply_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("sent"); // empty: refused
        QTest::newRow("24.5") << u"24.5"_s << u"24.50"_s;
        QTest::newRow("24") << u"24"_s << u"24.00"_s;
        QTest::newRow("18") << u"18"_s << u"18.00"_s;
        QTest::newRow("30") << u"30"_s << u"30.00"_s;
        QTest::newRow("comma") << u"24,5"_s << u"24.50"_s;
        QTest::newRow("17.5") << u"17.5"_s << u""_s;
        QTest::newRow("31") << u"31"_s << u""_s;
        QTest::newRow("30.01") << u"30.01"_s << u""_s;
        QTest::newRow("letters") << u"24 V"_s << u""_s;
    }
    void supply() {
        QFETCH(QString, typed);
        QFETCH(QString, sent);
        StationRig s;
        s.station.settings.supplyVolts = typed;
        s.station.settings.supplyOn = true;
        QCOMPARE(s.station.SetUpSupply(), !sent.isEmpty());
        if (sent.isEmpty()) {
            QCOMPARE(s.rig.prompter.texts(), QStringList{u"Valore di alimentazione errato!"_s});
            QVERIFY(s.rig.bench.supply().heard().isEmpty());
            return;
        }
        QCOMPARE(s.rig.bench.supply().heard(), "SV " + sent.toLatin1() + "\rKOE\r");
        QVERIFY(s.rig.bench.supply().outputOn());
        // Unticked, the value is still checked but the supply is left alone.
        s.rig.bench.supply().clearHeard();
        s.station.settings.supplyOn = false;
        QVERIFY(s.station.SetUpSupply());
        QVERIFY(s.rig.bench.supply().heard().isEmpty());
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
        row("7030 first mV", {"RSX7030", 0, "RSX7030", "mVL (-20 : 200)", "109A110A111A112A113A",
                              "101A102A103A104A105A"});
        row("7030 second V",
            {"RSX7030", 1, "RSX7030", "V", "109C110A111C112C113A", "101A102A103C104C105A"});
        row("7030 mA",
            {"RSX7030", 0, "RSX7030", "mA", "109A110A111A112A113A", "101A102C103C104C105C"});
        row("7030 Pt100",
            {"RSX7030", 0, "RSX7030", "Pt100", "109A110A111A112A113A", "101C102C103C104A105A"});
        row("7031B first Tc K",
            {"RSX7031B", 0, "RSX7031B", "Tc K", "101A102A", "103A104A105A106A107A"});
        row("7032A second V", {"RSX7032A", 1, "RSX7032A", "V", "101C102C", "103A104A105C106C107A"});
        row("7131A second mA",
            {"RSX7131A", 1, "RSX7131A", "mA", "101C102C", "103C104A105A106C107C"});
        row("7132D first KOhm",
            {"RSX7132D", 0, "RSX7132D", "KOhm", "101A102A", "103C104C105A106C107A"});
        row("7131C first", {"RSX7131C", 0, "RSX7131C", "Ni1000", "", "103C104C105A106C107A"});
        row("no bench model", {"RSX7035", 0, "", "Ohm", "", "103C104C105A106C107A"});
    }
    void routing() {
        QFETCH(Routing, r);
        const auto& [device, channel, model, input, output, inputRoute] = r;

        StationRig s;
        CalibrationRun bench(&s.link, &s.rig.instruments, &s.rig.prompter);
        bench.TaraModel = model;
        VerificationStation station(&s.link, &s.rig.instruments, &s.rig.prompter, &bench);
        station.ChooseMode(Mode::Automatic);
        station.ChooseInput(FindVerificationInput(input));
        station.ChooseDevice(int(VerificationDevices().indexOf(device)));
        station.settings.outputChannel = channel;
        QVERIFY(station.SetUpSwitches());
        QCOMPARE(s.rig.bench.switches().heard(),
                 (SwitchLines(output) + SwitchLines(inputRoute)).join());
        // In manual mode the operator wires the unit: the switch unit hears nothing.
        s.rig.bench.switches().clearHeard();
        station.ChooseMode(Mode::Manual);
        QVERIFY(station.SetUpSwitches());
        QVERIFY(s.rig.bench.switches().heard().isEmpty());
    }

    // Only a download the device holds after the read-back is counted; the report starts
    // afresh with each download.
    void downloads_data() {
        QTest::addColumn<QString>("fault"); // "drop" writes, "cancel" a limit, "closed" port
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("report");
        const QString start = u"Programmazione in corso..."_s;
        QTest::newRow("verified") << QString() << int(DownloadResult::Verified) << u"OK"_s
                                  << QStringList{start,
                                                 u"Download completato. Programmazioni "
                                                 u"effettuate:     2"_s,
                                                 u"Impostare strumentazione"_s};
        QTest::newRow("not read back")
            << u"drop"_s << int(DownloadResult::Failed) << u"ERRORE"_s
            << QStringList{start, u"Errore: controllare connessioni dispositivo"_s};
        QTest::newRow("limit cancelled")
            << u"cancel"_s << int(DownloadResult::Cancelled) << u"STOP"_s
            << QStringList{start, u"Download annullato"_s};
        QTest::newRow("port closed")
            << u"closed"_s << int(DownloadResult::PortClosed) << u"ERRORE"_s
            << QStringList{start, u"Errore di comunicazione"_s};
        // Pressed while another command holds the link: the write is refused, nothing is
        // written, and that is no download.
        QTest::newRow("link busy")
            << u"busy"_s << int(DownloadResult::Failed) << u"ERRORE"_s
            << QStringList{start, u"Errore: collegamento occupato da un altro comando, unità "
                                  u"non programmata"_s};
    }
    void downloads() {
        QFETCH(QString, fault);
        QFETCH(int, result);
        QFETCH(QString, status);
        QFETCH(QStringList, report);
        StationRig s;
        QCOMPARE(s.editor.ReadEprom(), EditorOutcome::Done);
        VerificationStation& v = s.station;
        v.Reset();
        QCOMPARE(v.status, u"STOP"_s);
        QCOMPARE(v.SendProgram(), DownloadResult::Verified);
        QCOMPARE(v.downloads, 1);
        s.model.setText(u"txt_Input_max"_s, 0, u"16"_s);
        s.device().clearCommandLog();
        if (fault == u"drop"_s)
            s.device().injectFault(
                {.kind = sim::Fault::Kind::DropWrites, .match = "$W", .count = -1});
        if (fault == u"cancel"_s)
            s.model.setText(u"txt_Output_max"_s, 0, u"21"_s);
        if (fault == u"closed"_s)
            s.port.close();
        s.rig.prompter.setFallback(Answer::Cancel);
        if (fault == u"busy"_s) {
            // The download runs from a click serviced while the identification waits.
            DownloadResult inner = DownloadResult::Verified;
            QTimer::singleShot(0, &v, [&] { inner = v.SendProgram(); });
            s.link.setDelayScale(1);
            s.link.ReadIdentity();
            QCOMPARE(int(inner), result);
        } else {
            QCOMPARE(int(v.SendProgram()), result);
        }
        QCOMPARE(v.reportLines(), report);
        QCOMPARE(v.status, status);
        const bool counted = DownloadResult(result) == DownloadResult::Verified;
        QCOMPARE(v.downloads, counted ? 2 : 1);
        QCOMPARE(v.statusColour, counted ? FieldColour::Green : FieldColour::Red);
        if (fault == u"cancel"_s || fault == u"closed"_s || fault == u"busy"_s)
            QCOMPARE(s.deviceWrites(), 0);
        // "Prog" on the calibration bench starts the count again.
        v.Reset();
        QCOMPARE(v.downloads, 0);
        QVERIFY(v.report.isEmpty());
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
        QCOMPARE(v.caption, u"Modo di taratura: Automatico"_s);
        QVERIFY(v.SetUpAndVerify());
        QCOMPARE(v.range.half, 12.0);
        QCOMPARE(v.reportLines().mid(3),
                 (QStringList{u"Taratura in corso N° : 1 Range:  4 ÷ 20 V"_s,
                              u"Valore di zero: 00.000 V"_s, u"Valore di 1/2 scala: 05.000 V"_s,
                              u"Valore di span: 10.000 V"_s,
                              u"Taratura dispositivo N° 1 : terminata"_s, kRule}));
        QCOMPARE(s.rig.bench.supply().heard(), QByteArray("SV 24.00\rKOE\r"));
        QCOMPARE(s.rig.bench.meter(0).lines(),
                 (QByteArrayList{":SYST:REM", ":CONF:VOLT:DC", ":READ?", ":READ?", ":READ?",
                                 "SYST:BEEP"}));
        QCOMPARE(s.rig.bench.switches().lines(),
                 (QByteArrayList{"rout:open (@101)", "rout:open (@102)", "rout:close (@103)",
                                 "rout:open (@104)", "rout:open (@105)", "rout:close (@106)",
                                 "rout:close (@107)"}));
        // The current source is selected and ends at the span: 20 mA × 10000.
        const CalFunction* ma = FindCalFunction(u"mA");
        QCOMPARE(s.rig.bench.calibrator().function(), ma->data);
        QCOMPARE(s.rig.bench.calibrator().rawValue(), 200000);
        QVERIFY(!v.running());
        QVERIFY(s.rig.prompter.questions().isEmpty());

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
    }

    // The run stops where it fails, says so in the report, and the meter is not beeped.
    void runEndings_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QStringList>("prompts");
        const QString comm = u"Misura del dispositivo in corso. Controllare comunicazione"_s;
        QTest::newRow("meter silent") << u"silent"_s << comm << QStringList{comm};
        QTest::newRow("manual reading cancelled")
            << u"cancel"_s << u"Verifica annullata"_s << QStringList{u"Lettura Mult"_s};
        QTest::newRow("stop") << u"stop"_s << u"Verifica interrotta"_s << QStringList{};
        // STOP while the span is being read: the unit was not verified to the end.
        QTest::newRow("stop at the last point")
            << u"stop last"_s << u"Verifica interrotta"_s << QStringList{};
    }
    void runEndings() {
        QFETCH(QString, how);
        QFETCH(QString, last);
        QFETCH(QStringList, prompts);
        StationRig s;
        s.setUpChannelA();
        if (how == u"silent"_s)
            s.rig.bench.meter(0).setSilent(true);
        if (how == u"cancel"_s) {
            s.rig.instruments.meters.setSelector(u"Manuale"_s);
            s.rig.prompter.pushInput(QString());
        }
        if (how == u"stop"_s) {
            QVERIFY(s.station.SetUpSupply());
            // STOP pressed while the calibrator is being set up.
            QTimer::singleShot(0, &s.station, [&s] { s.station.StopVerification(); });
        }
        if (how == u"stop last"_s) {
            QVERIFY(s.station.SetUpSupply());
            connect(&s.station, &VerificationStation::reportChanged, &s.station, [&s] {
                if (s.station.reportLines().last().startsWith(u"Valore di 1/2 scala"_s))
                    QTimer::singleShot(0, &s.station, [&s] { s.station.StopVerification(); });
            });
        }
        QVERIFY(!s.station.Verify());
        QCOMPARE(s.station.reportLines().last(), last);
        QVERIFY(!s.station.reportLines().join(u'\n').contains(u"terminata"));
        QCOMPARE(s.rig.bench.meter(0).beeps(), 0);
        QVERIFY(!s.station.running());
        QStringList asked;
        for (const auto& q : s.rig.prompter.questions())
            asked << q.text;
        QCOMPARE(asked, prompts);
        if (how.startsWith(u"stop"_s))
            QVERIFY(!s.rig.bench.supply().outputOn());
        if (how == u"stop last"_s)
            QVERIFY(s.station.reportLines().join(u'\n').contains(u"Valore di span"_s));
    }

    // Manual mode: the operator sets the calibrator's function; the switch unit is left alone.
    void manualMode() {
        StationRig s;
        s.setUpChannelA();
        s.station.ChooseMode(Mode::Manual);
        QCOMPARE(s.station.caption, u"Modo di taratura: Manuale"_s);
        s.station.settings.device = -1; // not needed by hand
        QVERIFY(s.station.SetUpAndVerify());
        QCOMPARE(s.rig.prompter.texts(), QStringList{u"Impostare calibratore"_s});
        QVERIFY(s.rig.bench.switches().heard().isEmpty());
        QCOMPARE(s.station.reportLines().last(), kRule);
    }

    void reportNumbers_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << u"00.000"_s;
        QTest::newRow("one digit") << 4.0021 << u"04.002"_s;
        QTest::newRow("two digits") << 19.9996 << u"20.000"_s;
        QTest::newRow("three digits") << 123.4 << u"123.400"_s;
        QTest::newRow("negative") << -0.5 << u"-00.500"_s;
        QTest::newRow("negative zero") << -0.0001 << u"00.000"_s;
    }
    void reportNumbers() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(ReportNumber(value), text);
    }
};

QTEST_MAIN(TestStations)
#include "tst_stations.moc"
