// The production test on a simulated frequency-input unit and function generator: the exact
// generator lines of every button, the contact-bounce pattern, the stability log, the
// linearity misses, the held output values on the device wire, and Stop, Cancel and
// unreachable instruments.
#include "prodrig.h"
#include "productiontest.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <cmath>

using namespace vantelso;
using namespace vantelso::bench;
using Waveform = FunctionGenerator::Waveform;

Q_DECLARE_METATYPE(Waveform)
Q_DECLARE_METATYPE(ProductionTest::HoldChannels)
Q_DECLARE_METATYPE(LinearitySettings)

using namespace Qt::StringLiterals;

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

} // namespace

class TestProductionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
};

QTEST_GUILESS_MAIN(TestProductionTest)
#include "tst_prodtest.moc"
